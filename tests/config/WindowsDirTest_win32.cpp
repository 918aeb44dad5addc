// Where the files go on Windows: %windir%, or the root of the current drive without it.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>

#include "config/WindowsDir.h"
#include "tests/support/ConfigWriters.h"

namespace lesamo::test {
namespace {

TEST(WindowsFilePath, IsWindirBackslashAndName)
{
    {
        ScopedEnv windir("windir", "C:\\windows");
        EXPECT_EQ("C:\\windows\\icchscr.ini", WindowsFilePath("icchscr.ini"));
    }
    ScopedEnv windir("windir", nullptr);
    EXPECT_EQ("\\hbcikrnl.ini", WindowsFilePath("hbcikrnl.ini"));
}

// The current directory for one test, put back when it goes.
class ScopedCurrentDirectory {
public:
    explicit ScopedCurrentDirectory(const char* path)
    {
        GetCurrentDirectoryA(MAX_PATH, m_old);
        m_bChanged = SetCurrentDirectoryA(path) != FALSE;
    }
    ~ScopedCurrentDirectory()
    {
        if (m_bChanged)
            SetCurrentDirectoryA(m_old);
    }
    ScopedCurrentDirectory(const ScopedCurrentDirectory&) = delete;
    ScopedCurrentDirectory& operator=(const ScopedCurrentDirectory&) = delete;
    bool Changed() const { return m_bChanged; }

private:
    char m_old[MAX_PATH] = {};
    bool m_bChanged = false;
};

TEST(WindowsFilePath, WithoutWindirBothFilesGoToTheRootOfTheCurrentDrive)
{
    // Q: is a directory of the Wine harness's run; nothing may land on any other drive.
    ASSERT_NE(nullptr, std::getenv("LESAMO_DRIVE_Q")) << "needs the Wine harness's drive Q:";
    ASSERT_TRUE(CreateDirectoryA("Q:\\work", nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    ConfigWriters w;
    w.Slots(readerNone, readerKavirex3, readerKrm, readerNone);
    {
        ScopedCurrentDirectory cwd("Q:\\work");
        ASSERT_TRUE(cwd.Changed());
        ScopedEnv windir("windir", nullptr);
        EXPECT_EQ(resultOk, w.detector.WriteHbciFile());
        EXPECT_EQ(resultOk, w.detector.WriteIccFile());
    }
    EXPECT_TRUE(w.notice.texts.empty());
    EXPECT_EQ(ReadBytes(TestDataFile("icchscr-example.ini")), ReadBytes("Q:\\icchscr.ini"));
    const std::string hbci = ReadBytes("Q:\\hbcikrnl.ini");
    EXPECT_EQ(0u, hbci.find("[CardReader]\r\nVeskKavirex=Installed\r\nVeskKavirex3=Active\r\n")) << hbci;
    EXPECT_TRUE(EntryNames("Q:\\work").empty());  // the root, not the current directory
    EXPECT_TRUE(w.windowsDir.Names().empty());
    DeleteFileA("Q:\\icchscr.ini");
    DeleteFileA("Q:\\hbcikrnl.ini");
}

}  // namespace
}  // namespace lesamo::test
