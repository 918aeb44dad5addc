// The merge of hbcikrnl.ini as text: what the banking kernel and the other programs sharing
// the file find in it afterwards.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "config/HbciMerge.h"
#include "config/TextFile.h"
#include "tests/support/HbciMergeProperties.h"
#include "tests/support/HbciReaderCases.h"

namespace lesamo::test {
namespace {

struct Ports {
    int kinds[kPortCount];
};
constexpr Ports kNone{{readerNone, readerNone, readerNone, readerNone}};

std::string Merge(std::string_view old, const Ports& ports, std::optional<std::string_view> dir = std::nullopt)
{
    return MergeHbciText(old, ports.kinds, dir);
}

std::string Kavirex3Section(char port, const std::string& dll = "ctvskdrv.dll")
{
    return std::string("[VeskKavirex3]\nStandard=CTAPI16\nCompanyName=Vesk\nReaderName=Kavirex3\nPort=") + port +
           "\nB1-Reader=0\nCtDllName=" + dll + "\nPIN-Entry=1\n";
}

std::string KrmSection(char port, const std::string& dll = "ctvskdrv.dll")
{
    return std::string("[VeskKavirex]\nStandard=CTAPI16\nCompanyName=Vesk\nReaderName=Kavirex\nPort=") + port +
           "\nB1-Reader=0\nCtDllName=" + dll + "\nPIN-Entry=1\n";
}

struct MergeCase {
    const char* name;
    std::string old;
    Ports ports;
    std::optional<std::string> dir;
    std::string expected;
};

void PrintTo(const MergeCase& c, std::ostream* out)
{
    *out << c.name;
}

class MergeCases : public testing::TestWithParam<MergeCase> {};

TEST_P(MergeCases, GivesTheExpectedText)
{
    const MergeCase& c = GetParam();
    const std::optional<std::string_view> dir = c.dir ? std::optional<std::string_view>(*c.dir) : std::nullopt;
    EXPECT_EQ(c.expected, MergeHbciText(c.old, c.ports.kinds, dir));
    EXPECT_EQ("", CheckMergeProperties(c.old, c.ports.kinds, dir));
}

INSTANTIATE_TEST_SUITE_P(
    HbciMerge, MergeCases,
    testing::Values(
        MergeCase{"WorkedExample",
                  "[CardReader]\nOtherReader=Active\nVeskKavirex3=Installed\n\n[OtherReader]\nPort=1\n\n" +
                      Kavirex3Section('1'),
                  {{readerNone, readerKavirex3, readerKrm, readerNone}},
                  std::nullopt,
                  "[CardReader]\nVeskKavirex=Installed\nVeskKavirex3=Active\nOtherReader=Installed\n\n[OtherReader]\n"
                  "Port=1\n\n" +
                      Kavirex3Section('2') + "\n\n\n" + KrmSection('3')},
        MergeCase{"NoOldFileKavirex3OnCom1",
                  "",
                  {{readerKavirex3, readerNone, readerNone, readerNone}},
                  std::nullopt,
                  "[CardReader]\nVeskKavirex3=Active\n\n" + Kavirex3Section('1')},
        MergeCase{"BlankLinesAheadOfTheHeaderDoNoHarm",
                  "\n \t\r\n\n[CardReader]\nA=1\n",
                  {{readerNone, readerKavirex3, readerNone, readerNone}},
                  std::nullopt,
                  "[CardReader]\nVeskKavirex3=Active\nA=1\n\n" + Kavirex3Section('2')},
        MergeCase{"OtherFirstLineLosesEverything",
                  "[Other]\nx=1\n[CardReader]\nA=1\n",
                  {{readerNone, readerKavirex3, readerNone, readerNone}},
                  std::nullopt,
                  "[CardReader]\nVeskKavirex3=Active\n\n" + Kavirex3Section('2')},
        MergeCase{"KeyLineAheadOfTheHeaderLosesEverything", "x=1\n[CardReader]\nA=1\n[Other]\nB=2\n", kNone,
                  std::nullopt, "[CardReader]\n"},
        MergeCase{"HeaderAloneGetsTheKeyLineInsideTheSectionsLineFeeds",
                  "[CardReader]\n\n\n",
                  {{readerNone, readerKrm, readerNone, readerNone}},
                  std::nullopt,
                  "[CardReader]\nVeskKavirex=Active\n\n" + KrmSection('2')},
        MergeCase{"Kavirex3OnCom1AndCom3GiveOneSectionForCom1",
                  "[CardReader]\nA=Installed\n",
                  {{readerKavirex3, readerNone, readerKavirex3, readerNone}},
                  std::nullopt,
                  "[CardReader]\nVeskKavirex3=Active\nA=Installed\n\n" + Kavirex3Section('1')},
        MergeCase{"OnlyKrmOnCom4DemotesEveryOtherReader",
                  "[CardReader]\nOther=Active\nThird=Installed\n\n[Other]\nMode=Active\n",
                  {{readerNone, readerNone, readerNone, readerKrm}},
                  std::nullopt,
                  "[CardReader]\nVeskKavirex=Active\nOther=Installed\nThird=Installed\n\n[Other]\nMode=Installed\n\n" +
                      KrmSection('4')},
        MergeCase{"Kavirex3WinsOverALowerKrmPortAndSectionsFollowThePorts",
                  "[CardReader]\nA=Active\n",
                  {{readerKrm, readerKrm, readerNone, readerKavirex3}},
                  std::nullopt,
                  "[CardReader]\nVeskKavirex=Installed\nVeskKavirex3=Active\nA=Installed\n\n" + KrmSection('1') +
                      "\n\n\n" + Kavirex3Section('4')},
        MergeCase{"DriverDirectoryGoesIntoBothSections",
                  "",
                  {{readerKavirex3, readerKrm, readerNone, readerNone}},
                  "C:\\Programme\\Vesk",
                  "[CardReader]\nVeskKavirex=Installed\nVeskKavirex3=Active\n\n" +
                      Kavirex3Section('1', "C:\\Programme\\Vesk\\ctvskdrv.dll") + "\n\n\n" +
                      KrmSection('2', "C:\\Programme\\Vesk\\ctvskdrv.dll")},
        MergeCase{"DriverDirectoryWithFinalBackslashGivesTwo",
                  "",
                  {{readerKrm, readerNone, readerNone, readerNone}},
                  "C:\\Vesk\\",
                  "[CardReader]\nVeskKavirex=Active\n\n" + KrmSection('1', "C:\\Vesk\\\\ctvskdrv.dll")},
        MergeCase{"EmptyDriverDirectoryStillCounts",
                  "",
                  {{readerKrm, readerNone, readerNone, readerNone}},
                  "",
                  "[CardReader]\nVeskKavirex=Active\n\n" + KrmSection('1', "\\ctvskdrv.dll")},
        MergeCase{"OwnSectionEndsAtTheNextSection",
                  "[CardReader]\nA=1\n\n[VeskKavirex]\nPort=2\nVesk=1\n\n[Other]\nB=2\n\n[VeskKavirex3]\nPort=4", kNone,
                  std::nullopt, "[CardReader]\nA=1\n\n[Other]\nB=2\n"},
        MergeCase{"WithoutReadersOwnMaterialGoesAndNothingIsDemoted",
                  "[CardReader]\nOther=Active\nVeskKavirex3=Active\n\n[VeskKavirex3]\nPort=1\n", kNone, std::nullopt,
                  "[CardReader]\nOther=Active\n"},
        MergeCase{"NothingAtAllIsTheHeaderAlone", "", kNone, std::nullopt, "[CardReader]\n"}),
    [](const testing::TestParamInfo<MergeCase>& info) { return std::string(info.param.name); });

std::vector<HbciReaderCase> MergedReaderCases()
{
    std::vector<HbciReaderCase> merged;
    std::copy_if(kHbciReaderCases.begin(), kHbciReaderCases.end(), std::back_inserter(merged),
                 [](const HbciReaderCase& c) { return !c.newFile.empty(); });
    return merged;
}

// The files as other programs and editors write them, whose lines, headers, names and values
// the banking kernel reads with the profile API's rules.
class ReaderCases : public testing::TestWithParam<HbciReaderCase> {};

TEST_P(ReaderCases, GiveTheExpectedFile)
{
    const HbciReaderCase& c = GetParam();
    const std::string old = TextFromDisk(c.oldFile);
    EXPECT_EQ(c.newFile, TextToDisk(MergeHbciText(old, kHbciReaderCasePorts, std::nullopt)));
    EXPECT_EQ("", CheckMergeProperties(old, kHbciReaderCasePorts, std::nullopt));
}

INSTANTIATE_TEST_SUITE_P(HbciMerge, ReaderCases, testing::ValuesIn(MergedReaderCases()),
                         [](const testing::TestParamInfo<HbciReaderCase>& info) {
                             return std::string(info.param.name);
                         });

// Sound behaviour where a merge that searched its markers anywhere in the text would damage
// other programs' lines.

TEST(HbciMerge, MarkersCountOnlyAtTheStartOfALine)
{
    // Searched anywhere, "[Vesk" would cut from "see" up to "[x]" and "Vesk" would join the
    // rest of the note with the next line.
    const std::string foreign = "[CardReader]\nOther=Installed\nNote=made by Vesk GmbH\n\n[Other]\n"
                                "Comment=see [Vesk docs]\nPath=C:\\[x]\\Vesk\n x=VeskKavirex3=Active\n";
    EXPECT_EQ("[CardReader]\nVeskKavirex3=Active\nOther=Installed\nNote=made by Vesk GmbH\n\n[Other]\n"
              "Comment=see [Vesk docs]\nPath=C:\\[x]\\Vesk\n x=VeskKavirex3=Active\n\n" +
                  Kavirex3Section('1'),
              Merge(foreign, {{readerKavirex3, readerNone, readerNone, readerNone}}));
}

TEST(HbciMerge, LinesCountAfterLeadingBlanksAndTabs)
{
    // An ini reader skips blanks and tabs ahead of a line. Seen only in the first column,
    // "  [Other]" would go as part of [VeskKavirex] with its key, and the indented key line and
    // stale section would stay as a second, earlier [VeskKavirex3].
    const Ports ports{{readerNone, readerKavirex3, readerNone, readerNone}};
    const std::string once = Merge(
        "[CardReader]\nOther=Active\n  VeskKavirex3=Installed\n\n\t[VeskKavirex3]\nPort=1\nCtDllName=old.dll\n\n"
        "[VeskKavirex]\nPort=2\n  [Other]\nKey=1\n",
        ports);
    EXPECT_EQ("[CardReader]\nVeskKavirex3=Active\nOther=Installed\n\n  [Other]\nKey=1\n\n" + Kavirex3Section('2'),
              once);
    EXPECT_EQ(once, Merge(once, ports));
}

TEST(HbciMerge, DriverDirectoryStaysVerbatimAndIsRemovedWholeNextTime)
{
    // Filled in before the port, the X would become the port digit; demoted afterwards,
    // "Active" would become "Installed"; and "[" would stop the next run's removal.
    const std::string dir = "D:\\Xtra [Active]\\Vesk";
    const Ports ports{{readerNone, readerKavirex3, readerNone, readerKrm}};
    const std::string once = Merge("[CardReader]\nA=Active\n\n[A]\nB=1\n", ports, dir);
    EXPECT_EQ("[CardReader]\nVeskKavirex=Installed\nVeskKavirex3=Active\nA=Installed\n\n[A]\nB=1\n\n" +
                  Kavirex3Section('2', dir + "\\ctvskdrv.dll") + "\n\n\n" + KrmSection('4', dir + "\\ctvskdrv.dll"),
              once);
    EXPECT_EQ(once, Merge(once, ports, dir));
    EXPECT_EQ("[CardReader]\nA=Installed\n\n[A]\nB=1\n", Merge(once, kNone, dir));
}

TEST(HbciMerge, DemotesOnlyAValueThatIsExactlyActive)
{
    const std::string old = "[CardReader]\nA=Active\nB = Active \nC=\tActive\r\nD=Inactive\nActiveX=1\n"
                            "E=Interactive\nF=Active mode\nG=ActiveX\nH=active\n; Active reader\nI=J=Active\n\n"
                            "[Other]\nState=Active\r\nVeskKavirex=Active\n";
    // The last value ends in a CR that the end of the file's trimming takes away: it counts as
    // "Active" before and after, so a second run finds nothing more to demote.
    const std::string once = Merge(old, {{readerNone, readerNone, readerKrm, readerNone}});
    EXPECT_EQ("[CardReader]\nVeskKavirex=Active\nA=Installed\nB = Installed \nC=\tInstalled\r\nD=Inactive\n"
              "ActiveX=1\nE=Interactive\nF=Active mode\nG=ActiveX\nH=active\n; Active reader\nI=J=Active\n\n"
              "[Other]\nState=Installed\n\n" +
                  KrmSection('3'),
              once);
    EXPECT_EQ(once, Merge(once, {{readerNone, readerNone, readerKrm, readerNone}}));
}

TEST(HbciMerge, TakesTheWholeTextHoweverLong)
{
    std::string old = "[CardReader]\nA=1\n\n[Big]\n";
    while (old.size() < 200000)
        old += "Key" + std::to_string(old.size()) + "=some value of another program\n";
    old += "\n[Tail]\nLast=1\n";
    const std::string merged = Merge(old, {{readerKrm, readerNone, readerNone, readerNone}});
    EXPECT_EQ("[CardReader]\nVeskKavirex=Active\n" + old.substr(13) + "\n" + KrmSection('1'), merged);
}

TEST(HbciMerge, DriverDirectoryWithControlCharactersCountsAsUnset)
{
    // No Windows path holds a control character, and a line break would put a line of its
    // own (here a section header) into the file.
    for (const std::string& dir : std::vector<std::string>{"C:\\Vesk\n[Other]\nActive=1", "C:\\Vesk\r", "C:\\Ve\tsk",
                                                           std::string("\x1b"), std::string("C:\\Vesk\x7f")}) {
        SCOPED_TRACE(dir);
        EXPECT_EQ("[CardReader]\nVeskKavirex3=Active\n\n" + Kavirex3Section('2'),
                  Merge("", {{readerNone, readerKavirex3, readerNone, readerNone}}, dir));
        EXPECT_EQ("ctvskdrv.dll", DriverPath(dir));
    }
    // Bytes of the Windows code page above 0x7F are letters, not control characters.
    EXPECT_EQ("C:\\M\xFCller \xDF\\ctvskdrv.dll", DriverPath("C:\\M\xFCller \xDF"));
    EXPECT_EQ("ctvskdrv.dll", DriverPath(std::nullopt));
}

struct BadInput {
    const char* name;
    std::string old;
    std::string expected;  // for a Kavirex3 reader on com1
};

void PrintTo(const BadInput& c, std::ostream* out)
{
    *out << c.name;
}

class BadInputs : public testing::TestWithParam<BadInput> {};

TEST_P(BadInputs, GiveASoundFile)
{
    const Ports ports{{readerKavirex3, readerNone, readerNone, readerNone}};
    EXPECT_EQ(GetParam().expected, Merge(GetParam().old, ports));
    EXPECT_EQ("", CheckMergeProperties(GetParam().old, ports.kinds, std::nullopt));
}

const std::string kFreshKavirex3 = "[CardReader]\nVeskKavirex3=Active\n\n" + Kavirex3Section('1');

INSTANTIATE_TEST_SUITE_P(
    HbciMerge, BadInputs,
    testing::Values(
        BadInput{"BinaryJunk",
                 std::string("\x7f"
                             "ELF\x02\x01\x01\x00\x00\x00\xff\xfe[Vesk\n\x80\x81",
                             17),
                 kFreshKavirex3},
        BadInput{"NoLineEnd", "[CardReader]", kFreshKavirex3},
        // What follows the header's "]" does not count: the key line goes behind the whole line.
        BadInput{"NoLineEndAfterTheHeader", "[CardReader]A=1",
                 "[CardReader]A=1\nVeskKavirex3=Active\n\n" + Kavirex3Section('1')},
        BadInput{"CarriageReturnsOnly", "[CardReader]\rA=Active\r[Other]\rB=1\r",
                 "[CardReader]\rVeskKavirex3=Active\nA=Installed\r[Other]\rB=1\n\n" + Kavirex3Section('1')},
        BadInput{"CarriageReturnsInsideLines", "[CardReader]\nA=1\rB=Active\r\n\n[O]\nC=1",
                 "[CardReader]\nVeskKavirex3=Active\nA=1\rB=Installed\r\n\n[O]\nC=1\n\n" + Kavirex3Section('1')},
        BadInput{"ZeroByteEndsTheText", std::string("[CardReader]\nA=1\nB=2\0[Gone]\nC=3\n", 29),
                 "[CardReader]\nVeskKavirex3=Active\nA=1\nB=2\n\n" + Kavirex3Section('1')},
        BadInput{"ZeroByteFirst", std::string("\0[CardReader]\nA=1\n", 18), kFreshKavirex3},
        BadInput{"OneVeryLongLine", "[CardReader]\nA=" + std::string(3 << 20, 'v') + "\n",
                 "[CardReader]\nVeskKavirex3=Active\nA=" + std::string(3 << 20, 'v') + "\n\n" + Kavirex3Section('1')},
        BadInput{"OwnMarkerWithoutLineEnd", "[CardReader]\nA=1\nVesk",
                 "[CardReader]\nVeskKavirex3=Active\nA=1\n\n" + Kavirex3Section('1')}),
    [](const testing::TestParamInfo<BadInput>& info) { return std::string(info.param.name); });

TEST(HbciMerge, KeepsItsPromisesForGeneratedFiles)
{
    std::mt19937 random(20240611);
    const std::vector<std::optional<std::string>> dirs = {std::nullopt, "", "C:\\Vesk", "X:\\[Active]\\Vesk\\",
                                                          "C:\\a\nVeskKavirex=Active"};
    for (int round = 0; round < 4000; ++round) {
        const std::string old = GenerateOldHbciText(random);
        Ports ports{};
        for (int& kind : ports.kinds)
            kind = random() % 4 == 0 ? static_cast<int>(random() % 3) : 0;
        const auto& dir = dirs[random() % dirs.size()];
        const std::string broken = CheckMergeProperties(old, ports.kinds,
                                                        dir ? std::optional<std::string_view>(*dir) : std::nullopt);
        ASSERT_EQ("", broken) << "round " << round;
    }
}

}  // namespace
}  // namespace lesamo::test
