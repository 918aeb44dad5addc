// The framework's modal dialogs on the terminal: a dialog window drawn from its template, the
// keyboard of a Windows dialog, and the system menu.
#include <algorithm>
#include <string>
#include <vector>

#include "ui/Framework.h"
#include "ui/curses/DialogTemplates.h"
#include "ui/curses/Drawing.h"
#include "ui/curses/MessageWindow.h"
#include "ui/curses/Terminal.h"
#include "ui/curses/Windows1252Text.h"

namespace lesamo {

namespace term {

namespace {

// The entries Windows puts into the system menu of a dialog with a modal frame that cannot be
// moved in a terminal: only closing.
std::vector<MenuEntry> SystemEntries()
{
    return {{"&Schließen", kSysCommandClose}};
}

class SystemMenu : public CMenu {
public:
    SystemMenu() : m_entries(SystemEntries()) {}
    void AppendSeparator() override { m_entries.push_back({"", 0}); }
    void AppendString(unsigned nID, const std::string& text) override { m_entries.push_back({text, nID}); }
    void Revert() { m_entries = SystemEntries(); }
    const std::vector<MenuEntry>& Entries() const { return m_entries; }

private:
    std::vector<MenuEntry> m_entries;
};

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

// What the window keeps for one control of its template.
struct ControlState {
    std::string text;
    int scroll = 0;     // first line an edit box shows
};

class DialogWindow : public Window, public DialogHost {
public:
    DialogWindow(CDialog& dialog, const DialogTemplate& dialogTemplate);

    // Window
    Size Extent() const override;
    void Draw(Point origin, bool active) override;
    void OnKey(const Key& key) override;
    bool IsClosed() const override { return m_bEnded; }

    // DialogHost
    void SetControlText(int nIDC, const std::string& text) override;
    std::string GetControlText(int nIDC) const override;
    void EndModal(int nResult) override;
    CMenu* GetSystemMenu(bool bRevert) override;
    void SetIcon(IconHandle hIcon, bool bBigIcon) override;
    bool IsIconic() const override { return false; }     // a terminal dialog is never minimised
    CRect GetClientRect() const override;
    int ShowMessageBox(const std::string& text, const std::string& caption, MessageIcon icon) override;
    void DefaultSysCommand(unsigned nID, long lParam) override;
    void DefaultPaint() override;
    void PaintIcon(IconHandle hIcon, int x, int y) override;

    int Result() const { return m_nResult; }
    void FocusFirst();

private:
    int IndexOf(int nIDC) const;
    bool IsButton(std::size_t index) const;
    bool IsMultiLineEdit(std::size_t index) const;
    void MoveFocus(int step);
    void Scroll(int lines);
    void Command(int nId);
    void OpenSystemMenu();
    void DrawControl(std::size_t index, Point client, bool active);
    Point Client() const { return {m_paintOrigin.row + 1, m_paintOrigin.col + 1}; }

    CDialog& m_dialog;
    const DialogTemplate& m_template;
    std::vector<ControlState> m_controls;   // one per control, in template order
    std::size_t m_nFocus = 0;
    int m_nPressed = 0;                     // the command being handled, drawn pressed
    bool m_bEnded = false;
    int m_nResult = -1;
    SystemMenu m_systemMenu;
    Point m_paintOrigin;
    bool m_bPaintActive = false;
};

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
            m_nFocus = i;
            return;
        }
    }
}

Size DialogWindow::Extent() const
{
    const CellRect client = ToCells({0, 0, m_template.cx, m_template.cy});
    return {client.rows + 2, client.cols + 2};     // caption row and bottom frame, side frames
}

void DialogWindow::Draw(Point origin, bool active)
{
    // Painting goes through the dialog, as WM_PAINT does; its default comes back to DefaultPaint.
    m_paintOrigin = origin;
    m_bPaintActive = active;
    m_dialog.OnPaint();
}

void DialogWindow::DefaultPaint()
{
    const Point origin = m_paintOrigin;
    const Size extent = Extent();
    FillRect(origin, extent, Style::Dialog);
    DrawBox(origin, extent, Style::Dialog);
    const Style caption = m_bPaintActive ? Style::CaptionActive : Style::CaptionInactive;
    FillRect(origin, {1, extent.cols}, caption);
    int captionCol = origin.col + 1;
    if (m_template.systemMenu)
        captionCol += DrawText({origin.row, captionCol}, "[-]", 3, caption) + 1;
    DrawText({origin.row, captionCol}, m_template.caption, extent.cols - 4, caption);
    if (m_bPaintActive) {
        const char* hint = m_nPressed != 0 ? "Bitte warten..." : m_template.systemMenu ? "F10: Menü" : "";
        const int width = static_cast<int>(std::string_view(hint).size());
        DrawText({origin.row, origin.col + extent.cols - width - 1}, hint, width, caption);
    }
    const Point client = Client();
    for (std::size_t i = 0; i < m_template.controls.size(); ++i)
        DrawControl(i, client, m_bPaintActive);
}

void DialogWindow::DrawControl(std::size_t index, Point client, bool active)
{
    const ControlTemplate& control = m_template.controls[index];
    const CellRect cells = ToCells(control.rect);
    const bool focused = active && index == m_nFocus;
    switch (control.kind) {
    case ControlKind::PushButton: {
        // The default button shows as such unless another push button has the focus.
        const bool focusOnButton = IsButton(m_nFocus);
        Style style = Style::Button;
        if (control.id == m_nPressed)
            style = Style::ButtonPressed;
        else if (focused)
            style = Style::ButtonFocused;
        else if (control.isDefault && !(focusOnButton && m_nFocus != index))
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
            DrawText({at.row + 1 + row, at.col + 1}, lines[static_cast<std::size_t>(scroll + row)], cells.cols - 2, Style::Edit);
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
            DrawText({client.row + cells.row + row, client.col + cells.col}, lines[static_cast<std::size_t>(row)], cells.cols, Style::Dialog, true);
        break;
    }
    case ControlKind::Picture:
    case ControlKind::Icon:
        if (control.art != nullptr)
            DrawArt(*control.art, cells, client);
        break;
    }
}

int DialogWindow::IndexOf(int nIDC) const
{
    for (std::size_t i = 0; i < m_template.controls.size(); ++i) {
        if (m_template.controls[i].id == nIDC)
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
    return index < m_template.controls.size() && m_template.controls[index].kind == ControlKind::Edit
        && m_template.controls[index].multiLine;
}

void DialogWindow::MoveFocus(int step)
{
    const std::size_t count = m_template.controls.size();
    std::size_t index = m_nFocus;
    for (std::size_t tries = 0; tries < count; ++tries) {
        index = (index + count + static_cast<std::size_t>(step)) % count;
        if (m_template.controls[index].tabStop) {
            m_nFocus = index;
            return;
        }
    }
}

void DialogWindow::Scroll(int lines)
{
    // Only the focused edit box scrolls, and only one of several lines.
    if (!IsMultiLineEdit(m_nFocus))
        return;
    ControlState& control = m_controls[m_nFocus];
    const int total = static_cast<int>(EditLines(control.text).size());
    const int visible = ToCells(m_template.controls[m_nFocus].rect).rows - 2;
    control.scroll = std::clamp(control.scroll + lines, 0, std::max(0, total - visible));
}

void DialogWindow::Command(int nId)
{
    // Shown pressed, with a hint in the caption, until the handler returns: a search blocks
    // the dialog for seconds.
    m_nPressed = nId;
    Terminal::Active()->Redraw();
    m_dialog.OnCommand(nId);
    m_nPressed = 0;
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
    const ControlTemplate* focus = m_nFocus < m_template.controls.size() ? &m_template.controls[m_nFocus] : nullptr;
    const bool onEdit = focus != nullptr && focus->kind == ControlKind::Edit;
    switch (key.code) {
    case KeyCode::Tab:
    case KeyCode::Right:
        MoveFocus(1);
        break;
    case KeyCode::BackTab:
    case KeyCode::Left:
        MoveFocus(-1);
        break;
    // In the edit box the vertical keys scroll, as they move the caret of a Windows edit box.
    case KeyCode::Down:
        onEdit ? Scroll(1) : MoveFocus(1);
        break;
    case KeyCode::Up:
        onEdit ? Scroll(-1) : MoveFocus(-1);
        break;
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
        int nDefault = IDOK;
        for (const ControlTemplate& control : m_template.controls) {
            if (control.isDefault)
                nDefault = control.id;
        }
        Command(nDefault);
        break;
    }
    case KeyCode::Escape:
        Command(IDCANCEL);
        break;
    case KeyCode::F10:
    case KeyCode::AltSpace:
        OpenSystemMenu();
        break;
    case KeyCode::F1:
        if (CWinApp* app = AfxGetApp())
            app->OnCommand(ID_HELP);
        break;
    default:
        break;
    }
}

void DialogWindow::SetControlText(int nIDC, const std::string& text)
{
    const int index = IndexOf(nIDC);
    if (index < 0)
        return;
    ControlState& control = m_controls[static_cast<std::size_t>(index)];
    control.text = text;
    control.scroll = 0;         // new text shows from its first line, as in an edit box
}

std::string DialogWindow::GetControlText(int nIDC) const
{
    const int index = IndexOf(nIDC);
    return index < 0 ? std::string() : m_controls[static_cast<std::size_t>(index)].text;
}

void DialogWindow::EndModal(int nResult)
{
    m_nResult = nResult;
    m_bEnded = true;
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

void DialogWindow::PaintIcon(IconHandle hIcon, int x, int y)
{
    if (hIcon == nullptr)
        return;
    const TextArt& art = *static_cast<const TextArt*>(hIcon);
    DrawArt(art, {y, x, art.Rows(), art.Cols()}, Client());
}

}  // namespace

}  // namespace term

int RunModalDialog(CDialog& dialog, CDialog*)
{
    term::Terminal* terminal = term::Terminal::Active();
    const term::DialogTemplate* dialogTemplate = term::FindDialogTemplate(dialog.TemplateId());
    if (terminal == nullptr || dialogTemplate == nullptr)
        return -1;
    term::DialogWindow window(dialog, *dialogTemplate);
    dialog.AttachHost(&window);
    window.FocusFirst();
    dialog.OnInitDialog();
    terminal->RunModal(window);
    dialog.AttachHost(nullptr);
    return window.Result();
}

void CWinApp::Enable3dControls()
{
    // A terminal has no three-dimensional control look to turn on.
}

}  // namespace lesamo
