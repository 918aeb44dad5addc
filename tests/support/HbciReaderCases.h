// Old hbcikrnl.ini files as other programs and editors really write them, each with the bytes
// that the merge must make of it when a Kavirex3 reader was found on com2: the table of the
// merge's unit test, and the files that the consumer program under Wine merges and reads back
// through the profile API as the banking kernel does.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "common/ReaderTypes.h"

namespace lesamo::test {

struct HbciReaderCase {
    const char* name;
    std::string oldFile;  // bytes on disk
    std::string newFile;  // bytes on disk; empty: the file is refused and stays as it was
};

/// A failing test names the case.
inline void PrintTo(const HbciReaderCase& c, std::ostream* out)
{
    *out << c.name;
}

/// `text` (ASCII) as UTF-16 with its byte-order mark, little- or big-endian.
inline std::string Utf16File(std::string_view text, bool bigEndian)
{
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char c : text) {
        bytes += bigEndian ? '\0' : c;
        bytes += bigEndian ? c : '\0';
    }
    return bytes;
}

inline const std::string kKavirex3OnCom2 =
    "\r\n[VeskKavirex3]\r\nStandard=CTAPI16\r\nCompanyName=Vesk\r\nReaderName=Kavirex3\r\nPort=2\r\n"
    "B1-Reader=0\r\nCtDllName=ctvskdrv.dll\r\nPIN-Entry=1\r\n";
// Another active reader and another program's section; after a Kavirex3 on com2 was added.
inline const std::string kOtherOld = "Other=Active\r\n\r\n[Other]\r\nKey=1\r\n";
inline const std::string kOtherNew = "VeskKavirex3=Active\r\nOther=Installed\r\n\r\n[Other]\r\nKey=1\r\n" +
                                     kKavirex3OnCom2;
inline const std::string kOtherInstalled = "VeskKavirex3=Active\r\nOther=Installed\r\n" + kKavirex3OnCom2;

/// The slots of every case: a Kavirex3 reader on com2.
inline constexpr int kHbciReaderCasePorts[kPortCount] = {readerNone, readerKavirex3, readerNone, readerNone};

inline const std::vector<HbciReaderCase> kHbciReaderCases = {
    // A CR alone ends a line.
    {"CrAloneAheadOfAnOwnSection",
     "[CardReader]\r\nOther=Installed\r[VeskKavirex3]\r\nPort=1\r\n\r\n[Other]\r\nKey=1\r\n",
     "[CardReader]\r\nVeskKavirex3=Active\r\nOther=Installed\r[Other]\r\nKey=1\r\n" + kKavirex3OnCom2},
    {"CrAloneBehindAnOwnHeader", "[CardReader]\r\n[VeskKavirex3]\r[Other]\r\nKey=1\r\n",
     "[CardReader]\r\nVeskKavirex3=Active\r\n[Other]\r\nKey=1\r\n" + kKavirex3OnCom2},
    {"CrAloneAheadOfAnOwnKeyLine", "[CardReader]\r\nOther=Installed\rVeskKavirex=Active\r\n",
     "[CardReader]\r\n" + kOtherInstalled},
    {"CrAloneBehindAnOwnKeyLine", "[CardReader]\r\nVeskKavirex3=Active\rOther=Installed\r\n",
     "[CardReader]\r\n" + kOtherInstalled},
    // Other white space ahead of a line.
    {"FormFeedAheadOfAnOwnSection",
     "[CardReader]\r\nOther=Installed\r\n\r\n\f[VeskKavirex3]\r\nPort=1\r\n\r\n[Other]\r\nKey=1\r\n",
     "[CardReader]\r\nVeskKavirex3=Active\r\nOther=Installed\r\n\r\n[Other]\r\nKey=1\r\n" + kKavirex3OnCom2},
    {"VerticalTabAheadOfAnotherSection",
     "[CardReader]\r\nOther=Installed\r\n\r\n[VeskKavirex3]\r\nPort=1\r\n\r\n\v[Other]\r\nKey=1\r\n",
     "[CardReader]\r\nVeskKavirex3=Active\r\nOther=Installed\r\n\r\n\v[Other]\r\nKey=1\r\n" + kKavirex3OnCom2},
    {"CtrlZAheadOfAnOwnKeyLine", "[CardReader]\r\n\x1aVeskKavirex=Active\r\nOther=Installed\r\n",
     "[CardReader]\r\n" + kOtherInstalled},
    // Values that the reader reads as Active.
    {"QuotedAndPaddedActive", "[CardReader]\r\nOther=\"Active\"\r\nThird='Active'\r\nFourth=Active\x1a\r\n",
     "[CardReader]\r\nVeskKavirex3=Active\r\nOther=\"Installed\"\r\nThird='Installed'\r\nFourth=Installed\x1a\r\n" +
         kKavirex3OnCom2},
    // The program's names in another letter case, with blanks inside the brackets.
    {"OwnNamesInAnotherLetterCase",
     "[CardReader]\r\nveskkavirex=Active\r\nOther=Installed\r\n\r\n[VESKKAVIREX3]\r\nPort=1\r\n\r\n[Other]\r\nKey=1\r\n",
     "[CardReader]\r\nVeskKavirex3=Active\r\nOther=Installed\r\n\r\n[Other]\r\nKey=1\r\n" + kKavirex3OnCom2},
    {"BlanksInsideTheBracketsOfAnOwnSection", "[CardReader]\r\nOther=Installed\r\n\r\n[ VeskKavirex3 ]\r\nPort=1\r\n",
     "[CardReader]\r\n" + kOtherInstalled},
    {"AnotherProgramsLowerCaseVeskSection", "[CardReader]\r\nOther=Installed\r\n\r\n[vesktool]\r\nKey=1\r\n",
     "[CardReader]\r\nVeskKavirex3=Active\r\nOther=Installed\r\n\r\n[vesktool]\r\nKey=1\r\n" + kKavirex3OnCom2},
    // A bracket that is never closed opens no section.
    {"UnclosedBracketInTheReaderList", "[CardReader]\r\n[Vesk\r\nOther=Installed\r\n",
     "[CardReader]\r\nVeskKavirex3=Active\r\n[Vesk\r\nOther=Installed\r\n" + kKavirex3OnCom2},
    {"UnclosedBracketInAnOwnSection", "[CardReader]\r\nOther=Installed\r\n[VeskKavirex3]\r\n[Note\r\nPort=1\r\n",
     "[CardReader]\r\n" + kOtherInstalled},
    // The reader's first section [CardReader], however its header is written.
    {"HeaderInLowerCase", "[cardreader]\r\n" + kOtherOld, "[cardreader]\r\n" + kOtherNew},
    {"HeaderWithATrailingBlank", "[CardReader] \r\n" + kOtherOld, "[CardReader] \r\n" + kOtherNew},
    {"HeaderWithBlanksInside", "[ CardReader ]\r\n" + kOtherOld, "[ CardReader ]\r\n" + kOtherNew},
    {"HeaderWithACommentBehind", "[CardReader] ; readers\r\n" + kOtherOld, "[CardReader] ; readers\r\n" + kOtherNew},
    {"HeaderEndedByACrAlone", "[CardReader]\r" + kOtherOld, "[CardReader]\r" + kOtherNew},
    {"CommentAheadOfTheHeader", "; the readers of the banking kernel\r\n\r\n[CardReader]\r\n" + kOtherOld,
     "; the readers of the banking kernel\r\n\r\n[CardReader]\r\n" + kOtherNew},
    {"Utf8ByteOrderMark", "\xEF\xBB\xBF[CardReader]\r\n" + kOtherOld + "Name=M\xC3\xBCller\r\n",
     "\xEF\xBB\xBF[CardReader]\r\n" + kOtherNew.substr(0, kOtherNew.size() - kKavirex3OnCom2.size()) +
         "Name=M\xC3\xBCller\r\n" + kKavirex3OnCom2},
    // The program writes single bytes: a UTF-16 file it can neither merge nor replace.
    {"Utf16LittleEndian", Utf16File("[CardReader]\r\n" + kOtherOld, false), ""},
    {"Utf16BigEndian", Utf16File("[CardReader]\r\n" + kOtherOld, true), ""},
};

}  // namespace lesamo::test
