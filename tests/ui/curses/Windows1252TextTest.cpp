// The terminal front end's Windows-1252 text without a terminal: the code page both ways,
// the wrapping of message and dialog texts, and the lines of an edit box.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/curses/Windows1252Text.h"

namespace lesamo::term {
namespace {

using Lines = std::vector<std::string>;

TEST(Windows1252Text, ShowsTheCodePageAndQuestionMarksForWhatWouldMoveTheCursor)
{
    EXPECT_EQ(L'A', FromWindows1252('A'));
    EXPECT_EQ(L'\u00DF', FromWindows1252(0xDF));  // ß, as in "Anschluß"
    EXPECT_EQ(L'\u20AC', FromWindows1252(0x80));  // the euro sign
    EXPECT_EQ(L'\u0178', FromWindows1252(0x9F));
    for (unsigned char byte : {0x00, 0x09, 0x0A, 0x0D, 0x1B, 0x7F, 0x81, 0x8D, 0x8F, 0x90, 0x9D})
        EXPECT_EQ(L'?', FromWindows1252(byte)) << static_cast<int>(byte);
}

TEST(Windows1252Text, TypedCharactersConvertBackAndThoseWithoutACodeAreZero)
{
    for (int byte = 0x20; byte <= 0xFF; ++byte) {
        const wchar_t ch = FromWindows1252(static_cast<unsigned char>(byte));
        if (ch != L'?') {
            EXPECT_EQ(static_cast<char>(byte), ToWindows1252(ch)) << byte;
        }
    }
    EXPECT_EQ(0, ToWindows1252(L'\0'));
    EXPECT_EQ(0, ToWindows1252(L'\u0085'));  // a control character, not the code page's 0x85
    EXPECT_EQ(0, ToWindows1252(L'\u4E00'));
}

TEST(Windows1252Text, WrapsAtTheLastBlankThatFitsAndCutsAWordLongerThanTheWidth)
{
    EXPECT_EQ((Lines{"Das Terminal", "ist zu klein"}), WrapText("Das Terminal ist zu klein", 12));
    EXPECT_EQ((Lines{"Das", "Terminal"}), WrapText("Das Terminal", 11));
    EXPECT_EQ((Lines{"Karte", "nlese", "r"}), WrapText("Kartenleser", 5));
    EXPECT_EQ(Lines{}, WrapText("Kartenleser", 0));
}

TEST(Windows1252Text, EndsLinesAtEveryLineBreakKeepingEmptyLines)
{
    EXPECT_EQ((Lines{"eins", "zwei", "", "drei"}), WrapText("eins\r\nzwei\n\ndrei", 10));
}

TEST(Windows1252Text, EditBoxLinesEndAtCrLfOnlyAndAFinalBreakOpensNoLine)
{
    EXPECT_EQ((Lines{"eins", "zwei", "", "drei\nvier"}), EditLines("eins\r\nzwei\r\n\r\ndrei\nvier\r\n"));
    EXPECT_EQ(Lines{}, EditLines(""));
}

}  // namespace
}  // namespace lesamo::term
