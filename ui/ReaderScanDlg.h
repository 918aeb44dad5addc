// CReaderScanDlg: the program's main dialog: the reader picture, the instruction, the search
// button, the result box, OK (register the readers and end) and Abbrechen.
#pragma once

#include <string>

#include "detect/ReaderDetector.h"
#include "ui/Framework.h"

namespace lesamo {

class CReaderScanDlg : public CDialog {
public:
    enum { IDD = IDD_READERSCAN_DIALOG };

    /// Works on the system's serial ports and reports through the system's message box.
    explicit CReaderScanDlg(CDialog* pParent = nullptr);
    /// Works on `ports` and reports through `notice`; both must outlive the dialog.
    CReaderScanDlg(PortOpener& ports, Notice& notice, CDialog* pParent = nullptr);
    ~CReaderScanDlg() override;

    std::string m_strResult;     // text of IDC_RESULT; empty between searches
    CReaderDetector m_detector;  // the port slots live exactly as long as the dialog

    // The message map.
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;
    bool OnCommand(int nId) override;
    void OnSysCommand(unsigned nID, long lParam) override;
    void OnPaint() override;
    IconHandle OnQueryDragIcon() override;

protected:
    /// Warns, scans com1 to com4 (blocks for seconds, the window does not react meanwhile)
    /// and lists every reader this or an earlier search found.
    void OnSearch();
    /// Writes hbcikrnl.ini, then icchscr.ini, then ends the process with status 1, also when
    /// a writer failed.
    void OnWriteFiles();

    IconHandle m_hIcon;
};

}  // namespace lesamo
