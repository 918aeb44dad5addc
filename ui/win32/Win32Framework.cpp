// The dialog framework on user32: modal dialogs from the resource templates, their
// message boxes and system menu, the application's resources, the themed look and the
// writers' message box. The pictures at the screen's scale are DpiScaling.cpp's.
#include <windows.h>
#include <commctrl.h>

#include <string>

#include "common/Notice.h"
#include "ui/Framework.h"
#include "ui/win32/DpiScaling.h"

namespace lesamo {

namespace {

/// The message-box style of an icon.
UINT IconStyle(MessageIcon icon)
{
    switch (icon) {
    case MessageIcon::None: break;
    case MessageIcon::Exclamation: return MB_ICONEXCLAMATION;
    case MessageIcon::Error: return MB_ICONERROR;
    case MessageIcon::Information: return MB_ICONINFORMATION;
    }
    return 0;
}

HINSTANCE AppInstance()
{
    return GetModuleHandleA(nullptr);
}

class Win32Menu : public CMenu {
public:
    explicit Win32Menu(HMENU hMenu) : m_hMenu(hMenu) {}
    void AppendSeparator() override { AppendMenuA(m_hMenu, MF_SEPARATOR, 0, nullptr); }
    void AppendString(unsigned nID, const std::string& text) override
    {
        AppendMenuA(m_hMenu, MF_STRING, nID, text.c_str());
    }

private:
    HMENU m_hMenu;
};

/// One modal dialog window on screen. The window keeps `this` in DWLP_USER from
/// WM_INITDIALOG on; the one static procedure finds it there and dispatches like a
/// message map.
class Win32Dialog : public DialogHost {
public:
    explicit Win32Dialog(CDialog& dialog) : m_dialog(dialog) {}

    int Run(HWND hOwner)
    {
        const INT_PTR result = DialogBoxParamA(AppInstance(), MAKEINTRESOURCEA(m_dialog.TemplateId()), hOwner,
                                               &Win32Dialog::DialogProc, reinterpret_cast<LPARAM>(this));
        m_dialog.AttachHost(nullptr);
        return static_cast<int>(result);
    }

    HWND Window() const { return m_hWnd; }

    void SetControlText(int nIDC, const std::string& text) override { SetDlgItemTextA(m_hWnd, nIDC, text.c_str()); }

    std::string GetControlText(int nIDC) const override
    {
        const HWND hControl = GetDlgItem(m_hWnd, nIDC);
        if (!hControl)
            return {};
        std::string text(static_cast<std::size_t>(GetWindowTextLengthA(hControl)) + 1, '\0');
        text.resize(static_cast<std::size_t>(GetWindowTextA(hControl, text.data(), static_cast<int>(text.size()))));
        return text;
    }

    void EndModal(int nResult) override { ::EndDialog(m_hWnd, nResult); }

    CMenu* GetSystemMenu(bool bRevert) override
    {
        const HMENU hMenu = ::GetSystemMenu(m_hWnd, bRevert ? TRUE : FALSE);
        if (!hMenu)
            return nullptr;
        m_systemMenu = Win32Menu(hMenu);
        return &m_systemMenu;
    }

    void SetIcon(IconHandle hIcon, bool bBigIcon) override
    {
        SendMessageA(m_hWnd, WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL,
                     reinterpret_cast<LPARAM>(const_cast<void*>(hIcon)));
    }

    bool IsIconic() const override { return ::IsIconic(m_hWnd) != FALSE; }

    CRect GetClientRect() const override
    {
        RECT rect{};
        ::GetClientRect(m_hWnd, &rect);
        return CRect{rect.left, rect.top, rect.right, rect.bottom};
    }

    int ShowMessageBox(const std::string& text, const std::string& caption, MessageIcon icon) override
    {
        return MessageBoxA(m_hWnd, text.c_str(), caption.c_str(), MB_OK | IconStyle(icon));
    }

    // The window's own procedure does what DefDlgProc would do after a dialog procedure
    // returned FALSE for these messages.
    void DefaultSysCommand(unsigned nID, long lParam) override { DefWindowProcA(m_hWnd, WM_SYSCOMMAND, nID, lParam); }

    void DefaultPaint() override { DefWindowProcA(m_hWnd, WM_PAINT, 0, 0); }

    void PaintIcon(IconHandle hIcon, int x, int y) override
    {
        PAINTSTRUCT paint{};
        const HDC hDC = BeginPaint(m_hWnd, &paint);
        SendMessageA(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(hDC), 0);
        DrawIcon(hDC, x, y, static_cast<HICON>(const_cast<void*>(hIcon)));
        EndPaint(m_hWnd, &paint);
    }

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) noexcept
    {
        if (message == WM_INITDIALOG) {
            auto* self = reinterpret_cast<Win32Dialog*>(lParam);
            SetWindowLongPtrA(hWnd, DWLP_USER, lParam);
            self->m_hWnd = hWnd;
            self->m_dialog.AttachHost(self);
            self->m_pictures.Scale(hWnd, WindowDpi(hWnd));
            RECT before{};
            GetWindowRect(hWnd, &before);
            const bool visibleTemplate = IsWindowVisible(hWnd) != FALSE;
            const BOOL result = self->m_dialog.OnInitDialog() ? TRUE : FALSE;
            // As the class library does: a dialog whose template leaves it hidden and that
            // OnInitDialog did not move is centred over its owner (the About box over the
            // main dialog).
            RECT after{};
            GetWindowRect(hWnd, &after);
            if (!visibleTemplate && !IsWindowVisible(hWnd) && EqualRect(&before, &after))
                CenterOverOwner(hWnd);
            return result;
        }
        auto* self = reinterpret_cast<Win32Dialog*>(GetWindowLongPtrA(hWnd, DWLP_USER));
        if (!self)
            return FALSE;  // messages before WM_INITDIALOG (WM_SETFONT) go to the system
        return self->OnMessage(message, wParam, lParam);
    }

    static void CenterOverOwner(HWND hWnd)
    {
        RECT area{};
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
        RECT over = area;
        const HWND hOwner = GetWindow(hWnd, GW_OWNER);
        if (hOwner && IsWindowVisible(hOwner) && !::IsIconic(hOwner))
            GetWindowRect(hOwner, &over);
        RECT rect{};
        GetWindowRect(hWnd, &rect);
        const int width = rect.right - rect.left;
        const int height = rect.bottom - rect.top;
        int x = (over.left + over.right - width) / 2;
        int y = (over.top + over.bottom - height) / 2;
        // Keep it on the screen.
        if (x + width > area.right)
            x = area.right - width;
        if (y + height > area.bottom)
            y = area.bottom - height;
        if (x < area.left)
            x = area.left;
        if (y < area.top)
            y = area.top;
        SetWindowPos(hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam)
    {
        switch (message) {
        case WM_DPICHANGED: {
            // Moved to a monitor of another scale (per monitor aware from Windows 10 1703 on):
            // take the rectangle Windows suggests, which keeps the window where the user put it,
            // and draw the pictures anew. The dialog manager then scales the fonts and lays
            // out the controls itself, which is why the message goes on to it.
            const RECT& suggested = *reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(m_hWnd, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                         suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
            m_pictures.Scale(m_hWnd, HIWORD(wParam));
            return FALSE;
        }
        case WM_DESTROY: m_pictures.Restore(); return FALSE;
        case WM_SYSCOMMAND:
            m_dialog.OnSysCommand(static_cast<unsigned>(wParam), static_cast<long>(lParam));
            return TRUE;
        case WM_PAINT: m_dialog.OnPaint(); return TRUE;
        case WM_QUERYDRAGICON:
            // One of the messages whose result a dialog procedure returns directly.
            return reinterpret_cast<INT_PTR>(m_dialog.OnQueryDragIcon());
        case WM_COMMAND:
            // Buttons report BN_CLICKED (0), Enter and Escape arrive with code 0 as well;
            // the edit box's notifications are not commands.
            if (HIWORD(wParam) != BN_CLICKED)
                return FALSE;
            return m_dialog.OnCommand(LOWORD(wParam)) ? TRUE : FALSE;
        case WM_HELP:
            // F1: the help command goes the way of any command the dialog does not handle.
            m_dialog.OnCommand(ID_HELP);
            return TRUE;
        default: return FALSE;
        }
    }

    CDialog& m_dialog;
    HWND m_hWnd = nullptr;
    Win32Menu m_systemMenu{nullptr};
    DialogPictures m_pictures;
};

// Message boxes of the writers: no owner, but modal to every window of the program, so the
// dialog cannot be used while one is open.
class Win32Notice : public Notice {
public:
    void Show(const std::string& text, MessageIcon icon) override
    {
        MessageBoxA(nullptr, text.c_str(), nullptr, MB_OK | MB_TASKMODAL | IconStyle(icon));
    }
};

}  // namespace

int RunModalDialog(CDialog& dialog, CDialog* pParent)
{
    // Like the class library, a dialog without a parent is owned by the application's main
    // window when that is already on screen (the About box by the main dialog).
    CDialog* pOwner = pParent;
    if (!pOwner && AfxGetApp() && AfxGetApp()->m_pMainWnd != &dialog)
        pOwner = AfxGetApp()->m_pMainWnd;
    const auto* pOwnerHost = pOwner ? static_cast<const Win32Dialog*>(pOwner->Host()) : nullptr;
    Win32Dialog window(dialog);
    return window.Run(pOwnerHost ? pOwnerHost->Window() : nullptr);
}

int SystemIconWidth()
{
    return GetSystemMetrics(SM_CXICON);
}

int SystemIconHeight()
{
    return GetSystemMetrics(SM_CYICON);
}

std::string LoadResourceString(int nID)
{
    char text[256] = {};
    const int length = LoadStringA(AppInstance(), static_cast<UINT>(nID), text, sizeof text);
    return std::string(text, length > 0 ? static_cast<std::size_t>(length) : 0);
}

IconHandle LoadResourceIcon(int nID)
{
    return LoadIconA(AppInstance(), MAKEINTRESOURCEA(nID));
}

void CWinApp::Enable3dControls()
{
    // With the manifest's common controls v6 this gives the controls the system's theme.
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
}

Notice& SystemNotice()
{
    static Win32Notice notice;
    return notice;
}

}  // namespace lesamo
