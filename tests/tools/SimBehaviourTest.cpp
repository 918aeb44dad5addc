// reader-sim's words straight from its sources: behaviours, port assignments and the
// escapes of reply texts. The simulator as a whole is tested in ReaderSimTest_posix.cpp.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tools/reader-sim/SimBehaviour.h"

namespace lesamo::test {
namespace {

using sim::Kind;
using sim::ParseAssignment;
using sim::ParseBehaviour;
using sim::Printable;
using sim::Unescape;

TEST(SimBehaviour, ReaderKindsHaveTheirDefaultDelayAndReply)
{
    const auto kavirex3 = ParseBehaviour("kavirex3");
    ASSERT_TRUE(kavirex3);
    EXPECT_EQ(Kind::Kavirex3, kavirex3->kind);
    EXPECT_EQ(500, kavirex3->delayMs);
    EXPECT_EQ("Kavirex3 V1.0\r\n", kavirex3->text);
    const auto krm = ParseBehaviour("krm");
    ASSERT_TRUE(krm);
    EXPECT_EQ(Kind::Krm, krm->kind);
    EXPECT_EQ(40, krm->delayMs);
    EXPECT_EQ("?0", krm->text);
}

TEST(SimBehaviour, DelayAndReplyEachReplaceTheirDefault)
{
    const auto both = ParseBehaviour("kavirex3@120:ABC\\r\\n");
    ASSERT_TRUE(both);
    EXPECT_EQ(120, both->delayMs);
    EXPECT_EQ("ABC\r\n", both->text);
    const auto delayOnly = ParseBehaviour("krm@0");
    ASSERT_TRUE(delayOnly);
    EXPECT_EQ(0, delayOnly->delayMs);
    EXPECT_EQ("?0", delayOnly->text);
    const auto textOnly = ParseBehaviour("krm:;;");
    ASSERT_TRUE(textOnly);
    EXPECT_EQ(40, textOnly->delayMs);
    EXPECT_EQ(";;", textOnly->text);
    const auto emptyText = ParseBehaviour("krm@5:");
    ASSERT_TRUE(emptyText);
    EXPECT_EQ("", emptyText->text);
}

TEST(SimBehaviour, LineBehavioursTakeNeitherDelayNorText)
{
    EXPECT_EQ(Kind::Silent, ParseBehaviour("silent").value().kind);
    EXPECT_EQ(Kind::Flood, ParseBehaviour("flood").value().kind);
    EXPECT_EQ(Kind::Hangup, ParseBehaviour("hangup").value().kind);
    EXPECT_EQ(Kind::None, ParseBehaviour("none").value().kind);
    for (const char* bad : {"silent@5", "flood:x", "hangup@", "none:"})
        EXPECT_FALSE(ParseBehaviour(bad)) << bad;
}

TEST(SimBehaviour, RejectsUnknownNamesAndMalformedDelays)
{
    for (const char* bad : {"", "reader", "Krm", "krm@", "krm@x", "krm@12x", "krm@10000000", "kavirex3:\\q"})
        EXPECT_FALSE(ParseBehaviour(bad)) << bad;
    EXPECT_EQ(1000000, ParseBehaviour("krm@1000000").value().delayMs);
}

TEST(SimBehaviour, AssignmentNamesComOneToFour)
{
    const auto first = ParseAssignment("com1=krm");
    ASSERT_TRUE(first);
    EXPECT_EQ(0, first->port);
    EXPECT_EQ(Kind::Krm, first->behaviour.kind);
    const auto last = ParseAssignment("com4=none");
    ASSERT_TRUE(last);
    EXPECT_EQ(3, last->port);
    EXPECT_EQ(Kind::None, last->behaviour.kind);
    for (const char* bad : {"com0=krm", "com5=krm", "COM1=krm", "com1:krm", "com1=", "com12=krm", "com1=reader"})
        EXPECT_FALSE(ParseAssignment(bad)) << bad;
}

TEST(SimBehaviour, UnescapeKnowsFourEscapes)
{
    EXPECT_EQ(std::optional<std::string>("a\r\nA\xfe\\"), Unescape("a\\r\\n\\x41\\xFe\\\\"));
    for (const char* bad : {"\\", "ab\\", "\\q", "\\x4", "\\xg1", "\\t"})
        EXPECT_FALSE(Unescape(bad)) << bad;
}

TEST(SimBehaviour, PrintableEscapesWhatUnescapeReadsBack)
{
    EXPECT_EQ("Kavirex3 V1.0\\r\\n", Printable("Kavirex3 V1.0\r\n"));
    EXPECT_EQ("\\\\\\x00\\x1B\\x7F\\xFF~", Printable(std::string("\\\0\x1b\x7f\xff~", 6)));
    std::string everyByte;
    for (int c = 0; c < 256; ++c)
        everyByte += static_cast<char>(c);
    EXPECT_EQ(std::optional<std::string>(everyByte), Unescape(Printable(everyByte)));
}

}  // namespace
}  // namespace lesamo::test
