// The dialog framework the user interface is written against: small stand-ins for the class
// library's application object and modal dialogs. The dialog classes exist once, above this
// header; ui/Framework.cpp holds the platform-neutral parts (DDX_Text, CDialog, CWinApp).
//
// A back end's whole contract, wherever it is declared. The front end
// (ui/win32/Win32Framework.cpp, ui/curses/CursesFramework.cpp; for the tests
// tests/support/FakeFramework.cpp) defines
//   here:               RunModalDialog (with a DialogHost per window), SystemIconWidth,
//                       SystemIconHeight, LoadResourceString, LoadResourceIcon,
//                       CWinApp::Enable3dControls
//   common/Notice.h:    SystemNotice
// and its start (ui/win32/WinMain.cpp, ui/curses/Main.cpp) names the application after the
// executable when it has no name (AppNameFromPath) and calls its InitInstance. Below it each
// platform has its back ends of the core, in files named for the platform:
//   detect/SerialPort.h: SystemPorts                               (SerialPort_*.cpp)
//   config/TextFile.h:   TextFile (its Place and every member)     (TextFile_*.cpp)
//   config/WindowsDir.h: WindowsFilePath                           (WindowsDir_*.cpp)
// The terminal's handler of the signals that end it also gives a held serial line back
// (detect/SerialPort_posix.h): a POSIX duty, which Windows does itself.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "common/Notice.h"
#include "res/resource.h"

namespace lesamo {

/// An icon loaded from the application's resources; opaque outside the back ends
/// (an HICON on Windows).
using IconHandle = const void*;

/// System commands as the framework passes them to OnSysCommand (the low four bits of a
/// Windows system command are used by the system and are masked off by the handler).
enum : unsigned {
    kSysCommandMask = 0xFFF0,
    kSysCommandClose = 0xF060,
    kSysCommandMove = 0xF010,
};

struct CRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

class CDialog;

/// Data exchange between a dialog's members and its controls (DDX_Text and friends).
class CDataExchange {
public:
    CDataExchange(CDialog& dialog, bool bSaveAndValidate) : m_dialog(dialog), m_bSaveAndValidate(bSaveAndValidate) {}
    CDialog& m_dialog;
    const bool m_bSaveAndValidate;  // true: control → member; false: member → control
};

/// Binds the text of control `nIDC` to `value`.
void DDX_Text(CDataExchange* pDX, int nIDC, std::string& value);

/// A window's system menu, as returned by CDialog::GetSystemMenu.
class CMenu {
public:
    virtual ~CMenu() = default;
    virtual void AppendSeparator() = 0;
    /// Appends a text entry (Windows-1252, '&' marks the access key) with command `nID`.
    virtual void AppendString(unsigned nID, const std::string& text) = 0;
};

/// What a platform provides for one open dialog window; made by the back end in DoModal.
class DialogHost {
public:
    virtual ~DialogHost() = default;
    virtual void SetControlText(int nIDC, const std::string& text) = 0;
    virtual std::string GetControlText(int nIDC) const = 0;
    virtual void EndModal(int nResult) = 0;
    /// nullptr when the window has no system menu.
    virtual CMenu* GetSystemMenu(bool bRevert) = 0;
    virtual void SetIcon(IconHandle hIcon, bool bBigIcon) = 0;
    virtual bool IsIconic() const = 0;
    virtual CRect GetClientRect() const = 0;
    /// A message box owned by this window; returns the id of the button that closed it.
    virtual int ShowMessageBox(const std::string& text, const std::string& caption, MessageIcon icon) = 0;
    /// The system's handling of a system command (move, close, ...).
    virtual void DefaultSysCommand(unsigned nID, long lParam) = 0;
    /// The system's painting of the window.
    virtual void DefaultPaint() = 0;
    /// Minimised-icon painting: open a paint context, erase the icon background, draw `hIcon`
    /// at (x, y) in client coordinates, close the paint context.
    virtual void PaintIcon(IconHandle hIcon, int x, int y) = 0;
};

/// The back end's modal loop: creates the window for `dialog`'s template, calls OnInitDialog,
/// dispatches commands until EndModal, and returns the end code (-1 when the window could not
/// be created). Defined in ui/win32/ or ui/curses/.
int RunModalDialog(CDialog& dialog, CDialog* pParent);

/// Width and height of a standard icon (SM_CXICON, SM_CYICON).
int SystemIconWidth();
int SystemIconHeight();

/// A string from the application's string table; empty when there is none.
std::string LoadResourceString(int nID);

/// An icon from the application's resources.
IconHandle LoadResourceIcon(int nID);

class CDialog {
public:
    explicit CDialog(int nIDTemplate, CDialog* pParentWnd = nullptr);
    virtual ~CDialog();
    CDialog(const CDialog&) = delete;
    CDialog& operator=(const CDialog&) = delete;

    /// Shows the dialog modally; returns IDOK or IDCANCEL (whatever ended it), -1 on failure.
    int DoModal();
    void EndDialog(int nResult);
    /// false: members → controls; true: controls → members. Runs DoDataExchange.
    bool UpdateData(bool bSaveAndValidate = true);

    int TemplateId() const { return m_nIDTemplate; }
    DialogHost* Host() const { return m_pHost; }

    // Called by the back end while the dialog is up. Each reads like one entry of the
    // class library's message map.
    virtual bool OnInitDialog();
    virtual void DoDataExchange(CDataExchange* pDX);
    /// A button was clicked (or Enter/Escape mapped to IDOK/IDCANCEL). Returns true when handled.
    virtual bool OnCommand(int nId);
    virtual void OnOK();
    virtual void OnCancel();
    virtual void OnSysCommand(unsigned nID, long lParam);
    virtual void OnPaint();
    virtual IconHandle OnQueryDragIcon();

    /// Attached by RunModalDialog for the dialog's lifetime on screen.
    void AttachHost(DialogHost* pHost) { m_pHost = pHost; }

protected:
    int ShowMessageBox(const std::string& text, const std::string& caption, MessageIcon icon);
    CMenu* GetSystemMenu(bool bRevert);
    void SetIcon(IconHandle hIcon, bool bBigIcon);
    bool IsIconic() const;
    CRect GetClientRect() const;

private:
    int m_nIDTemplate;
    CDialog* m_pParentWnd;
    DialogHost* m_pHost = nullptr;
};

class CWinApp {
public:
    /// With no name, the application's name is the executable's file name without extension.
    explicit CWinApp(const char* pszAppName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    /// Returns false to end the application without a message loop.
    virtual bool InitInstance();
    /// Dispatches application commands (ID_HELP); returns true when handled.
    virtual bool OnCommand(int nId);
    void OnHelp();
    /// The themed control look where the platform has one.
    void Enable3dControls();

    std::string m_strAppName;
    CDialog* m_pMainWnd = nullptr;
};

/// The one application object.
CWinApp* AfxGetApp();

/// The name the framework gives an application without one: the executable's file name
/// (after the last '/', '\\' or ':') without its extension; "lesamo" when nothing is left.
std::string AppNameFromPath(std::string_view path);

}  // namespace lesamo
