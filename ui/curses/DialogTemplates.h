// The two dialog templates as the terminal shows them: the same controls, ids, texts, tab
// order and dialog-unit positions as the resource script (both are made from res/Dialogs.h),
// and the rule that turns dialog units into character cells.
#pragma once

#include <string_view>
#include <vector>

namespace lesamo::term {

enum class ControlKind { PushButton, Edit, Text, Picture, Icon };

/// Text art standing in for a bitmap or an icon: `lines` are the characters (Windows-1252),
/// `colours` one letter per character (c card, y chip, r reader, l lamp, k cable, blank:
/// the dialog's own colour).
struct TextArt {
    std::vector<std::string_view> lines;
    std::vector<std::string_view> colours;
    int Rows() const { return static_cast<int>(lines.size()); }
    int Cols() const { return lines.empty() ? 0 : static_cast<int>(lines.front().size()); }
};

/// A rectangle in dialog units (x, y, width, height), as in the resource script.
struct DluRect {
    int x;
    int y;
    int cx;
    int cy;
};

/// The same rectangle in character cells relative to the client area.
struct CellRect {
    int row;
    int col;
    int rows;
    int cols;
};

struct ControlTemplate {
    int id;
    ControlKind kind;
    const char* text;  // Windows-1252; empty for the edit box and pictures
    DluRect rect;
    bool isDefault = false;  // the default push button (Enter anywhere else presses it)
    bool tabStop = false;
    const TextArt* art = nullptr;
    bool multiLine = false;  // an edit box of several lines, scrolled by the vertical keys
};

struct DialogTemplate {
    int id;
    const char* caption;
    int cx;  // client size in dialog units
    int cy;
    bool systemMenu;
    std::vector<ControlTemplate> controls;  // in tab order
};

/// The template with resource id `id`; nullptr when there is none.
const DialogTemplate* FindDialogTemplate(int id);

/// Dialog units to cells: a cell is 3 horizontal and 10 vertical dialog units, so that the
/// main dialog (222 x 215 units) with its frame fits an 80 x 24 terminal and the instruction
/// wraps into the three lines its box has on Windows. Edges round to the nearest cell; every
/// control keeps at least one row.
CellRect ToCells(const DluRect& rect);
/// The row of a one-line push button: the cell row through the button's vertical middle.
int ButtonRow(const DluRect& rect);

/// The application icon (IDR_MAINFRAME) and the reader picture (IDB_READER).
extern const TextArt kIconArt;
extern const TextArt kReaderArt;

}  // namespace lesamo::term
