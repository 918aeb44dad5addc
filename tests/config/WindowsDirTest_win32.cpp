// Where the files go on Windows: %windir%, or the root of the current drive without it.
#include <gtest/gtest.h>

#include "config/WindowsDir.h"
#include "tests/support/ConfigTestFiles.h"

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

}  // namespace
}  // namespace lesamo::test
