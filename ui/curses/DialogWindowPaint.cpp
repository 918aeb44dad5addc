// How a dialog window paints: frame and caption, every control of its template, and the
// text art that stands in for pictures and icons.
#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "common/Texts.h"
#include "ui/curses/DialogWindow.h"
#include "ui/curses/Drawing.h"
#include "ui/curses/Windows1252Text.h"

namespace lesamo::term {

namespace {

void DrawArt(const TextArt& art, const CellRect& cells, Point client)
{
    // Centred in its control, as a picture control with a centred image shows its bitmap.
    const int top = client.row + cells.row + (cells.rows - art.Rows()) / 2;
    const int left = client.col + cells.col + (cells.cols - art.Cols()) / 2;
    for (int row = 0; row < art.Rows(); ++row) {
        for (int col = 0; col < art.Cols(); ++col) {
            Style style = Style::Dialog;
            switch (art.colours[row][col]) {
            case 'c': style = Style::ArtCard; break;
            case 'y': style = Style::ArtChip; break;
            case 'r': style = Style::ArtReader; break;
            case 'l': style = Style::ArtLed; break;
            case 'k': style = Style::ArtCable; break;
            default: break;
            }
            DrawText({top + row, left + col}, art.lines[row].substr(col, 1), 1, style);
        }
    }
}

}  // namespace

void DialogWindow::Draw(Point origin, bool active)
{
    // Painting goes through the dialog, as WM_PAINT does; its default comes back to DefaultPaint.
    m_paintOrigin = origin;
    m_paintActive = active;
    m_dialog.OnPaint();
}

void DialogWindow::DefaultPaint()
{
    const Point origin = m_paintOrigin;
    const Size extent = Extent();
    FillRect(origin, extent, Style::Dialog);
    DrawBox(origin, extent, Style::Dialog);
    const Style caption = m_paintActive ? Style::CaptionActive : Style::CaptionInactive;
    FillRect(origin, {1, extent.cols}, caption);
    int captionCol = origin.col + 1;
    if (m_template.systemMenu)
        captionCol += DrawText({origin.row, captionCol}, "[-]", 3, caption) + 1;
    DrawText({origin.row, captionCol}, m_template.caption, extent.cols - 4, caption);
    if (m_paintActive) {
        const char* hint = m_pressed != 0 ? TXT_TERM_PLEASE_WAIT : m_template.systemMenu ? TXT_TERM_MENU_HINT : "";
        const int width = static_cast<int>(std::string_view(hint).size());
        DrawText({origin.row, origin.col + extent.cols - width - 1}, hint, width, caption);
    }
    const Point client = Client();
    for (std::size_t i = 0; i < m_template.controls.size(); ++i)
        DrawControl(i, client, m_paintActive);
}

void DialogWindow::DrawControl(std::size_t index, Point client, bool active)
{
    const ControlTemplate& control = m_template.controls[index];
    const CellRect cells = ToCells(control.rect);
    const bool focused = active && index == m_focus;
    switch (control.kind) {
    case ControlKind::PushButton: {
        // The default button shows as such unless another push button has the focus.
        const bool focusOnButton = IsButton(m_focus);
        Style style = Style::Button;
        if (control.id == m_pressed)
            style = Style::ButtonPressed;
        else if (focused)
            style = Style::ButtonFocused;
        else if (control.isDefault && !(focusOnButton && m_focus != index))
            style = Style::ButtonDefault;
        const Point at{client.row + ButtonRow(control.rect), client.col + cells.col};
        FillRect(at, {1, cells.cols}, style);
        DrawText(at, "[", 1, style);
        DrawText({at.row, at.col + cells.cols - 1}, "]", 1, style);
        const std::string& text = m_controls[index].text;
        const int width = std::min(static_cast<int>(text.size()), cells.cols - 2);
        DrawText({at.row, at.col + (cells.cols - width) / 2}, text, width, style, true);
        break;
    }
    case ControlKind::Edit: {
        const Point at{client.row + cells.row, client.col + cells.col};
        DrawBox(at, {cells.rows, cells.cols}, focused ? Style::EditFocused : Style::Dialog);
        FillRect({at.row + 1, at.col + 1}, {cells.rows - 2, cells.cols - 2}, Style::Edit);
        const std::vector<std::string> lines = EditLines(m_controls[index].text);
        const int scroll = m_controls[index].scroll;
        const int visible = cells.rows - 2;
        for (int row = 0; row < visible && scroll + row < static_cast<int>(lines.size()); ++row)
            DrawText({at.row + 1 + row, at.col + 1},
                     lines[static_cast<std::size_t>(scroll) + static_cast<std::size_t>(row)], cells.cols - 2,
                     Style::Edit);
        const Style arrows = focused ? Style::EditFocused : Style::Dialog;
        if (scroll > 0)
            DrawArrow({at.row + 1, at.col + cells.cols - 1}, true, arrows);
        if (scroll + visible < static_cast<int>(lines.size()))
            DrawArrow({at.row + cells.rows - 2, at.col + cells.cols - 1}, false, arrows);
        break;
    }
    case ControlKind::Text: {
        const std::vector<std::string> lines = WrapText(m_controls[index].text, cells.cols);
        for (int row = 0; row < cells.rows && row < static_cast<int>(lines.size()); ++row)
            DrawText({client.row + cells.row + row, client.col + cells.col}, lines[static_cast<std::size_t>(row)],
                     cells.cols, Style::Dialog, true);
        break;
    }
    case ControlKind::Picture:
    case ControlKind::Icon:
        if (control.art != nullptr)
            DrawArt(*control.art, cells, client);
        break;
    }
}

void DialogWindow::PaintIcon(IconHandle hIcon, int x, int y)
{
    if (hIcon == nullptr)
        return;
    const TextArt& art = *static_cast<const TextArt*>(hIcon);
    DrawArt(art, {y, x, art.Rows(), art.Cols()}, Client());
}

}  // namespace lesamo::term
