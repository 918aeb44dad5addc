// The application object on the scripted back end: the one main dialog, and the help command.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/FakeFramework.h"
#include "ui/ReaderScanApp.h"
#include "ui/ReaderScanDlg.h"

namespace lesamo::test {
namespace {

TEST(ReaderScanApp, IsTheOneApplicationObject)
{
    EXPECT_EQ(&theApp, AfxGetApp());
    EXPECT_EQ(nullptr, theApp.m_pMainWnd);
}

TEST(ReaderScanApp, RunsTheMainDialogOnceAsMainWindowAndEndsWhenItCloses)
{
    ResetFakeBackEnd();
    std::string shownAtStart = "unset";
    bool mainWindow = false;
    bool mainDialog = false;
    Fake().scripts[IDD_READERSCAN_DIALOG] = [&](CDialog& dialog, FakeHost& host) {
        shownAtStart = host.GetControlText(IDC_RESULT);
        mainWindow = theApp.m_pMainWnd == &dialog;
        mainDialog = dynamic_cast<CReaderScanDlg*>(&dialog) != nullptr;
        dialog.OnCommand(IDCANCEL);
    };
    EXPECT_FALSE(theApp.InitInstance());
    EXPECT_EQ(1, Fake().themedControls);
    EXPECT_EQ((std::vector<int>{IDD_READERSCAN_DIALOG}), Fake().modalTemplates);
    EXPECT_EQ((std::vector<CDialog*>{nullptr}), Fake().modalParents);
    EXPECT_TRUE(mainWindow);
    EXPECT_TRUE(mainDialog);
    EXPECT_EQ(nullptr, theApp.m_pMainWnd);
    EXPECT_EQ("", shownAtStart);
}

TEST(ReaderScanApp, HelpCommandDoesNothingVisible)
{
    ResetFakeBackEnd();
    bool handled = false;
    std::size_t boxes = 99;
    bool ended = true;
    Fake().scripts[IDD_READERSCAN_DIALOG] = [&](CDialog& dialog, FakeHost& host) {
        handled = dialog.OnCommand(ID_HELP);  // F1 in the dialog reaches the application
        boxes = host.boxes.size();
        ended = host.ended;
        dialog.OnCommand(IDCANCEL);
    };
    theApp.InitInstance();
    EXPECT_TRUE(handled);
    EXPECT_EQ(0u, boxes);
    EXPECT_FALSE(ended);
    EXPECT_TRUE(theApp.OnCommand(ID_HELP));
    EXPECT_FALSE(theApp.OnCommand(0x1234));
    EXPECT_EQ(1u, Fake().modalTemplates.size());
}

}  // namespace
}  // namespace lesamo::test
