// The application object, the About box and the framework's default dialog behaviour, on the
// scripted back end.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/FakeFramework.h"
#include "ui/AboutDlg.h"
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

struct CloseCase {
    int command;
    bool handled;
    bool ended;
    int endCode;
};

TEST(AboutDlg, ClosesWithOkEnterAndEscapeAndIgnoresOtherCommands)
{
    // Enter arrives as IDOK (the default button), Escape and the close box as IDCANCEL.
    const CloseCase cases[] = {
        {IDOK, true, true, IDOK},
        {IDCANCEL, true, true, IDCANCEL},
        {IDC_SEARCH, false, false, 0},
    };
    for (const CloseCase& c : cases) {
        ResetFakeBackEnd();
        CAboutDlg about;
        EXPECT_EQ(IDD_ABOUTBOX, about.TemplateId());
        FakeHost host;
        about.AttachHost(&host);
        EXPECT_TRUE(about.OnInitDialog());
        EXPECT_EQ(c.handled, about.OnCommand(c.command)) << c.command;
        EXPECT_EQ(c.ended, host.ended) << c.command;
        EXPECT_EQ(c.endCode, host.endCode) << c.command;
        EXPECT_TRUE(host.systemMenu.entries.empty());
        about.AttachHost(nullptr);
    }
}

TEST(AboutDlg, DoModalReturnsHowItWasClosed)
{
    ResetFakeBackEnd();
    Fake().scripts[IDD_ABOUTBOX] = [](CDialog& dialog, FakeHost&) { dialog.OnCommand(IDOK); };
    CAboutDlg about;
    EXPECT_EQ(IDOK, about.DoModal());
    EXPECT_EQ(nullptr, about.Host());
    Fake().scripts.clear();
    EXPECT_EQ(IDCANCEL, about.DoModal());
}

TEST(DDX_Text, MovesTheTextInTheAskedDirection)
{
    ResetFakeBackEnd();
    struct Dialog : CDialog {
        Dialog() : CDialog(IDD_ABOUTBOX) {}
        void DoDataExchange(CDataExchange* pDX) override { DDX_Text(pDX, IDC_RESULT, text); }
        std::string text = "Kartenleser \xDF";
    } dialog;
    EXPECT_FALSE(dialog.UpdateData(false));  // no window yet
    FakeHost host;
    dialog.AttachHost(&host);
    EXPECT_TRUE(dialog.UpdateData(false));
    EXPECT_EQ("Kartenleser \xDF", host.texts[IDC_RESULT]);
    host.texts[IDC_RESULT] = "neu";
    EXPECT_TRUE(dialog.UpdateData(true));
    EXPECT_EQ("neu", dialog.text);
    dialog.AttachHost(nullptr);
}

TEST(AppNameFromPath, IsTheFileNameWithoutExtension)
{
    EXPECT_EQ("Lesamo", AppNameFromPath("C:\\Programme\\Lesamo.exe"));
    EXPECT_EQ("lesamo", AppNameFromPath("/usr/bin/lesamo"));
    EXPECT_EQ("reader.old", AppNameFromPath("Z:reader.old.exe"));
    EXPECT_EQ(".profile", AppNameFromPath("/home/x/.profile"));
    EXPECT_EQ("lesamo", AppNameFromPath(""));
}

}  // namespace
}  // namespace lesamo::test
