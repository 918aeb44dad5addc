// CReaderScanDlg: the search, the result list and the registration on OK.
#include "ui/ReaderScanDlg.h"

#include <cstdio>
#include <cstdlib>

#include "common/Texts.h"
#include "ui/AboutDlg.h"

namespace lesamo {

// The result lines go to the screen and the dialog as Windows-1252 bytes ("ß" is 0xDF): the
// compiler must translate the UTF-8 literals of common/Texts.h (GCC's -fexec-charset=CP1252).
// Any other compiler would leave UTF-8 in them.
// (The static checks read the sources with clang, which keeps UTF-8: they skip this one.)
#ifndef LESAMO_STATIC_CHECKS
static_assert(sizeof("ß") == 2 && static_cast<unsigned char>("ß"[0]) == 0xDF,
              "string literals must be compiled to Windows-1252 (-fexec-charset=CP1252)");
#endif

CReaderScanDlg::CReaderScanDlg(CDialog* pParent) : CReaderScanDlg(SystemPorts(), SystemNotice(), pParent)
{
}

CReaderScanDlg::CReaderScanDlg(PortOpener& ports, Notice& notice, CDialog* pParent)
    : CDialog(IDD, pParent), m_detector(ports, notice), m_hIcon(LoadResourceIcon(IDR_MAINFRAME))
{
}

CReaderScanDlg::~CReaderScanDlg() = default;

void CReaderScanDlg::DoDataExchange(CDataExchange* pDX)
{
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_RESULT, m_strResult);
}

bool CReaderScanDlg::OnCommand(int nId)
{
    switch (nId) {
    case IDC_SEARCH: OnSearch(); return true;
    case IDOK: OnWriteFiles(); return true;
    default: return CDialog::OnCommand(nId);  // IDCANCEL ends the dialog
    }
}

bool CReaderScanDlg::OnInitDialog()
{
    CDialog::OnInitDialog();

    // The About entry at the end of the system menu, behind a separator.
    if (CMenu* pSysMenu = GetSystemMenu(false)) {
        const std::string strAboutMenu = LoadResourceString(IDS_ABOUTBOX);
        if (!strAboutMenu.empty()) {
            pSysMenu->AppendSeparator();
            pSysMenu->AppendString(IDM_ABOUTBOX, strAboutMenu);
        }
    }

    SetIcon(m_hIcon, true);
    SetIcon(m_hIcon, false);
    return true;  // the framework puts the focus on the first control
}

void CReaderScanDlg::OnSysCommand(unsigned nID, long lParam)
{
    // The system uses the low four bits of a system command itself.
    if ((nID & kSysCommandMask) == IDM_ABOUTBOX) {
        CAboutDlg dlgAbout;
        dlgAbout.DoModal();
    } else {
        CDialog::OnSysCommand(nID, lParam);
    }
}

void CReaderScanDlg::OnPaint()
{
    if (!IsIconic()) {
        CDialog::OnPaint();
        return;
    }
    const CRect rect = GetClientRect();
    const int x = (rect.Width() - SystemIconWidth() + 1) / 2;
    const int y = (rect.Height() - SystemIconHeight() + 1) / 2;
    Host()->PaintIcon(m_hIcon, x, y);
}

IconHandle CReaderScanDlg::OnQueryDragIcon()
{
    return m_hIcon;
}

void CReaderScanDlg::OnSearch()
{
    const CWinApp* pApp = AfxGetApp();
    ShowMessageBox(TXT_SEARCH_WARNING, pApp ? pApp->m_strAppName : std::string(), MessageIcon::Exclamation);

    m_detector.ScanPorts();

    bool found = false;
    for (int n = 1; n <= kPortCount; ++n) {
        char number[16];
        std::snprintf(number, sizeof number, "%d\r\n", n);
        if (m_detector.m_nPortKind[n - 1] == readerKrm) {
            m_strResult += TXT_FOUND_KRM;
            m_strResult += number;
            found = true;
        }
        if (m_detector.m_nPortKind[n - 1] == readerKavirex3) {
            m_strResult += TXT_FOUND_KAVIREX3;
            m_strResult += number;
            found = true;
        }
        UpdateData(false);
    }
    if (!found)
        m_strResult = TXT_FOUND_NONE;
    UpdateData(false);

    // The box keeps the text; the next search builds it afresh from the slots.
    m_strResult.clear();
}

void CReaderScanDlg::OnWriteFiles()
{
    // Each writer reports its own failure in a message box; neither result changes the end.
    m_detector.WriteHbciFile();
    m_detector.WriteIccFile();
    std::exit(1);
}

}  // namespace lesamo
