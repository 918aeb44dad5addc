// The text-file seam on real files: CR LF on disk, LF in memory, and a target that is
// replaced only by a complete new file.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "config/TextFile.h"
#include "tests/support/ConfigTestFiles.h"

namespace lesamo::test {
namespace {

TEST(TextFromDisk, TurnsCrLfIntoLfAndStopsAtTheFirstZeroByte)
{
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"a\r\nb\r\n", "a\nb\n"},
        {"a\nb", "a\nb"},
        {"a\rb\r", "a\rb\r"},
        {"a\r\r\n", "a\r\n"},
        {"\n\r\n\r", "\n\n\r"},
        {"a\x1a"
         "b\r\n",
         "a\x1a"
         "b\n"},
        {std::string("a\r\nb\0c\r\n", 8), "a\nb"},
        {std::string("\0a", 2), ""},
        {"a\r", "a\r"},
    };
    for (const auto& [bytes, text] : rows)
        EXPECT_EQ(text, TextFromDisk(bytes)) << testing::PrintToString(bytes);
}

TEST(TextToDisk, TurnsEveryLfIntoCrLf)
{
    EXPECT_EQ("a\r\nb\r\n\r\n", TextToDisk("a\nb\n\n"));
    EXPECT_EQ("a\r\r\nb\r", TextToDisk("a\r\nb\r"));
    EXPECT_EQ("", TextToDisk(""));
}

TEST(TextToDisk, IsUndoneByTextFromDiskForEveryTextWithoutZeroBytes)
{
    std::mt19937 random(7);
    const std::string alphabet = "\r\n\x1a a=[";
    for (int round = 0; round < 2000; ++round) {
        std::string text;
        for (int n = static_cast<int>(random() % 24); n > 0; --n)
            text += alphabet[random() % alphabet.size()];
        ASSERT_EQ(text, TextFromDisk(TextToDisk(text))) << testing::PrintToString(text);
    }
}

TEST(ReadTextFile, ReadsTheWholeFileInBinary)
{
    TempDir dir;
    std::string bytes = "[A]\r\nB=\x1a\r\n";
    bytes += std::string(200000, 'y') + "\r\nend";
    WriteBytes(dir / "f.ini", bytes);
    std::string text;
    EXPECT_EQ(ReadOutcome::Read, ReadTextFile((dir / "f.ini").string(), text));
    EXPECT_EQ("[A]\nB=\x1a\n" + std::string(200000, 'y') + "\nend", text);
}

TEST(ReadTextFile, TellsAMissingFileFromOneThatCannotBeRead)
{
    TempDir dir;
    std::filesystem::create_directory(dir / "sub");
    std::string text = "stale";
    EXPECT_EQ(ReadOutcome::Missing, ReadTextFile((dir / "none.ini").string(), text));
    EXPECT_EQ("", text);
    EXPECT_EQ(ReadOutcome::Missing, ReadTextFile((dir / "none" / "f.ini").string(), text));
    EXPECT_EQ(ReadOutcome::Failed, ReadTextFile((dir / "sub").string(), text));
}

TEST(WriteTextFile, WritesCrLfAndLeavesNoTemporaryFile)
{
    TempDir dir;
    EXPECT_EQ(WriteOutcome::Written, WriteTextFile((dir / "new.ini").string(), "a\nb\r\n\x1a\n"));
    EXPECT_EQ("a\r\nb\r\r\n\x1a\r\n", ReadBytes(dir / "new.ini"));
    WriteBytes(dir / "old.ini", std::string(100000, 'o'));
    EXPECT_EQ(WriteOutcome::Written, WriteTextFile((dir / "old.ini").string(), "short\n"));
    EXPECT_EQ("short\r\n", ReadBytes(dir / "old.ini"));
    EXPECT_EQ((std::vector<std::string>{"new.ini", "old.ini"}), dir.Names());
}

TEST(WriteTextFile, CannotReplaceADirectoryOrWriteIntoAMissingOne)
{
    TempDir dir;
    std::filesystem::create_directory(dir / "target.ini");
    EXPECT_EQ(WriteOutcome::CreateFailed, WriteTextFile((dir / "target.ini").string(), "x\n"));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "target.ini"));
    EXPECT_EQ(WriteOutcome::CreateFailed, WriteTextFile((dir / "missing" / "f.ini").string(), "x\n"));
    EXPECT_EQ(std::vector<std::string>{"target.ini"}, dir.Names());
}

}  // namespace
}  // namespace lesamo::test
