// CReaderScanApp: the one application object and its start.
#include "ui/ReaderScanApp.h"

#include "ui/ReaderScanDlg.h"

namespace lesamo {

// No name: the application is named after the executable (its caption on the warning box).
CReaderScanApp theApp;

CReaderScanApp::CReaderScanApp() = default;

CReaderScanApp::~CReaderScanApp() = default;

bool CReaderScanApp::OnCommand(int nId)
{
    switch (nId) {
    case ID_HELP: OnHelp(); return true;
    default: return CWinApp::OnCommand(nId);
    }
}

bool CReaderScanApp::InitInstance()
{
    Enable3dControls();

    CReaderScanDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    // After OK the process has already ended inside the dialog; here it was cancelled.
    m_pMainWnd = nullptr;
    return false;
}

}  // namespace lesamo
