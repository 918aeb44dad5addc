// Dialogs 100 and 102 for the terminal, built from the control lists the resource script is
// made of (res/Dialogs.h), and the text art that stands in for icon 128 and bitmap 131.
#include "ui/curses/DialogTemplates.h"

#include <algorithm>
#include <string>

#include "res/Dialogs.h"
#include "ui/Framework.h"

namespace lesamo::term {

namespace {

constexpr int kUnitsPerCol = 3;
constexpr int kUnitsPerRow = 10;

// Non-negative a / b rounded half up.
constexpr int DivideRounded(int a, int b)
{
    return (2 * a + b) / (2 * b);
}

// A serial chip-card reader with a card in its slot and its cable to a 9-pin plug.
const std::vector<std::string_view> kReaderLines = {
    "    .-------------.    ", "    | .---. ===== |    ", "    | |=|=| ====  |    ",
    "    | '---' ===   |    ", " .--|-------------|--. ", " |  '-------------'  | ",
    " |               (o) | ", " '-------------------' ", "      [:::::]------'   ",
};
const std::vector<std::string_view> kReaderColours = {
    "    ccccccccccccccc    ", "    ccyyyyycccccccc    ", "    ccyyyyycccccccc    ",
    "    ccyyyyycccccccc    ", " rrrrrrrrrrrrrrrrrrrrr ", " rrrrrrrrrrrrrrrrrrrrr ",
    " rrrrrrrrrrrrrrrrlllrr ", " rrrrrrrrrrrrrrrrrrrrr ", "      rrrrrrrkkkkkk    ",
};

const std::vector<std::string_view> kIconLines = {
    " .--. ",
    " |##| ",
};
const std::vector<std::string_view> kIconColours = {
    "cccccc",
    "cyyyyc",
};

}  // namespace

const TextArt kReaderArt{kReaderLines, kReaderColours};
const TextArt kIconArt{kIconLines, kIconColours};

namespace {

// The art standing in for a picture resource of the templates.
const TextArt* ArtOf(int resourceId)
{
    switch (resourceId) {
    case IDB_READER: return &kReaderArt;
    case IDR_MAINFRAME: return &kIconArt;
    default: return nullptr;
    }
}

}  // namespace

CellRect ToCells(const DluRect& rect)
{
    const int left = DivideRounded(rect.x, kUnitsPerCol);
    const int top = DivideRounded(rect.y, kUnitsPerRow);
    const int right = DivideRounded(rect.x + rect.cx, kUnitsPerCol);
    const int bottom = DivideRounded(rect.y + rect.cy, kUnitsPerRow);
    // A control lower than a cell (the About box's 8-unit lines) still gets its one row.
    return {top, left, std::max(bottom - top, 1), right - left};
}

int ButtonRow(const DluRect& rect)
{
    return (2 * rect.y + rect.cy) / (2 * kUnitsPerRow);
}

// The controls of Dialogs.h's lists as the terminal has them: the resource script's extra
// styles aside, a control behaves as the default of its kind (push buttons and the edit box
// are tab stops, static texts and pictures are not).
#define TERM_DEFPUSHBUTTON(nId, text, style, ...) {nId, ControlKind::PushButton, text, {__VA_ARGS__}, true, true},
#define TERM_PUSHBUTTON(nId, text, ...)           {nId, ControlKind::PushButton, text, {__VA_ARGS__}, false, true},
#define TERM_EDIT_MULTILINE(nId, style, exstyle, ...)                                                                  \
    {nId, ControlKind::Edit, "", {__VA_ARGS__}, false, true, nullptr, true},
#define TERM_LTEXT(text, style, ...) {IDC_STATIC, ControlKind::Text, text, {__VA_ARGS__}},
#define TERM_PICTURE(resource, style, ...)                                                                             \
    {IDC_STATIC, ControlKind::Picture, "", {__VA_ARGS__}, false, false, ArtOf(resource)},
#define TERM_ICON(resource, ...) {IDC_STATIC, ControlKind::Icon, "", {__VA_ARGS__}, false, false, ArtOf(resource)},

const DialogTemplate* FindDialogTemplate(int id)
{
    static const DialogTemplate kMain{IDD_READERSCAN_DIALOG,
                                      DIALOG_MAIN_CAPTION,
                                      LAYOUT_MAIN_SIZE,
                                      true,
                                      {DIALOG_MAIN_CONTROLS(TERM_DEFPUSHBUTTON, TERM_PUSHBUTTON, TERM_EDIT_MULTILINE,
                                                            TERM_LTEXT, TERM_PICTURE, TERM_ICON)}};
    static const DialogTemplate kAbout{IDD_ABOUTBOX,
                                       DIALOG_ABOUT_CAPTION,
                                       LAYOUT_ABOUT_SIZE,
                                       true,
                                       {DIALOG_ABOUT_CONTROLS(TERM_DEFPUSHBUTTON, TERM_PUSHBUTTON, TERM_EDIT_MULTILINE,
                                                              TERM_LTEXT, TERM_PICTURE, TERM_ICON)}};
    switch (id) {
    case IDD_READERSCAN_DIALOG: return &kMain;
    case IDD_ABOUTBOX: return &kAbout;
    default: return nullptr;
    }
}

}  // namespace lesamo::term
