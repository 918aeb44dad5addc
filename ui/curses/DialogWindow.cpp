// The window of a framework dialog on the terminal: its controls' texts, the keyboard of a
// Windows dialog and the system menu. CursesFramework.cpp's modal loop shows it.
#include "ui/curses/DialogWindow.h"

#include <algorithm>
#include <string>
#include <vector>

#include "common/Texts.h"
#include "ui/curses/Windows1252Text.h"

namespace lesamo::term {

namespace {

// The entries Windows puts into the system menu of a dialog with a modal frame that cannot be
// moved in a terminal: only closing.
std::vector<MenuEntry> SystemEntries()
{
    return {{TXT_TERM_CLOSE, kSysCommandClose}};
}

}  // namespace

SystemMenu::SystemMenu() : m_entries(SystemEntries())
{
}

void SystemMenu::Revert()
{
    m_entries = SystemEntries();
}

DialogWindow::DialogWindow(CDialog& dialog, const DialogTemplate& dialogTemplate)
    : m_dialog(dialog), m_template(dialogTemplate)
{
    for (const ControlTemplate& control : m_template.controls)
        m_controls.push_back({control.text});
}

void DialogWindow::FocusFirst()
{
    for (std::size_t i = 0; i < m_template.controls.size(); ++i) {
        if (m_template.controls[i].tabStop) {
            m_focus = i;
            return;
        }
    }
}

Size DialogWindow::Extent() const
{
    const CellRect client = ToCells({0, 0, m_template.cx, m_template.cy});
    return {client.rows + 2, client.cols + 2};  // caption row and bottom frame, side frames
}

int DialogWindow::IndexOf(int id) const
{
    for (std::size_t i = 0; i < m_template.controls.size(); ++i) {
        if (m_template.controls[i].id == id)
            return static_cast<int>(i);
    }
    return -1;
}

bool DialogWindow::IsButton(std::size_t index) const
{
    return index < m_template.controls.size() && m_template.controls[index].kind == ControlKind::PushButton;
}

bool DialogWindow::IsMultiLineEdit(std::size_t index) const
{
    return index < m_template.controls.size() && m_template.controls[index].kind == ControlKind::Edit &&
           m_template.controls[index].multiLine;
}

void DialogWindow::MoveFocus(int step)
{
    const std::size_t count = m_template.controls.size();
    std::size_t index = m_focus;
    for (std::size_t tries = 0; tries < count; ++tries) {
        index = (index + count + static_cast<std::size_t>(step)) % count;
        if (m_template.controls[index].tabStop) {
            m_focus = index;
            return;
        }
    }
}

void DialogWindow::Scroll(int lines)
{
    // Only the focused edit box scrolls, and only one of several lines.
    if (!IsMultiLineEdit(m_focus))
        return;
    ControlState& control = m_controls[m_focus];
    const int total = static_cast<int>(EditLines(control.text).size());
    const int visible = ToCells(m_template.controls[m_focus].rect).rows - 2;
    control.scroll = std::clamp(control.scroll + lines, 0, std::max(0, total - visible));
}

void DialogWindow::Command(int id)
{
    // Shown pressed, with a hint in the caption, until the handler returns: a search blocks
    // the dialog for seconds.
    m_pressed = id;
    Terminal::Active()->Redraw();
    m_dialog.OnCommand(id);
    m_pressed = 0;
}

void DialogWindow::OpenSystemMenu()
{
    if (!m_template.systemMenu)
        return;
    MenuWindow menu(m_systemMenu.Entries(), *this);
    Terminal::Active()->RunModal(menu);
    if (menu.Chosen() != 0)
        m_dialog.OnSysCommand(menu.Chosen(), 0);
}

void DialogWindow::OnKey(const Key& key)
{
    const ControlTemplate* focus = m_focus < m_template.controls.size() ? &m_template.controls[m_focus] : nullptr;
    const bool onEdit = focus != nullptr && focus->kind == ControlKind::Edit;
    switch (key.code) {
    case KeyCode::Tab:
    case KeyCode::Right: MoveFocus(1); break;
    case KeyCode::BackTab:
    case KeyCode::Left: MoveFocus(-1); break;
    // In the edit box the vertical keys scroll, as they move the caret of a Windows edit box.
    case KeyCode::Down: onEdit ? Scroll(1) : MoveFocus(1); break;
    case KeyCode::Up: onEdit ? Scroll(-1) : MoveFocus(-1); break;
    case KeyCode::PageDown:
    case KeyCode::End:
        if (onEdit)
            Scroll(key.code == KeyCode::End ? 1000 : ToCells(focus->rect).rows - 2);
        break;
    case KeyCode::PageUp:
    case KeyCode::Home:
        if (onEdit)
            Scroll(key.code == KeyCode::Home ? -1000 : -(ToCells(focus->rect).rows - 2));
        break;
    case KeyCode::Space:
        if (focus != nullptr && focus->kind == ControlKind::PushButton)
            Command(focus->id);
        break;
    case KeyCode::Enter: {
        // The focused push button, else the default button.
        if (focus != nullptr && focus->kind == ControlKind::PushButton) {
            Command(focus->id);
            break;
        }
        int defaultId = IDOK;
        for (const ControlTemplate& control : m_template.controls) {
            if (control.isDefault)
                defaultId = control.id;
        }
        Command(defaultId);
        break;
    }
    case KeyCode::Escape: Command(IDCANCEL); break;
    case KeyCode::F10:
    case KeyCode::AltSpace: OpenSystemMenu(); break;
    case KeyCode::F1:
        if (CWinApp* app = AfxGetApp())
            app->OnCommand(ID_HELP);
        break;
    default: break;
    }
}

void DialogWindow::SetControlText(int nIDC, const std::string& text)
{
    const int index = IndexOf(nIDC);
    if (index < 0)
        return;
    ControlState& control = m_controls[static_cast<std::size_t>(index)];
    control.text = text;
    control.scroll = 0;  // new text shows from its first line, as in an edit box
}

std::string DialogWindow::GetControlText(int nIDC) const
{
    const int index = IndexOf(nIDC);
    return index < 0 ? std::string() : m_controls[static_cast<std::size_t>(index)].text;
}

void DialogWindow::EndModal(int nResult)
{
    m_result = nResult;
    m_ended = true;
}

CMenu* DialogWindow::GetSystemMenu(bool bRevert)
{
    if (!m_template.systemMenu)
        return nullptr;
    if (bRevert) {
        m_systemMenu.Revert();
        return nullptr;
    }
    return &m_systemMenu;
}

void DialogWindow::SetIcon(IconHandle, bool)
{
    // A terminal window has no caption icon or task-bar entry to show it in.
}

CRect DialogWindow::GetClientRect() const
{
    const Size extent = Extent();
    return {0, 0, extent.cols - 2, extent.rows - 2};
}

int DialogWindow::ShowMessageBox(const std::string& text, const std::string& caption, MessageIcon icon)
{
    return ShowMessageWindow(text, caption, icon);
}

void DialogWindow::DefaultSysCommand(unsigned nID, long)
{
    // Closing a dialog from its system menu is its cancel, as on Windows.
    if ((nID & kSysCommandMask) == kSysCommandClose)
        Command(IDCANCEL);
}

}  // namespace lesamo::term
