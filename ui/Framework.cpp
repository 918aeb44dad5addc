// The platform-neutral half of the dialog framework: data exchange, the default handlers of
// CDialog and the application object. The back ends (ui/win32/, ui/curses/) supply the rest.
#include "ui/Framework.h"

namespace lesamo {

namespace {

// The one application object; set by its constructor during static initialisation.
CWinApp* g_pApp = nullptr;

}  // namespace

void DDX_Text(CDataExchange* pDX, int nIDC, std::string& value)
{
    DialogHost* host = pDX->m_dialog.Host();
    if (!host)
        return;
    if (pDX->m_bSaveAndValidate)
        value = host->GetControlText(nIDC);
    else
        host->SetControlText(nIDC, value);
}

// ---- CDialog ------------------------------------------------------------------------------

CDialog::CDialog(int nIDTemplate, CDialog* pParentWnd) : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd)
{
}

CDialog::~CDialog() = default;

int CDialog::DoModal()
{
    const int result = RunModalDialog(*this, m_pParentWnd);
    m_pHost = nullptr;  // the window is gone; nothing may reach it any more
    return result;
}

void CDialog::EndDialog(int nResult)
{
    if (m_pHost)
        m_pHost->EndModal(nResult);
}

bool CDialog::UpdateData(bool bSaveAndValidate)
{
    if (!m_pHost)
        return false;
    CDataExchange dx(*this, bSaveAndValidate);
    DoDataExchange(&dx);
    return true;
}

bool CDialog::OnInitDialog()
{
    // Shows the members' initial values in the controls.
    UpdateData(false);
    return true;
}

void CDialog::DoDataExchange(CDataExchange*)
{
}

bool CDialog::OnCommand(int nId)
{
    switch (nId) {
    case IDOK: OnOK(); return true;
    case IDCANCEL: OnCancel(); return true;
    default:
        // Commands the dialog does not handle go on to the application (ID_HELP).
        return g_pApp != nullptr && g_pApp->OnCommand(nId);
    }
}

void CDialog::OnOK()
{
    if (!UpdateData(true))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

void CDialog::OnSysCommand(unsigned nID, long lParam)
{
    if (m_pHost)
        m_pHost->DefaultSysCommand(nID, lParam);
}

void CDialog::OnPaint()
{
    if (m_pHost)
        m_pHost->DefaultPaint();
}

IconHandle CDialog::OnQueryDragIcon()
{
    return nullptr;  // the system's default drag cursor
}

int CDialog::ShowMessageBox(const std::string& text, const std::string& caption, MessageIcon icon)
{
    return m_pHost ? m_pHost->ShowMessageBox(text, caption, icon) : IDCANCEL;
}

CMenu* CDialog::GetSystemMenu(bool bRevert)
{
    return m_pHost ? m_pHost->GetSystemMenu(bRevert) : nullptr;
}

void CDialog::SetIcon(IconHandle hIcon, bool bBigIcon)
{
    if (m_pHost)
        m_pHost->SetIcon(hIcon, bBigIcon);
}

bool CDialog::IsIconic() const
{
    return m_pHost != nullptr && m_pHost->IsIconic();
}

CRect CDialog::GetClientRect() const
{
    return m_pHost ? m_pHost->GetClientRect() : CRect{};
}

// ---- CWinApp ------------------------------------------------------------------------------

CWinApp::CWinApp(const char* pszAppName)
{
    // With no name the back end fills in the executable's name at start-up.
    if (pszAppName)
        m_strAppName = pszAppName;
    if (!g_pApp)
        g_pApp = this;
}

CWinApp::~CWinApp()
{
    if (g_pApp == this)
        g_pApp = nullptr;
}

bool CWinApp::InitInstance()
{
    return true;
}

bool CWinApp::OnCommand(int)
{
    return false;
}

void CWinApp::OnHelp()
{
    // No help file ships with the program: the help command shows nothing and changes nothing.
}

CWinApp* AfxGetApp()
{
    return g_pApp;
}

std::string AppNameFromPath(std::string_view path)
{
    if (const std::size_t separator = path.find_last_of("/\\:"); separator != std::string_view::npos)
        path.remove_prefix(separator + 1);
    if (const std::size_t dot = path.rfind('.'); dot != std::string_view::npos && dot > 0)
        path = path.substr(0, dot);
    return std::string(path.empty() ? "lesamo" : path);
}

}  // namespace lesamo
