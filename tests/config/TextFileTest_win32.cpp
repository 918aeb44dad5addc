// The writers against Windows file failures and attributes, through the real Win32 API.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "config/TextFile.h"
#include "tests/support/ConfigWriters.h"

namespace lesamo::test {
namespace {

DWORD Attributes(const std::filesystem::path& path)
{
    return GetFileAttributesA(path.string().c_str());
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
        EXPECT_EQ(std::vector<NoticeIcon>{NoticeIcon::Error}, w.notice.icons);
        EXPECT_EQ(old, ReadBytes(w.File(file)));
        EXPECT_EQ(std::vector<std::string>{file}, w.windowsDir.Names());
    }
}

TEST(WriteFilesWin32, KeepTheAttributesOfTheReplacedFile)
{
    TempDir dir;
    const std::string path = (dir / "hbcikrnl.ini").string();
    WriteBytes(dir / "hbcikrnl.ini", "old\r\n");
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(WriteOutcome::Written, WriteTextFile(path, "new\n"));
    EXPECT_EQ("new\r\n", ReadBytes(dir / "hbcikrnl.ini"));
    EXPECT_NE(0u, Attributes(dir / "hbcikrnl.ini") & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(std::vector<std::string>{"hbcikrnl.ini"}, dir.Names());
}

TEST(WriteFilesWin32, ReadAFileThatAnotherProgramReadsButNotOneItWrites)
{
    TempDir dir;
    const std::string path = (dir / "hbcikrnl.ini").string();
    WriteBytes(dir / "hbcikrnl.ini", "[CardReader]\r\nA=1\r\n");
    std::string text;
    {
        // The kernel reading its file at the same time does not stop the program.
        HANDLE reader = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, reader);
        EXPECT_EQ(ReadOutcome::Read, ReadTextFile(path, text));
        CloseHandle(reader);
    }
    EXPECT_EQ("[CardReader]\nA=1\n", text);
    // A program writing the file with no sharing at all keeps it to itself.
    HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, writer);
    EXPECT_EQ(ReadOutcome::Failed, ReadTextFile(path, text));
    CloseHandle(writer);
}

}  // namespace
}  // namespace lesamo::test
