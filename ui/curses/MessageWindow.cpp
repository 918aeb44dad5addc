// Message boxes and popup menus drawn by the terminal front end.
#include "ui/curses/MessageWindow.h"

#include <algorithm>
#include <cwctype>

#include "common/Notice.h"
#include "common/Texts.h"
#include "ui/curses/Drawing.h"
#include "ui/curses/Windows1252Text.h"

namespace lesamo::term {

namespace {

constexpr int kTextWidth = 56;  // wrap width of a message text
constexpr int kIconCols = 6;    // icon and the gap behind it
constexpr int kButtonCols = 12;

struct IconLook {
    const char* glyph;
    Style style;
};

IconLook LookOf(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::Exclamation: return {"/!\\", Style::IconWarning};
    case MessageIcon::Error: return {"(X)", Style::IconError};
    case MessageIcon::Information: return {"(i)", Style::IconInfo};
    case MessageIcon::None: break;
    }
    return {nullptr, Style::Dialog};
}

// The caption bar across the top row of a window.
void DrawCaption(Point origin, int cols, const std::string& caption, bool active)
{
    const Style style = active ? Style::CaptionActive : Style::CaptionInactive;
    FillRect(origin, {1, cols}, style);
    DrawText({origin.row, origin.col + 1}, caption, cols - 2, style);
}

// The letter after a single '&', lower case; 0 when there is none.
char AccessKey(const std::string& text)
{
    for (std::size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&')
            continue;
        if (text[i + 1] != '&')
            return static_cast<char>(std::towlower(static_cast<unsigned char>(text[i + 1])));
        ++i;
    }
    return 0;
}

int VisibleLength(const std::string& text)
{
    int length = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size())
            ++i;
        ++length;
    }
    return length;
}

}  // namespace

MessageWindow::MessageWindow(const std::string& text, std::string caption, MessageIcon icon)
    : m_caption(std::move(caption)), m_icon(icon), m_lines(WrapText(text, kTextWidth))
{
}

Size MessageWindow::Extent() const
{
    int width = std::max(kButtonCols, static_cast<int>(m_caption.size()) + 2);
    for (const std::string& line : m_lines)
        width = std::max(width, static_cast<int>(line.size()));
    const int iconCols = LookOf(m_icon).glyph != nullptr ? kIconCols : 0;
    // caption, blank, text, blank, button, blank, frame
    return {static_cast<int>(m_lines.size()) + 6, width + iconCols + 6};
}

void MessageWindow::Draw(Point origin, bool active)
{
    const Size extent = Extent();
    FillRect(origin, extent, Style::Dialog);
    DrawBox(origin, extent, Style::Dialog);
    DrawCaption(origin, extent.cols, m_caption, active);
    int textCol = origin.col + 3;
    const IconLook look = LookOf(m_icon);
    if (look.glyph != nullptr) {
        DrawText({origin.row + 2, textCol}, look.glyph, 3, look.style);
        textCol += kIconCols;
    }
    for (std::size_t i = 0; i < m_lines.size(); ++i)
        DrawText({origin.row + 2 + static_cast<int>(i), textCol}, m_lines[i], extent.cols - 2, Style::Dialog);
    const Point button{origin.row + extent.rows - 3, origin.col + (extent.cols - kButtonCols) / 2};
    const Style style = active ? Style::ButtonFocused : Style::ButtonDefault;
    FillRect(button, {1, kButtonCols}, style);
    DrawText(button, "[", 1, style);
    DrawText({button.row, button.col + (kButtonCols - 2) / 2}, TXT_OK, 2, style);
    DrawText({button.row, button.col + kButtonCols - 1}, "]", 1, style);
}

void MessageWindow::OnKey(const Key& key)
{
    switch (key.code) {
    case KeyCode::Enter:
    case KeyCode::Space:
    case KeyCode::Escape: m_closed = true; break;
    default: break;
    }
}

int ShowMessageWindow(const std::string& text, const std::string& caption, MessageIcon icon)
{
    Terminal* terminal = Terminal::Active();
    if (terminal == nullptr)
        return IDOK;
    MessageWindow window(text, caption, icon);
    terminal->RunModal(window);
    return IDOK;
}

MenuWindow::MenuWindow(const std::vector<MenuEntry>& entries, const Window& owner) : m_entries(entries), m_owner(owner)
{
    while (m_selected < m_entries.size() && m_entries[m_selected].text.empty())
        ++m_selected;
}

Size MenuWindow::Extent() const
{
    int width = 8;
    for (const MenuEntry& entry : m_entries)
        width = std::max(width, VisibleLength(entry.text));
    return {static_cast<int>(m_entries.size()) + 2, width + 4};
}

Point MenuWindow::Place(Size screen) const
{
    // Below the system-menu box at the left of the owner's caption, kept on the screen.
    const Size extent = Extent();
    Point at{m_owner.Origin().row + 1, m_owner.Origin().col};
    at.row = std::max(0, std::min(at.row, screen.rows - extent.rows));
    at.col = std::max(0, std::min(at.col, screen.cols - extent.cols));
    return at;
}

void MenuWindow::Draw(Point origin, bool)
{
    const Size extent = Extent();
    FillRect(origin, extent, Style::Menu);
    DrawBox(origin, extent, Style::Menu);
    for (std::size_t i = 0; i < m_entries.size(); ++i) {
        const int row = origin.row + 1 + static_cast<int>(i);
        if (m_entries[i].text.empty()) {
            DrawRule({row, origin.col}, extent.cols, Style::Menu);
            continue;
        }
        const Style style = i == m_selected ? Style::MenuSelected : Style::Menu;
        FillRect({row, origin.col + 1}, {1, extent.cols - 2}, style);
        DrawText({row, origin.col + 2}, m_entries[i].text, extent.cols - 4, style, true);
    }
}

void MenuWindow::Move(int step)
{
    if (m_entries.empty())
        return;
    std::size_t index = m_selected;
    for (std::size_t tries = 0; tries < m_entries.size(); ++tries) {
        index = (index + m_entries.size() + static_cast<std::size_t>(step)) % m_entries.size();
        if (!m_entries[index].text.empty()) {
            m_selected = index;
            return;
        }
    }
}

void MenuWindow::OnKey(const Key& key)
{
    switch (key.code) {
    case KeyCode::Up: Move(-1); break;
    case KeyCode::Down: Move(1); break;
    case KeyCode::Enter:
    case KeyCode::Space:
        if (m_selected < m_entries.size())
            m_chosen = m_entries[m_selected].id;
        m_closed = true;
        break;
    case KeyCode::Escape:
    case KeyCode::F10:
    case KeyCode::AltSpace: m_closed = true; break;
    case KeyCode::Char: {
        const char typed = ToWindows1252(static_cast<wchar_t>(std::towlower(static_cast<wint_t>(key.ch))));
        for (const MenuEntry& entry : m_entries) {
            if (!entry.text.empty() && typed != 0 && AccessKey(entry.text) == typed) {
                m_chosen = entry.id;
                m_closed = true;
                return;
            }
        }
        break;
    }
    default: break;
    }
}

}  // namespace lesamo::term
