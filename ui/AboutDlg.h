// CAboutDlg: the About box, opened from the main dialog's system menu.
#pragma once

#include "ui/Framework.h"

namespace lesamo {

class CAboutDlg : public CDialog {
public:
    enum { IDD = IDD_ABOUTBOX };

    CAboutDlg();
    ~CAboutDlg() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
};

}  // namespace lesamo
