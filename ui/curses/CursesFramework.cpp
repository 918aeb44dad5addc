// The dialog framework on ncursesw, the twin of ui/win32/Win32Framework.cpp: the modal loop
// of a dialog window, the application's resources (the icon as text art, the string table),
// the control look and the message box of the writers. The windows themselves are in
// DialogWindow.cpp and MessageWindow.cpp, the templates in DialogTemplates.cpp.
#include <cstdio>
#include <string>

#include "common/Notice.h"
#include "common/Texts.h"
#include "res/resource.h"
#include "ui/Framework.h"
#include "ui/curses/DialogTemplates.h"
#include "ui/curses/DialogWindow.h"
#include "ui/curses/MessageWindow.h"
#include "ui/curses/Terminal.h"

namespace lesamo {

namespace {

// Windows shows a message box without an owner and without a caption under "Fehler".
class TerminalNotice : public Notice {
public:
    void Show(const std::string& text, MessageIcon icon) override
    {
        if (term::Terminal::Active() != nullptr) {
            term::ShowMessageWindow(text, TXT_TERM_ERROR_CAPTION, icon);
            return;
        }
        // No terminal session (not reachable from the dialog, kept for safety): the text as
        // it stands, ASCII only, rather than nothing.
        std::string plain = text;
        for (char& ch : plain) {
            if (static_cast<unsigned char>(ch) >= 0x80 || static_cast<unsigned char>(ch) < 0x20)
                ch = '?';
        }
        std::fprintf(stderr, "%s\n", plain.c_str());
    }
};

}  // namespace

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

// The application icon is its text art, and the string table holds the one string the
// dialogs load.

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

void CWinApp::Enable3dControls()
{
    // A terminal has no three-dimensional control look to turn on.
}

Notice& SystemNotice()
{
    static TerminalNotice notice;
    return notice;
}

}  // namespace lesamo
