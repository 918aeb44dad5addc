// Turns a tmux pane capture with escapes (capture-pane -e -p: UTF-8 text and SGR sequences)
// into an ImageMagick drawing (MVG), so that a screenshot of the terminal program can be
// rendered without a display: ansi-to-mvg < pane.ansi > pane.mvg; convert ... -draw @pane.mvg
#include <cstdio>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr int kCellWidth = 10;
constexpr int kCellHeight = 20;
constexpr int kBaseline = 15;

struct Colour {
    int r = 0;
    int g = 0;
    int b = 0;
};

// The xterm palette for the 16 basic colours.
const Colour kBasic[16] = {
    {0, 0, 0},     {205, 0, 0},     {0, 205, 0},     {205, 205, 0},   {0, 0, 238}, {205, 0, 205},
    {0, 205, 205}, {229, 229, 229}, {127, 127, 127}, {255, 0, 0},     {0, 255, 0}, {255, 255, 0},
    {92, 92, 255}, {255, 0, 255},   {0, 255, 255},   {255, 255, 255},
};

Colour Palette(int index)
{
    if (index < 16)
        return kBasic[index];
    if (index < 232) {
        const int i = index - 16;
        auto level = [](int v) { return v == 0 ? 0 : 55 + 40 * v; };
        return {level(i / 36), level(i / 6 % 6), level(i % 6)};
    }
    const int grey = 8 + 10 * (index - 232);
    return {grey, grey, grey};
}

struct Pen {
    int foreground = -1;  // -1: the default colour
    int background = -1;
    bool bold = false;
    bool reverse = false;
    bool underline = false;
};

struct Cell {
    std::string text = " ";
    Pen pen;
};

void ApplySgr(Pen& pen, const std::vector<int>& codes)
{
    for (std::size_t i = 0; i < codes.size(); ++i) {
        const int code = codes[i];
        if (code == 0)
            pen = Pen{};
        else if (code == 1)
            pen.bold = true;
        else if (code == 4)
            pen.underline = true;
        else if (code == 7)
            pen.reverse = true;
        else if (code == 22)
            pen.bold = false;
        else if (code == 24)
            pen.underline = false;
        else if (code == 27)
            pen.reverse = false;
        else if (code >= 30 && code <= 37)
            pen.foreground = code - 30;
        else if (code == 39)
            pen.foreground = -1;
        else if (code >= 40 && code <= 47)
            pen.background = code - 40;
        else if (code == 49)
            pen.background = -1;
        else if (code >= 90 && code <= 97)
            pen.foreground = code - 90 + 8;
        else if (code >= 100 && code <= 107)
            pen.background = code - 100 + 8;
        else if ((code == 38 || code == 48) && i + 2 < codes.size() && codes[i + 1] == 5) {
            (code == 38 ? pen.foreground : pen.background) = codes[i + 2];
            i += 2;
        }
    }
}

std::vector<std::vector<Cell>> Parse(const std::string& input)
{
    std::vector<std::vector<Cell>> rows(1);
    Pen pen;
    for (std::size_t i = 0; i < input.size();) {
        const unsigned char byte = static_cast<unsigned char>(input[i]);
        if (byte == 0x1B && i + 1 < input.size() && input[i + 1] == '[') {
            std::size_t end = i + 2;
            while (end < input.size() && !(input[end] >= 0x40 && input[end] <= 0x7E))
                ++end;
            if (end < input.size() && input[end] == 'm') {
                std::vector<int> codes;
                std::stringstream parameters(input.substr(i + 2, end - i - 2));
                std::string field;
                while (std::getline(parameters, field, ';'))
                    codes.push_back(field.empty() ? 0 : std::stoi(field));
                if (codes.empty())
                    codes.push_back(0);
                ApplySgr(pen, codes);
            }
            i = end + 1;
        } else if (byte == 0x1B) {
            i += 2;  // other escapes (charset selection): none drawn
        } else if (byte == '\n') {
            rows.emplace_back();
            ++i;
        } else {
            std::size_t length = byte < 0x80 ? 1 : byte < 0xE0 ? 2 : byte < 0xF0 ? 3 : 4;
            rows.back().push_back({input.substr(i, length), pen});
            i += length;
        }
    }
    while (!rows.empty() && rows.back().empty())
        rows.pop_back();
    return rows;
}

// Box-drawing characters are drawn as strokes through the cell's middle, so that lines join
// from cell to cell whatever the font: which of the four arms (left, right, up, down) they have.
struct BoxArms {
    const char* text;
    bool left, right, up, down;
};
const BoxArms kBoxArms[] = {
    {"\u2500", true, true, false, false}, {"\u2502", false, false, true, true}, {"\u250c", false, true, false, true},
    {"\u2510", true, false, false, true}, {"\u2514", false, true, true, false}, {"\u2518", true, false, true, false},
    {"\u251c", false, true, true, true},  {"\u2524", true, false, true, true},  {"\u252c", true, true, false, true},
    {"\u2534", true, true, true, false},  {"\u253c", true, true, true, true},
};

std::string Hex(Colour c)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", c.r, c.g, c.b);
    return text;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string fontDir = argc > 1 ? argv[1] : "/usr/share/fonts/truetype/dejavu";
    const std::string input((std::istreambuf_iterator<char>(std::cin)), std::istreambuf_iterator<char>());
    const std::vector<std::vector<Cell>> rows = Parse(input);
    std::size_t cols = 0;
    for (const auto& row : rows)
        cols = std::max(cols, row.size());
    std::printf("viewbox 0 0 %zu %zu\n", cols * kCellWidth, rows.size() * kCellHeight);
    std::printf("font-size 16\ntext-antialias 1\nstroke none\n");
    for (std::size_t y = 0; y < rows.size(); ++y) {
        for (std::size_t x = 0; x < cols; ++x) {
            const Cell cell = x < rows[y].size() ? rows[y][x] : Cell{};
            int foreground = cell.pen.foreground < 0 ? 7 : cell.pen.foreground;
            int background = cell.pen.background < 0 ? 0 : cell.pen.background;
            if (cell.pen.bold && foreground < 8)
                foreground += 8;  // bold shows bright, as most terminals do
            if (cell.pen.reverse)
                std::swap(foreground, background);
            const int left = static_cast<int>(x) * kCellWidth;
            const int top = static_cast<int>(y) * kCellHeight;
            std::printf("fill '%s' rectangle %d,%d %d,%d\n", Hex(Palette(background)).c_str(), left, top,
                        left + kCellWidth - 1, top + kCellHeight - 1);
            if (cell.text == " ")
                continue;
            bool drawn = false;
            for (const BoxArms& arms : kBoxArms) {
                if (cell.text != arms.text)
                    continue;
                const int midX = left + kCellWidth / 2;
                const int midY = top + kCellHeight / 2;
                const std::string colour = Hex(Palette(foreground));
                if (arms.left)
                    std::printf("fill '%s' rectangle %d,%d %d,%d\n", colour.c_str(), left, midY, midX, midY);
                if (arms.right)
                    std::printf("fill '%s' rectangle %d,%d %d,%d\n", colour.c_str(), midX, midY, left + kCellWidth - 1,
                                midY);
                if (arms.up)
                    std::printf("fill '%s' rectangle %d,%d %d,%d\n", colour.c_str(), midX, top, midX, midY);
                if (arms.down)
                    std::printf("fill '%s' rectangle %d,%d %d,%d\n", colour.c_str(), midX, midY, midX,
                                top + kCellHeight - 1);
                drawn = true;
            }
            if (drawn)
                continue;
            std::string text;
            for (char ch : cell.text) {
                if (ch == '\'' || ch == '\\')
                    text += '\\';
                text += ch;
                if (ch == '%')
                    text += '%';  // a lone '%' starts an ImageMagick escape
            }
            std::printf("font '%s/DejaVuSansMono%s.ttf' fill '%s' text %d,%d '%s'\n", fontDir.c_str(),
                        cell.pen.bold ? "-Bold" : "", Hex(Palette(foreground)).c_str(), left, top + kBaseline,
                        text.c_str());
            if (cell.pen.underline)
                std::printf("fill '%s' rectangle %d,%d %d,%d\n", Hex(Palette(foreground)).c_str(), left,
                            top + kBaseline + 2, left + kCellWidth - 1, top + kBaseline + 2);
        }
    }
    return 0;
}
