// Where the files go on POSIX: $windir, else C:\windows of the Wine prefix.
#include <gtest/gtest.h>

#include "config/WindowsDir.h"
#include "tests/support/ConfigTestFiles.h"

namespace lesamo::test {
namespace {

struct DirCase {
    const char* windir;
    const char* winePrefix;
    const char* home;
    const char* expected;
};

TEST(WindowsFilePath, FollowsWindirThenTheWinePrefix)
{
    const DirCase rows[] = {
        {"/srv/win", "/p", "/h", "/srv/win/hbcikrnl.ini"},
        {"", "/p", "/h", "/hbcikrnl.ini"},
        {nullptr, "/p", "/h", "/p/drive_c/windows/hbcikrnl.ini"},
        {nullptr, "", "/h", "/h/.wine/drive_c/windows/hbcikrnl.ini"},
        {nullptr, nullptr, "/h", "/h/.wine/drive_c/windows/hbcikrnl.ini"},
    };
    for (const DirCase& row : rows) {
        ScopedEnv windir("windir", row.windir);
        ScopedEnv prefix("WINEPREFIX", row.winePrefix);
        ScopedEnv home("HOME", row.home);
        EXPECT_EQ(row.expected, WindowsFilePath("hbcikrnl.ini"));
    }
}

}  // namespace
}  // namespace lesamo::test
