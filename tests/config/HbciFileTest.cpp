// WriteHbciFile on real files: what lands on disk, byte for byte, and what happens when it
// cannot.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "config/TextFile.h"
#include "tests/support/ConfigWriters.h"
#include "tests/support/HbciReaderCases.h"

namespace lesamo::test {
namespace {

const std::string kKavirex3Com1 =
    "[CardReader]\r\nVeskKavirex3=Active\r\n\r\n[VeskKavirex3]\r\nStandard=CTAPI16\r\nCompanyName=Vesk\r\n"
    "ReaderName=Kavirex3\r\nPort=1\r\nB1-Reader=0\r\nCtDllName=ctvskdrv.dll\r\nPIN-Entry=1\r\n";

TEST(WriteHbciFile, MergesTheWorkedExampleByteForByte)
{
    ConfigWriters w;
    WriteBytes(w.File("hbcikrnl.ini"), ReadBytes(TestDataFile("hbcikrnl-example-old.ini")));
    w.Slots(readerNone, readerKavirex3, readerKrm, readerNone);
    EXPECT_EQ(resultOk, w.detector.WriteHbciFile());
    EXPECT_EQ(ReadBytes(TestDataFile("hbcikrnl-example-new.ini")), ReadBytes(w.File("hbcikrnl.ini")));
    EXPECT_TRUE(w.notice.texts.empty());
    EXPECT_EQ(std::vector<std::string>{"hbcikrnl.ini"}, w.windowsDir.Names());  // no temporary file left
}

TEST(WriteHbciFile, LeavesAHugeFileAlone)
{
    // Sparse: a terabyte costs no disk. Such a file is no configuration of ours.
    for (const std::uint64_t size : {kMaxTextFileBytes + 1, std::uint64_t{1} << 40}) {
        ConfigWriters w;
        w.Slots(readerKavirex3, readerNone, readerNone, readerNone);
        WriteBytes(w.File("hbcikrnl.ini"), "[CardReader]\r\n");
        ResizeFile(w.File("hbcikrnl.ini"), size);
        EXPECT_EQ(resultFailed, w.detector.WriteHbciFile());
        EXPECT_EQ(std::vector<std::string>{"Error: Create File: HBCIKRNL.INI "}, w.notice.texts);
        EXPECT_EQ(size, std::filesystem::file_size(w.File("hbcikrnl.ini")));
        EXPECT_EQ(std::vector<std::string>{"hbcikrnl.ini"}, w.windowsDir.Names());
    }
}

TEST(WriteHbciFile, StartsAFileOfItsOwnWhenThereIsNone)
{
    ConfigWriters w;
    w.Slots(readerKavirex3, readerNone, readerNone, readerNone);
    EXPECT_EQ(resultOk, w.detector.WriteHbciFile());
    EXPECT_EQ(kKavirex3Com1, ReadBytes(w.File("hbcikrnl.ini")));
}

TEST(WriteHbciFile, GivesTheSameFileWhenRunTwice)
{
    ConfigWriters w;
    ScopedEnv dir("veskrexdir", "C:\\Programme\\Vesk [Active] X\\");
    WriteBytes(w.File("hbcikrnl.ini"), "[CardReader]\r\nOther=Active\r\n\r\n[Other]\r\nNote=Vesk [x]\r\n");
    w.Slots(readerKrm, readerNone, readerKavirex3, readerKrm);
    ASSERT_EQ(resultOk, w.detector.WriteHbciFile());
    const std::string first = ReadBytes(w.File("hbcikrnl.ini"));
    EXPECT_NE(std::string::npos, first.find("CtDllName=C:\\Programme\\Vesk [Active] X\\\\ctvskdrv.dll\r\n"));
    ASSERT_EQ(resultOk, w.detector.WriteHbciFile());
    EXPECT_EQ(first, ReadBytes(w.File("hbcikrnl.ini")));
}

TEST(WriteHbciFile, IgnoresADriverDirectoryWithALineBreak)
{
    ConfigWriters w;
    ScopedEnv dir("veskrexdir", "C:\\Vesk\r\n[Evil]\r\nX=1");
    w.Slots(readerKavirex3, readerNone, readerNone, readerNone);
    EXPECT_EQ(resultOk, w.detector.WriteHbciFile());
    EXPECT_EQ(kKavirex3Com1, ReadBytes(w.File("hbcikrnl.ini")));
}

TEST(WriteHbciFile, KeepsAllOfALongFile)
{
    ConfigWriters w;
    std::string old = "[CardReader]\r\nOther=Installed\r\n\r\n[Other]\r\n";
    while (old.size() < 300000)
        old += "Entry" + std::to_string(old.size()) + "=value\r\n";
    old += "\r\n[LastSection]\r\nLast=1\r\n";
    WriteBytes(w.File("hbcikrnl.ini"), old);
    w.Slots(readerNone, readerNone, readerNone, readerNone);
    EXPECT_EQ(resultOk, w.detector.WriteHbciFile());
    EXPECT_EQ(old, ReadBytes(w.File("hbcikrnl.ini")));
}

struct OddBytes {
    const char* name;
    std::string old;
    std::string written;  // with no reader
};

void PrintTo(const OddBytes& c, std::ostream* out)
{
    *out << c.name;
}

class WriteHbciFileOddBytes : public testing::TestWithParam<OddBytes> {};

TEST_P(WriteHbciFileOddBytes, GiveASoundFile)
{
    ConfigWriters w;
    WriteBytes(w.File("hbcikrnl.ini"), GetParam().old);
    EXPECT_EQ(resultOk, w.detector.WriteHbciFile());
    EXPECT_EQ(GetParam().written, ReadBytes(w.File("hbcikrnl.ini")));
    EXPECT_TRUE(w.notice.texts.empty());
}

INSTANTIATE_TEST_SUITE_P(
    WriteHbciFile, WriteHbciFileOddBytes,
    testing::Values(
        // Ctrl-Z ended the text of a text-mode read; here it is data like any other byte.
        OddBytes{"CtrlZIsData",
                 "[CardReader]\r\nA=1\x1a"
                 "2\r\n\x1a\r\n[B]\r\nC=3\r\n",
                 "[CardReader]\r\nA=1\x1a"
                 "2\r\n\x1a\r\n[B]\r\nC=3\r\n"},
        OddBytes{"LoneCarriageReturnsStay", "[CardReader]\r\nA=1\rB=2\r\r\n[C]\n\rD=4\r\n",
                 "[CardReader]\r\nA=1\rB=2\r\r\n[C]\r\n\rD=4\r\n"},
        OddBytes{"LineFeedsAloneBecomeCrLf", "[CardReader]\nA=1\n\n[B]\nC=3",
                 "[CardReader]\r\nA=1\r\n\r\n[B]\r\nC=3\r\n"},
        OddBytes{"ZeroByteEndsTheText", std::string("[CardReader]\r\nA=1\r\n\0[Gone]\r\nB=2\r\n", 32),
                 "[CardReader]\r\nA=1\r\n"},
        OddBytes{"CarriageReturnsOnlyEndLinesToo", "[CardReader]\rA=1\r[B]\rC=3\r", "[CardReader]\rA=1\r[B]\rC=3\r\n"}),
    [](const testing::TestParamInfo<OddBytes>& info) { return std::string(info.param.name); });

TEST(WriteHbciFile, LeavesAUtf16FileAlone)
{
    // The banking kernel reads it as UTF-16; written back in single bytes it would be lost.
    for (const HbciReaderCase& c : kHbciReaderCases) {
        if (!c.newFile.empty())
            continue;
        SCOPED_TRACE(c.name);
        ConfigWriters w;
        WriteBytes(w.File("hbcikrnl.ini"), c.oldFile);
        w.Slots(readerNone, readerKavirex3, readerNone, readerNone);
        EXPECT_EQ(resultFailed, w.detector.WriteHbciFile());
        EXPECT_EQ(std::vector<std::string>{"Error: Create File: HBCIKRNL.INI "}, w.notice.texts);
        EXPECT_EQ(c.oldFile, ReadBytes(w.File("hbcikrnl.ini")));
        EXPECT_EQ(std::vector<std::string>{"hbcikrnl.ini"}, w.windowsDir.Names());
    }
}

TEST(WriteHbciFile, MergesAFiftyMebibyteFile)
{
    ConfigWriters w;
    std::string old = "[CardReader]\r\nOther=Active\r\n\r\n[Other]\r\n";
    const std::string line = "Key=a value that another program keeps in its section of the file\r\n";
    old.reserve(50u << 20);
    while (old.size() + line.size() < (50u << 20))
        old += line;
    WriteBytes(w.File("hbcikrnl.ini"), old);
    w.Slots(readerNone, readerKrm, readerNone, readerNone);
    EXPECT_EQ(resultOk, w.detector.WriteHbciFile());
    const std::string written = ReadBytes(w.File("hbcikrnl.ini"));
    const std::string section =
        "\r\n\r\n[VeskKavirex]\r\nStandard=CTAPI16\r\nCompanyName=Vesk\r\nReaderName=Kavirex\r\n"
        "Port=2\r\nB1-Reader=0\r\nCtDllName=ctvskdrv.dll\r\nPIN-Entry=1\r\n";
    std::string expected = "[CardReader]\r\nVeskKavirex=Active\r\nOther=Installed" + old.substr(26);
    expected.resize(expected.size() - 2);
    expected += section;
    EXPECT_TRUE(written == expected) << "sizes " << written.size() << " and " << expected.size();
}

TEST(WriteHbciFile, LeavesADirectoryInItsPlaceAlone)
{
    ConfigWriters w;
    std::filesystem::create_directory(w.File("hbcikrnl.ini"));
    WriteBytes(w.File("hbcikrnl.ini") / "inside", "kept");
    w.Slots(readerKavirex3, readerNone, readerNone, readerNone);
    EXPECT_EQ(resultFailed, w.detector.WriteHbciFile());
    EXPECT_EQ(std::vector<std::string>{"Error: Create File: HBCIKRNL.INI "}, w.notice.texts);
    EXPECT_EQ(std::vector<MessageIcon>{MessageIcon::Error}, w.notice.icons);
    EXPECT_EQ("kept", ReadBytes(w.File("hbcikrnl.ini") / "inside"));
    EXPECT_EQ(std::vector<std::string>{"hbcikrnl.ini"}, w.windowsDir.Names());
}

TEST(WriteHbciFile, FailsWhenTheWindowsDirectoryIsMissing)
{
    ConfigWriters w;
    ScopedEnv windir("windir", (w.windowsDir / "missing").string().c_str());
    w.Slots(readerKrm, readerNone, readerNone, readerNone);
    EXPECT_EQ(resultFailed, w.detector.WriteHbciFile());
    EXPECT_EQ(std::vector<std::string>{"Error: Create File: HBCIKRNL.INI "}, w.notice.texts);
    EXPECT_TRUE(w.windowsDir.Names().empty());
}

}  // namespace
}  // namespace lesamo::test
