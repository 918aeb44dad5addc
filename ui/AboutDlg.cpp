// CAboutDlg: the template does all the work; OK, Enter and Escape close it.
#include "ui/AboutDlg.h"

namespace lesamo {

CAboutDlg::CAboutDlg() : CDialog(IDD)
{
}

CAboutDlg::~CAboutDlg() = default;

void CAboutDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
}

}  // namespace lesamo
