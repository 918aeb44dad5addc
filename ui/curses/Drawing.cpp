// The drawing primitives of the terminal front end: the styles, the one text output (where the
// program's Windows-1252 text becomes the terminal's), boxes, rules, arrows, and the message
// that the terminal is too small.
#include "ui/curses/Drawing.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include <curses.h>

#include "common/Texts.h"
#include "ui/curses/Terminal.h"
#include "ui/curses/Windows1252Text.h"

namespace lesamo::term {

namespace {

bool g_colours = false;

// The character as the terminal's locale can show it: '?' where its character set has none
// (a "C" locale shows only ASCII).
wchar_t Displayable(wchar_t ch)
{
    if (ch < 0x80)
        return ch;
    char buffer[MB_LEN_MAX];
    std::mbstate_t state{};
    return std::wcrtomb(buffer, ch, &state) == static_cast<std::size_t>(-1) ? L'?' : ch;
}

struct StyleLook {
    short foreground;
    short background;
    attr_t colourAttributes;  // with colours
    attr_t monoAttributes;    // on a terminal without colours
};

constexpr short kGrey = 8;  // the bright colours, where the terminal has 16
constexpr short kBrightWhite = 15;

// Indexed by Style. With 8 colours the bright ones fall back (see StyleColour). Black text is
// never bold: many terminals show bold black as grey.
constexpr StyleLook kLooks[] = {
    {COLOR_BLACK, COLOR_CYAN, A_NORMAL, A_NORMAL},           // Desktop
    {COLOR_BLACK, COLOR_WHITE, A_NORMAL, A_NORMAL},          // Dialog
    {COLOR_WHITE, COLOR_BLUE, A_BOLD, A_REVERSE | A_BOLD},   // CaptionActive
    {COLOR_WHITE, kGrey, A_NORMAL, A_REVERSE},               // CaptionInactive
    {COLOR_BLACK, COLOR_WHITE, A_NORMAL, A_NORMAL},          // Button
    {COLOR_BLUE, COLOR_WHITE, A_NORMAL, A_BOLD},             // ButtonDefault
    {COLOR_WHITE, COLOR_BLUE, A_BOLD, A_REVERSE},            // ButtonFocused
    {COLOR_YELLOW, COLOR_BLUE, A_BOLD, A_REVERSE | A_BOLD},  // ButtonPressed
    {COLOR_BLACK, kBrightWhite, A_NORMAL, A_NORMAL},         // Edit
    {COLOR_BLUE, COLOR_WHITE, A_BOLD, A_BOLD},               // EditFocused
    {COLOR_BLACK, COLOR_WHITE, A_NORMAL, A_NORMAL},          // Menu
    {COLOR_WHITE, COLOR_BLUE, A_BOLD, A_REVERSE},            // MenuSelected
    {COLOR_BLACK, COLOR_YELLOW, A_NORMAL, A_BOLD},           // IconWarning
    {COLOR_WHITE, COLOR_RED, A_BOLD, A_BOLD},                // IconError
    {COLOR_WHITE, COLOR_BLUE, A_BOLD, A_BOLD},               // IconInfo
    {COLOR_BLUE, kBrightWhite, A_NORMAL, A_NORMAL},          // ArtCard
    {COLOR_BLACK, COLOR_YELLOW, A_NORMAL, A_BOLD},           // ArtChip
    {COLOR_WHITE, kGrey, A_BOLD, A_REVERSE},                 // ArtReader
    {COLOR_GREEN, kGrey, A_BOLD, A_REVERSE | A_BOLD},        // ArtLed
    {COLOR_BLACK, COLOR_WHITE, A_NORMAL, A_NORMAL},          // ArtCable
    {COLOR_WHITE, COLOR_RED, A_BOLD, A_BOLD},                // TooSmall
};
static_assert(sizeof kLooks / sizeof kLooks[0] == static_cast<int>(Style::TooSmall) + 1);

short StyleColour(short colour)
{
    if (colour < 8 || COLORS >= 16)
        return colour;
    return colour == kGrey ? COLOR_BLACK : COLOR_WHITE;
}

void Use(Style style, attr_t extra = A_NORMAL)
{
    const StyleLook& look = kLooks[static_cast<int>(style)];
    if (g_colours)
        attr_set(look.colourAttributes | extra, static_cast<short>(static_cast<int>(style) + 1), nullptr);
    else
        attr_set(look.monoAttributes | extra, 0, nullptr);
}

bool OnScreen(int row, int col)
{
    return row >= 0 && row < LINES && col >= 0 && col < COLS;
}

}  // namespace

void InitStyles()
{
    g_colours = has_colors() && start_color() == OK && COLOR_PAIRS > static_cast<int>(Style::TooSmall) + 1;
    if (!g_colours)
        return;
    short pair = 1;
    for (const StyleLook& look : kLooks)
        init_pair(pair++, StyleColour(look.foreground), StyleColour(look.background));
}

int DrawText(Point at, std::string_view text, int width, Style style, bool accessKeys)
{
    if (Terminal::Active() == nullptr || at.row < 0 || at.row >= LINES)
        return 0;
    int written = 0;
    bool underline = false;
    for (std::size_t i = 0; i < text.size() && written < width; ++i) {
        if (accessKeys && text[i] == '&') {
            if (i + 1 < text.size() && text[i + 1] == '&') {
                ++i;
            } else {
                underline = true;
                continue;
            }
        }
        const int col = at.col + written;
        if (OnScreen(at.row, col)) {
            const wchar_t cell[2] = {Displayable(FromWindows1252(static_cast<unsigned char>(text[i]))), 0};
            // add_wch merges the window's attributes into the cell's: they carry the style.
            Use(style, underline ? A_UNDERLINE : A_NORMAL);
            cchar_t character;
            setcchar(&character, cell, A_NORMAL, 0, nullptr);
            mvadd_wch(at.row, col, &character);
        }
        underline = false;
        ++written;
    }
    return written;
}

void FillRect(Point at, Size size, Style style)
{
    if (Terminal::Active() == nullptr)
        return;
    Use(style);
    const int left = std::max(at.col, 0);
    const int right = std::min(at.col + size.cols, COLS);
    if (left >= right)
        return;
    for (int row = std::max(at.row, 0); row < std::min(at.row + size.rows, LINES); ++row)
        mvhline(row, left, ' ', right - left);
}

void DrawBox(Point at, Size size, Style style)
{
    if (Terminal::Active() == nullptr || size.rows < 2 || size.cols < 2)
        return;
    Use(style);
    const int bottom = at.row + size.rows - 1;
    const int right = at.col + size.cols - 1;
    auto put = [](int row, int col, chtype ch) {
        if (OnScreen(row, col))
            mvaddch(row, col, ch);
    };
    for (int col = at.col + 1; col < right; ++col) {
        put(at.row, col, ACS_HLINE);
        put(bottom, col, ACS_HLINE);
    }
    for (int row = at.row + 1; row < bottom; ++row) {
        put(row, at.col, ACS_VLINE);
        put(row, right, ACS_VLINE);
    }
    put(at.row, at.col, ACS_ULCORNER);
    put(at.row, right, ACS_URCORNER);
    put(bottom, at.col, ACS_LLCORNER);
    put(bottom, right, ACS_LRCORNER);
}

void DrawRule(Point at, int cols, Style style)
{
    if (Terminal::Active() == nullptr || cols < 2 || at.row < 0 || at.row >= LINES)
        return;
    Use(style);
    for (int col = std::max(at.col, 0); col < std::min(at.col + cols, COLS); ++col) {
        const bool left = col == at.col;
        const bool right = col == at.col + cols - 1;
        mvaddch(at.row, col, left ? ACS_LTEE : right ? ACS_RTEE : ACS_HLINE);
    }
}

void DrawArrow(Point at, bool up, Style style)
{
    if (Terminal::Active() == nullptr || !OnScreen(at.row, at.col))
        return;
    Use(style);
    mvaddch(at.row, at.col, up ? ACS_UARROW : ACS_DARROW);
}

void DrawTooSmall(Size need)
{
    Use(Style::TooSmall);
    for (int row = 0; row < LINES; ++row)
        mvhline(row, 0, ' ', COLS);
    char text[200];
    std::snprintf(text, sizeof text, TXT_TERM_TOO_SMALL, need.cols, need.rows, COLS, LINES);
    const std::vector<std::string> lines = WrapText(text, COLS);
    const int top = LINES > static_cast<int>(lines.size()) ? (LINES - static_cast<int>(lines.size())) / 2 : 0;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int width = static_cast<int>(lines[i].size());
        DrawText({top + static_cast<int>(i), (COLS - width) / 2}, lines[i], width, Style::TooSmall);
    }
}

}  // namespace lesamo::term
