// The main dialog on a scripted framework back end: the warning, the result list, the
// system-menu entry, the minimised icon, and how OK and Abbrechen end it.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/fakes/FakeSerialPorts.h"
#include "tests/fakes/RecordingNotice.h"
#include "tests/support/ConfigTestFiles.h"
#include "tests/support/FakeFramework.h"
#include "ui/ReaderScanApp.h"
#include "ui/ReaderScanDlg.h"

namespace lesamo::test {
namespace {

const char kWarning[] =
    "Achtung: Sollten Sie einen Kavirex(schwarz) haben, stecken Sie bitte eine Chipkarte in den Leser. ";
const char kKrmLine[] = "Kavirex(KRM) Kartenleser gefunden an Anschlu\xDF: Com";
const char kKavirex3Line[] = "Kavirex3 Kartenleser gefunden an Anschlu\xDF: Com";
const char kNothingFound[] = "Keinen Kartenleser gefunden.";

// A dialog on screen: constructed on fake ports, initialised by the fake back end.
struct OpenDialog {
    OpenDialog()
    {
        ResetFakeBackEnd();
        dialog.AttachHost(&host);
        initResult = dialog.OnInitDialog();
        shownAtInit = host.updates;
        host.updates.clear();
    }
    ~OpenDialog() { dialog.AttachHost(nullptr); }
    std::string Search()
    {
        EXPECT_TRUE(dialog.OnCommand(IDC_SEARCH));
        return host.GetControlText(IDC_RESULT);
    }
    FakeSerialPorts ports;
    RecordingNotice notice;
    CReaderScanDlg dialog{ports, notice};
    FakeHost host;
    bool initResult = false;
    std::vector<std::string> shownAtInit;
};

TEST(ReaderScanDlgInit, ShowsAnEmptyResultBoxTheAboutEntryAndTheIcons)
{
    OpenDialog d;
    EXPECT_TRUE(d.initResult);
    EXPECT_EQ(102, d.dialog.TemplateId());
    EXPECT_EQ((std::vector<std::string>{""}), d.shownAtInit);
    EXPECT_EQ((std::vector<std::string>{"-", "16:Inf&o \xFC"
                                             "ber Lesamo..."}),
              d.host.systemMenu.entries);
    EXPECT_TRUE(d.host.calls.empty());  // the system menu was not reverted
    EXPECT_EQ(FakeIcon(128), d.host.bigIcon);
    EXPECT_EQ(FakeIcon(128), d.host.smallIcon);
    EXPECT_EQ(FakeIcon(128), d.dialog.OnQueryDragIcon());
}

TEST(ReaderScanDlgInit, AddsNoMenuEntryWithoutTheStringOrTheMenu)
{
    {
        ResetFakeBackEnd();
        Fake().strings.clear();
        FakeSerialPorts ports;
        RecordingNotice notice;
        CReaderScanDlg dialog(ports, notice);
        FakeHost host;
        dialog.AttachHost(&host);
        EXPECT_TRUE(dialog.OnInitDialog());
        EXPECT_TRUE(host.systemMenu.entries.empty());
        EXPECT_EQ(FakeIcon(128), host.bigIcon);
        dialog.AttachHost(nullptr);
    }
    {
        ResetFakeBackEnd();
        FakeSerialPorts ports;
        RecordingNotice notice;
        CReaderScanDlg dialog(ports, notice);
        FakeHost host;
        host.hasSystemMenu = false;
        dialog.AttachHost(&host);
        EXPECT_TRUE(dialog.OnInitDialog());
        EXPECT_EQ(FakeIcon(128), host.smallIcon);
        dialog.AttachHost(nullptr);
    }
}

TEST(OnSearch, WarnsBeforeTheScanWithTheApplicationsNameAsCaption)
{
    OpenDialog d;
    d.ports.Attach("com1", "Kavirex3");
    std::size_t portsOpenedBeforeTheBoxClosed = 99;
    d.host.onMessageBox = [&](const FakeHost::Box&) { portsOpenedBeforeTheBoxClosed = d.ports.Events().size(); };
    d.Search();
    ASSERT_EQ(1u, d.host.boxes.size());
    EXPECT_EQ(kWarning, d.host.boxes[0].text);
    EXPECT_EQ(AfxGetApp()->m_strAppName, d.host.boxes[0].caption);
    EXPECT_EQ(MessageIcon::Exclamation, d.host.boxes[0].icon);
    EXPECT_EQ(0u, portsOpenedBeforeTheBoxClosed);
    EXPECT_TRUE(d.notice.texts.empty());
}

struct SearchCase {
    const char* name;
    std::vector<std::pair<std::string, std::string>> readers;  // port, reply to both probes
    std::string shown;
};

void PrintTo(const SearchCase& c, std::ostream* os)
{
    *os << c.name;
}

class SearchResult : public ::testing::TestWithParam<SearchCase> {};

TEST_P(SearchResult, ListsTheReadersInPortOrder)
{
    OpenDialog d;
    for (const auto& [port, reply] : GetParam().readers)
        d.ports.Attach(port, reply);
    EXPECT_EQ(GetParam().shown, d.Search());
    // One copy into the box per port, one more at the end; the member is empty again.
    EXPECT_EQ(5u, d.host.updates.size());
    EXPECT_EQ("", d.dialog.m_strResult);
}

INSTANTIATE_TEST_SUITE_P(
    Readers, SearchResult,
    ::testing::Values(SearchCase{"Nothing", {}, kNothingFound},
                      SearchCase{"SilentPorts", {{"com1", ""}, {"com4", "noise"}}, kNothingFound},
                      SearchCase{"Kavirex3OnCom2", {{"com2", "Kavirex3 V2.1"}}, std::string(kKavirex3Line) + "2\r\n"},
                      SearchCase{"KrmOnCom1Kavirex3OnCom3",
                                 {{"com3", "Kavirex3"}, {"com1", "?0"}},
                                 std::string(kKrmLine) + "1\r\n" + kKavirex3Line + "3\r\n"},
                      SearchCase{"AllFour",
                                 {{"com1", ";;"}, {"com2", "Kavirex3"}, {"com3", "?a"}, {"com4", "Kavirex3"}},
                                 std::string(kKrmLine) + "1\r\n" + kKavirex3Line + "2\r\n" + kKrmLine + "3\r\n" +
                                     kKavirex3Line + "4\r\n"}),
    [](const ::testing::TestParamInfo<SearchCase>& info) { return std::string(info.param.name); });

TEST(OnSearch, GrowsTheBoxPortByPort)
{
    OpenDialog d;
    d.ports.Attach("com1", "?0");
    d.ports.Attach("com3", "Kavirex3");
    d.Search();
    const std::string krm = std::string(kKrmLine) + "1\r\n";
    const std::string both = krm + kKavirex3Line + "3\r\n";
    EXPECT_EQ((std::vector<std::string>{krm, krm, both, both, both}), d.host.updates);
}

TEST(OnSearch, ASecondSearchStillListsAnUnpluggedReaderOnce)
{
    OpenDialog d;
    d.ports.Attach("com2", "Kavirex3");
    const std::string line = std::string(kKavirex3Line) + "2\r\n";
    EXPECT_EQ(line, d.Search());
    d.ports.Unplug("com2");
    EXPECT_EQ(line, d.Search());
    d.ports.Attach("com4", "?x");
    EXPECT_EQ(line + kKrmLine + "4\r\n", d.Search());
    EXPECT_EQ(3u, d.host.boxes.size());
}

TEST(ReaderScanDlgCancel, EndsTheDialogWithoutWritingOrAsking)
{
    TempDir windowsDir;
    ScopedEnv windir("windir", windowsDir.Path().string().c_str());
    OpenDialog d;
    d.ports.Attach("com1", "Kavirex3");
    d.Search();
    EXPECT_TRUE(d.dialog.OnCommand(IDCANCEL));
    EXPECT_TRUE(d.host.ended);
    EXPECT_EQ(IDCANCEL, d.host.endCode);
    EXPECT_EQ(1u, d.host.boxes.size());
    EXPECT_TRUE(d.notice.texts.empty());
    EXPECT_TRUE(windowsDir.Names().empty());
}

// OK writes both files and ends the process with status 1; failing writers change neither.
// The directory is named, not random: where death tests re-run the test body in a new
// process (Windows), parent and child must agree on it.
TEST(ReaderScanDlgDeathTest, OkWritesBothFilesAndExitsWithStatus1)
{
    const std::filesystem::path windowsDir = std::filesystem::current_path() / "ReaderScanDlgDeathTest.windir";
    std::filesystem::remove_all(windowsDir);
    std::filesystem::create_directories(windowsDir);
    {
        ScopedEnv windir("windir", windowsDir.string().c_str());
        EXPECT_EXIT(
            {
                OpenDialog d;
                d.ports.Attach("com2", "Kavirex3");
                d.ports.Attach("com3", "?0");
                d.Search();
                d.dialog.OnCommand(IDOK);
            },
            ::testing::ExitedWithCode(1), "");
    }
    EXPECT_EQ(ReadBytes(TestDataFile("icchscr-example.ini")), ReadBytes(windowsDir / "icchscr.ini"));
    EXPECT_EQ((std::vector<std::string>{"hbcikrnl.ini", "icchscr.ini"}), EntryNames(windowsDir));

    ScopedEnv windir("windir", (windowsDir / "missing").string().c_str());
    EXPECT_EXIT(
        {
            OpenDialog d;
            d.dialog.OnCommand(IDOK);
        },
        ::testing::ExitedWithCode(1), "");
    EXPECT_FALSE(std::filesystem::exists(windowsDir / "missing"));
    std::filesystem::remove_all(windowsDir);
}

TEST(OnSysCommand, TheAboutEntryOpensTheAboutBoxOtherCommandsGoToTheSystem)
{
    OpenDialog d;
    d.dialog.OnSysCommand(IDM_ABOUTBOX, 0);
    d.dialog.OnSysCommand(IDM_ABOUTBOX | 0x3, 0);  // low bits set by the system
    EXPECT_EQ((std::vector<int>{100, 100}), Fake().modalTemplates);
    EXPECT_TRUE(d.host.calls.empty());
    d.dialog.OnSysCommand(kSysCommandMove, 0x00200010);
    d.dialog.OnSysCommand(kSysCommandClose, 0);
    EXPECT_EQ((std::vector<std::string>{"sys 61456 2097168", "sys 61536 0"}), d.host.calls);
    EXPECT_EQ(2u, Fake().modalTemplates.size());
    EXPECT_FALSE(d.host.ended);
}

struct PaintCase {
    int width, height, iconWidth, iconHeight;
    const char* drawn;
};

TEST(OnPaint, CentresTheIconWhenMinimisedElsePaintsAsUsual)
{
    const PaintCase cases[] = {
        {160, 27, 32, 32, "icon 64 -2"}, {36, 36, 32, 32, "icon 2 2"}, {37, 38, 32, 32, "icon 3 3"},
        {20, 20, 32, 32, "icon -5 -5"},  {48, 48, 48, 32, "icon 0 8"},
    };
    for (const PaintCase& c : cases) {
        OpenDialog d;
        Fake().iconWidth = c.iconWidth;
        Fake().iconHeight = c.iconHeight;
        d.host.iconic = true;
        d.host.client = CRect{0, 0, c.width, c.height};
        d.dialog.OnPaint();
        d.host.iconic = false;
        d.dialog.OnPaint();
        EXPECT_EQ((std::vector<std::string>{c.drawn, "paint"}), d.host.calls) << c.width << "x" << c.height;
    }
}

}  // namespace
}  // namespace lesamo::test
