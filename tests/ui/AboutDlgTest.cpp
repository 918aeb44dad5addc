// The About box on the scripted back end: how it closes, and what DoModal returns.
#include <gtest/gtest.h>

#include "tests/support/FakeFramework.h"
#include "ui/AboutDlg.h"

namespace lesamo::test {
namespace {

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

}  // namespace
}  // namespace lesamo::test
