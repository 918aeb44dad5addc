// The two writers against Windows file failures, through the real Win32 API: a read-only
// target, and one that another program holds open.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/support/ConfigWriters.h"

namespace lesamo::test {
namespace {

int WriteNamed(ConfigWriters& w, const std::string& file)
{
    return file == "hbcikrnl.ini" ? w.detector.WriteHbciFile() : w.detector.WriteIccFile();
}

TEST(WriteFilesWin32, LeaveAReadOnlyTargetAsItWas)
{
    const std::string old = "[CardReader]\r\nOther=Active\r\n";
    for (const auto& [file, shownName] : {std::pair{"hbcikrnl.ini", "HBCIKRNL.INI"}, {"icchscr.ini", "ICCHSCR.INI"}}) {
        ConfigWriters w;
        WriteBytes(w.File(file), old);
        ASSERT_TRUE(SetFileAttributesA(w.File(file).string().c_str(), FILE_ATTRIBUTE_READONLY));
        w.Slots(readerKavirex3, readerNone, readerNone, readerNone);
        const int result = std::string(file) == "hbcikrnl.ini" ? w.detector.WriteHbciFile() : w.detector.WriteIccFile();
        EXPECT_EQ(resultFailed, result);
        EXPECT_EQ(std::vector<std::string>{"Error: Create File: " + std::string(shownName) + " "}, w.notice.texts);
        EXPECT_EQ(std::vector<MessageIcon>{MessageIcon::Error}, w.notice.icons);
        EXPECT_EQ(old, ReadBytes(w.File(file)));
        EXPECT_EQ(std::vector<std::string>{file}, w.windowsDir.Names());
    }
}

TEST(WriteFilesWin32, LeaveATargetThatCannotBeMovedAsItWas)
{
    // Another program holding the file open without FILE_SHARE_DELETE: ReplaceFileA cannot move
    // it to the backup name (Wine: ERROR_SHARING_VIOLATION), so nothing has changed.
    const std::string old = "[CardReader]\r\nOther=Active\r\n";
    for (const auto& [file, shownName] : {std::pair{"hbcikrnl.ini", "HBCIKRNL.INI"}, {"icchscr.ini", "ICCHSCR.INI"}}) {
        SCOPED_TRACE(file);
        ConfigWriters w;
        WriteBytes(w.File(file), old);
        HANDLE holder = CreateFileA(w.File(file).string().c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, holder);
        w.Slots(readerKavirex3, readerNone, readerNone, readerNone);
        const int result = WriteNamed(w, file);
        CloseHandle(holder);
        EXPECT_EQ(resultFailed, result);
        EXPECT_EQ(std::vector<std::string>{"Error: Create File: " + std::string(shownName) + " "}, w.notice.texts);
        EXPECT_EQ(old, ReadBytes(w.File(file)));
        EXPECT_EQ(std::vector<std::string>{file}, w.windowsDir.Names());  // no new file, no backup
    }
}

}  // namespace
}  // namespace lesamo::test
