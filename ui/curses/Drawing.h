// The drawing primitives the windows of the terminal front end share: cell positions and
// sizes, the styles, the one text output, boxes, rules and scroll arrows. They draw on the
// open session and do nothing without one.
#pragma once

#include <string_view>

namespace lesamo::term {

struct Point {
    int row = 0;
    int col = 0;
};

struct Size {
    int rows = 0;
    int cols = 0;
};

/// What a cell looks like. Colours where the terminal has them, attributes otherwise.
enum class Style {
    Desktop,
    Dialog,
    CaptionActive,
    CaptionInactive,
    Button,
    ButtonDefault,
    ButtonFocused,
    ButtonPressed,
    Edit,
    EditFocused,
    Menu,
    MenuSelected,
    IconWarning,
    IconError,
    IconInfo,
    ArtCard,
    ArtChip,
    ArtReader,
    ArtLed,
    ArtCable,
    TooSmall,
};

/// The one output function for program text: `text` is Windows-1252; it is converted to the
/// terminal's character set here and nowhere else. Writes at most `width` cells, clipped to
/// the screen. With `accessKeys`, '&' marks the next letter (underlined) and "&&" is '&'.
/// Returns the number of cells written.
int DrawText(Point at, std::string_view text, int width, Style style, bool accessKeys = false);

/// Fills a rectangle with blanks of `style`.
void FillRect(Point at, Size size, Style style);
/// A single-line box on the outline of the rectangle.
void DrawBox(Point at, Size size, Style style);
/// A horizontal rule joining the sides of a box (a menu separator).
void DrawRule(Point at, int cols, Style style);
/// A scroll arrow (up or down) on the frame of a box.
void DrawArrow(Point at, bool up, Style style);

/// Chooses colours for the styles, or attributes where the terminal has no colours; once,
/// when the session starts.
void InitStyles();
/// Fills the screen with the message that it is too small for windows of `need` cells.
void DrawTooSmall(Size need);

}  // namespace lesamo::term
