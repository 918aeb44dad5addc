// The framework's own behaviour, which every dialog inherits: data exchange with the
// controls, and the application's name taken from its file.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/FakeFramework.h"
#include "ui/Framework.h"

namespace lesamo::test {
namespace {

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
