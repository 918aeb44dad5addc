// Dialogs 100 and 102 for the terminal, built from the geometry and texts the resource script
// uses, the text art that stands in for icon 128 and bitmap 131, and the framework's loading
// of these resources (the icon, the string table).
#include "ui/curses/DialogTemplates.h"

#include <algorithm>
#include <string>

#include "res/Layout.h"
#include "res/Texts.h"
#include "res/resource.h"
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

const DialogTemplate* FindDialogTemplate(int id)
{
    static const DialogTemplate kMain{
        IDD_READERSCAN_DIALOG,
        TXT_APP_TITLE,
        LAYOUT_MAIN_SIZE,
        true,
        {
            {IDOK, ControlKind::PushButton, TXT_OK, {LAYOUT_MAIN_OK}, true, true},
            {IDCANCEL, ControlKind::PushButton, TXT_CANCEL, {LAYOUT_MAIN_CANCEL}, false, true},
            {IDC_SEARCH, ControlKind::PushButton, TXT_SEARCH, {LAYOUT_MAIN_SEARCH}, false, true},
            {.id = IDC_RESULT,
             .kind = ControlKind::Edit,
             .text = "",
             .rect = {LAYOUT_MAIN_RESULT},
             .tabStop = true,
             .multiLine = true},
            {IDC_STATIC, ControlKind::Text, TXT_INSTRUCTION, {LAYOUT_MAIN_INSTRUCTION}},
            {IDC_STATIC, ControlKind::Picture, "", {LAYOUT_MAIN_PICTURE}, false, false, &kReaderArt},
        }};
    static const DialogTemplate kAbout{
        IDD_ABOUTBOX,
        TXT_ABOUT_CAPTION,
        LAYOUT_ABOUT_SIZE,
        true,
        {
            {IDC_STATIC, ControlKind::Icon, "", {LAYOUT_ABOUT_ICON}, false, false, &kIconArt},
            {IDC_STATIC, ControlKind::Text, TXT_ABOUT_VERSION, {LAYOUT_ABOUT_VERSION}},
            {IDC_STATIC, ControlKind::Text, TXT_ABOUT_NOTICE, {LAYOUT_ABOUT_NOTICE}},
            {IDOK, ControlKind::PushButton, TXT_OK, {LAYOUT_ABOUT_OK}, true, true},
        }};
    switch (id) {
    case IDD_READERSCAN_DIALOG: return &kMain;
    case IDD_ABOUTBOX: return &kAbout;
    default: return nullptr;
    }
}

}  // namespace lesamo::term

namespace lesamo {

// The framework's resource loading on the terminal: the application icon is its text art,
// and the string table holds the one string the dialogs load.

int SystemIconWidth()
{
    return term::kIconArt.Cols();
}

int SystemIconHeight()
{
    return term::kIconArt.Rows();
}

std::string LoadResourceString(int nID)
{
    return nID == IDS_ABOUTBOX ? TXT_ABOUT_MENU_ENTRY : "";
}

IconHandle LoadResourceIcon(int nID)
{
    return nID == IDR_MAINFRAME ? &term::kIconArt : nullptr;
}

}  // namespace lesamo
