// WriteIccFile on real files: the chip-card layer's file, written anew every time.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/ConfigWriters.h"

namespace lesamo::test {
namespace {

const std::string kHead = "[ICCMisc]\r\nTimer=1\r\nTElapse=1000\r\nPCElapse=1000\r\n\r\n[ICCItemName]\r\n";

struct IccCase {
    const char* name;
    int slots[kPortCount];
    std::string expected;
};

void PrintTo(const IccCase& c, std::ostream* out)
{
    *out << c.name;
}

class WriteIccFileCases : public testing::TestWithParam<IccCase> {};

TEST_P(WriteIccFileCases, WritesOneEntryPerReader)
{
    ConfigWriters w;
    const IccCase& c = GetParam();
    w.Slots(c.slots[0], c.slots[1], c.slots[2], c.slots[3]);
    EXPECT_EQ(resultOk, w.detector.WriteIccFile());
    EXPECT_EQ(c.expected, ReadBytes(w.File("icchscr.ini")));
    EXPECT_TRUE(w.notice.texts.empty());
    EXPECT_EQ(std::vector<std::string>{"icchscr.ini"}, w.windowsDir.Names());
}

INSTANTIATE_TEST_SUITE_P(
    WriteIccFile, WriteIccFileCases,
    testing::Values(IccCase{"NoReaderGivesTheHeadAlone", {readerNone, readerNone, readerNone, readerNone}, kHead},
                    IccCase{"SameKindOnCom1AndCom4",
                            {readerKrm, readerNone, readerNone, readerKrm},
                            kHead + "ICC1=1,u,qz4hkrm.dll,4,,com1,9600\r\nICCP1=2,s,ICC1\r\n\r\n"
                                    "ICC4=1,u,qz4hkrm.dll,4,,com4,9600\r\nICCP4=2,s,ICC4\r\n\r\n"},
                    IccCase{"EveryPort",
                            {readerKavirex3, readerKrm, readerKavirex3, readerKrm},
                            kHead + "ICC1=1,u,qz4rex3.dll,4,,com1,9600\r\nICCP1=2,s,ICC1\r\n\r\n"
                                    "ICC2=1,u,qz4hkrm.dll,4,,com2,9600\r\nICCP2=2,s,ICC2\r\n\r\n"
                                    "ICC3=1,u,qz4rex3.dll,4,,com3,9600\r\nICCP3=2,s,ICC3\r\n\r\n"
                                    "ICC4=1,u,qz4hkrm.dll,4,,com4,9600\r\nICCP4=2,s,ICC4\r\n\r\n"}),
    [](const testing::TestParamInfo<IccCase>& info) { return std::string(info.param.name); });

TEST(WriteIccFile, WritesTheExampleByteForByte)
{
    ConfigWriters w;
    w.Slots(readerNone, readerKavirex3, readerKrm, readerNone);
    EXPECT_EQ(resultOk, w.detector.WriteIccFile());
    EXPECT_EQ(ReadBytes(TestDataFile("icchscr-example.ini")), ReadBytes(w.File("icchscr.ini")));
}

TEST(WriteIccFile, ReplacesAnExistingFileWhole)
{
    ConfigWriters w;
    WriteBytes(w.File("icchscr.ini"), "[ICCMisc]\r\nTimer=9\r\n[Other]\r\n" + std::string(100000, 'x'));
    w.Slots(readerNone, readerNone, readerKavirex3, readerNone);
    EXPECT_EQ(resultOk, w.detector.WriteIccFile());
    EXPECT_EQ(kHead + "ICC3=1,u,qz4rex3.dll,4,,com3,9600\r\nICCP3=2,s,ICC3\r\n\r\n", ReadBytes(w.File("icchscr.ini")));
}

TEST(WriteIccFile, LeavesADirectoryInItsPlaceAlone)
{
    ConfigWriters w;
    std::filesystem::create_directory(w.File("icchscr.ini"));
    w.Slots(readerKrm, readerNone, readerNone, readerNone);
    EXPECT_EQ(resultFailed, w.detector.WriteIccFile());
    EXPECT_EQ(std::vector<std::string>{"Error: Create File: ICCHSCR.INI "}, w.notice.texts);
    EXPECT_EQ(std::vector<MessageIcon>{MessageIcon::Error}, w.notice.icons);
    EXPECT_TRUE(std::filesystem::is_directory(w.File("icchscr.ini")));
    EXPECT_EQ(std::vector<std::string>{"icchscr.ini"}, w.windowsDir.Names());
}

}  // namespace
}  // namespace lesamo::test
