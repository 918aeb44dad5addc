// The two probes against scripted ports: exact line patterns, waits and judgements.
#include <gtest/gtest.h>

#include <cctype>
#include <ostream>
#include <string>

#include "detect/ReaderDetector.h"
#include "tests/fakes/FakeSerialPorts.h"
#include "tests/fakes/RecordingNotice.h"

namespace lesamo::test {
namespace {

struct Probes {
    FakeSerialPorts ports;
    RecordingNotice notice;
    CReaderDetector detector{ports, notice};
};

TEST(ProbeKavirex3, DrivesTheIdentifyingPatternThenReadsAndPurges)
{
    Probes p;
    p.ports.Attach("com1", "Kavirex3");
    EXPECT_EQ(resultOk, p.detector.ProbeKavirex3("com1"));
    EXPECT_EQ("open 1200-7N2 dtr- rts- wait40 dtr+ wait120 dtr- wait40 dtr+ wait120"
              " rts+ wait40 dtr- rts- wait10 dtr+ rts+ wait800 dtr- rts-"
              " timeouts30/1/1 read100 purge close",
              p.ports.Log("com1"));
    EXPECT_EQ(1170, p.ports.Now());
    EXPECT_EQ(0, p.ports.OpenCount());
}

TEST(ProbeKrm, DrivesTheWakePatternBeforeReading)
{
    Probes p;
    p.ports.Attach("com1", "?x");
    EXPECT_EQ(resultOk, p.detector.ProbeKrm("com1"));
    // The last three changes follow one another with no wait between them.
    EXPECT_EQ("open 9600-8E1 check dtr- rts- wait40 dtr+ wait30 rts+ wait40 dtr- wait40"
              " rts- dtr- rts- timeouts30/1/1 read100 purge close",
              p.ports.Log("com1"));
    EXPECT_EQ(150, p.ports.Now());
    EXPECT_EQ(0, p.ports.OpenCount());
}

TEST(Probes, PortThatCannotBeOpenedCostsNothing)
{
    Probes p;
    p.ports.Hold("com2");
    EXPECT_EQ(resultFailed, p.detector.ProbeKavirex3("com2"));
    EXPECT_EQ(resultFailed, p.detector.ProbeKrm("com2"));
    EXPECT_EQ(resultFailed, p.detector.ProbeKavirex3("com3"));  // nothing attached at all
    EXPECT_EQ(resultFailed, p.detector.ProbeKrm("com3"));
    EXPECT_EQ("", p.ports.Log("com2"));
    EXPECT_EQ("", p.ports.Log("com3"));
    EXPECT_EQ(0, p.ports.Now());
}

struct ReplyCase {
    const char* what;
    std::string reply;
    int expected;
};

void PrintTo(const ReplyCase& c, std::ostream* out)
{
    *out << c.what;
}

/// The case's description as a test name: "name alone" is NameAlone.
std::string CaseName(const testing::TestParamInfo<ReplyCase>& info)
{
    std::string name;
    bool wordStart = true;
    for (const char c : std::string(info.param.what)) {
        if (std::isalnum(static_cast<unsigned char>(c)) == 0) {
            wordStart = true;
            continue;
        }
        name += wordStart ? static_cast<char>(std::toupper(static_cast<unsigned char>(c))) : c;
        wordStart = false;
    }
    return name;
}

class Kavirex3Reply : public testing::TestWithParam<ReplyCase> {};

TEST_P(Kavirex3Reply, IsJudgedByTheNameInTheText)
{
    Probes p;
    p.ports.Attach("com1", GetParam().reply);
    EXPECT_EQ(GetParam().expected, p.detector.ProbeKavirex3("com1")) << GetParam().what;
    EXPECT_EQ(0, p.ports.OpenCount());
}

INSTANTIATE_TEST_SUITE_P(
    Replies, Kavirex3Reply,
    testing::Values(ReplyCase{"name alone", "Kavirex3", resultOk},
                    ReplyCase{"name between other text and a version", "\x02ID Kavirex3 V2.14\r\n", resultOk},
                    ReplyCase{"other case", "KAVIREX3 V2.14", resultNone},
                    ReplyCase{"zero byte ahead of the name", std::string("ab\0Kavirex3", 11), resultNone},
                    ReplyCase{"name ends at byte 100", std::string(92, '.') + "Kavirex3", resultOk},
                    ReplyCase{"name crosses byte 100", std::string(93, '.') + "Kavirex3", resultNone},
                    ReplyCase{"name beyond byte 100", std::string(200, '.') + "Kavirex3", resultNone},
                    ReplyCase{"no reply", "", resultNone}, ReplyCase{"wake reply", "?x", resultNone}),
    CaseName);

class KrmReply : public testing::TestWithParam<ReplyCase> {};

TEST_P(KrmReply, IsJudgedByTheFirstOfAtLeastTwoBytes)
{
    Probes p;
    p.ports.Attach("com4", GetParam().reply);
    EXPECT_EQ(GetParam().expected, p.detector.ProbeKrm("com4")) << GetParam().what;
    EXPECT_EQ(0, p.ports.OpenCount());
}

INSTANTIATE_TEST_SUITE_P(Replies, KrmReply,
                         testing::Values(ReplyCase{"single question mark", "?", resultNone},
                                         ReplyCase{"question mark and any byte", std::string("?\0", 2), resultOk},
                                         ReplyCase{"two semicolons", ";;", resultOk},
                                         ReplyCase{"other first byte then question mark", "x?", resultNone},
                                         ReplyCase{"zero first byte then question mark", std::string("\0?", 2),
                                                   resultNone},
                                         ReplyCase{"long reply", "?" + std::string(300, 'z'), resultOk},
                                         ReplyCase{"no reply", "", resultNone}),
                         CaseName);

TEST(Probes, FailedReadCountsAsNoReply)
{
    Probes p;
    p.ports.Attach("com1", "Kavirex3", "?x");
    p.ports.FailReads("com1");
    EXPECT_EQ(resultNone, p.detector.ProbeKavirex3("com1"));
    EXPECT_EQ(resultNone, p.detector.ProbeKrm("com1"));
    EXPECT_EQ(0, p.ports.OpenCount());
}

}  // namespace
}  // namespace lesamo::test
