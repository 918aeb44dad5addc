// The window of a framework dialog on the terminal: drawn from its template, with the
// keyboard of a Windows dialog and a system menu; the dialog reaches it as its DialogHost.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "ui/Framework.h"
#include "ui/curses/DialogTemplates.h"
#include "ui/curses/MessageWindow.h"
#include "ui/curses/Terminal.h"

namespace lesamo::term {

/// The system menu of a dialog window, as CDialog::GetSystemMenu hands it out.
class SystemMenu : public CMenu {
public:
    SystemMenu();
    void AppendSeparator() override { m_entries.push_back({"", 0}); }
    void AppendString(unsigned nID, const std::string& text) override { m_entries.push_back({text, nID}); }
    /// Back to the entries the system gives a dialog.
    void Revert();
    const std::vector<MenuEntry>& Entries() const { return m_entries; }

private:
    std::vector<MenuEntry> m_entries;
};

/// What a dialog window keeps for one control of its template.
struct ControlState {
    std::string text;
    int scroll = 0;  // first line an edit box shows
};

/// One open dialog: a window on the terminal's stack, and the host its CDialog talks to.
class DialogWindow : public Window, public DialogHost {
public:
    DialogWindow(CDialog& dialog, const DialogTemplate& dialogTemplate);

    // Window
    Size Extent() const override;
    void Draw(Point origin, bool active) override;
    void OnKey(const Key& key) override;
    bool IsClosed() const override { return m_ended; }

    // DialogHost
    void SetControlText(int nIDC, const std::string& text) override;
    std::string GetControlText(int nIDC) const override;
    void EndModal(int nResult) override;
    CMenu* GetSystemMenu(bool bRevert) override;
    void SetIcon(IconHandle hIcon, bool bBigIcon) override;
    bool IsIconic() const override { return false; }  // a terminal dialog is never minimised
    CRect GetClientRect() const override;
    int ShowMessageBox(const std::string& text, const std::string& caption, MessageIcon icon) override;
    void DefaultSysCommand(unsigned nID, long lParam) override;
    void DefaultPaint() override;
    void PaintIcon(IconHandle hIcon, int x, int y) override;

    /// The end code given to EndModal; -1 while the dialog is open.
    int Result() const { return m_result; }
    /// The focus on the first control with a tab stop, as when a dialog opens.
    void FocusFirst();

private:
    int IndexOf(int id) const;
    bool IsButton(std::size_t index) const;
    bool IsMultiLineEdit(std::size_t index) const;
    void MoveFocus(int step);
    void Scroll(int lines);
    void Command(int id);
    void OpenSystemMenu();
    void DrawControl(std::size_t index, Point client, bool active);
    Point Client() const { return {m_paintOrigin.row + 1, m_paintOrigin.col + 1}; }

    CDialog& m_dialog;
    const DialogTemplate& m_template;
    std::vector<ControlState> m_controls;  // one per control, in template order
    std::size_t m_focus = 0;
    int m_pressed = 0;  // the command being handled, drawn pressed
    bool m_ended = false;
    int m_result = -1;
    SystemMenu m_systemMenu;
    Point m_paintOrigin;
    bool m_paintActive = false;
};

}  // namespace lesamo::term
