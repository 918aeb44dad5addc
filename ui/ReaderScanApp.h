// CReaderScanApp: the application object. It runs the main dialog once and ends the program
// when the dialog closes; there is no message loop of its own.
#pragma once

#include "ui/Framework.h"

namespace lesamo {

class CReaderScanApp : public CWinApp {
public:
    CReaderScanApp();
    ~CReaderScanApp() override;

    /// Runs the main dialog modally; returns false, so the program ends when it closes.
    bool InitInstance() override;
    /// ID_HELP goes to CWinApp::OnHelp.
    bool OnCommand(int nId) override;
};

/// The one application object, constructed during static initialisation.
extern CReaderScanApp theApp;

}  // namespace lesamo
