// The merge of hbcikrnl.ini: the old text and the port slots in, the new text out. No file,
// no environment: the writer, the tests and the fuzzer all call it the same way.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "common/ReaderTypes.h"

namespace lesamo {

/// The value of CtDllName: "ctvskdrv.dll" when `driverDir` is unset, else the directory, a
/// backslash and "ctvskdrv.dll" (an empty directory still gets its backslash). A directory
/// holding a control character (a line break, a tab, ...) cannot be a Windows path and
/// would break the file's lines, so it counts as unset.
std::string DriverPath(std::optional<std::string_view> driverDir);

/// Merges the old content of hbcikrnl.ini, as read in text mode (CR LF turned into LF), with the
/// readers of `portKinds` (index 0 = com1; values other than readerKrm and readerKavirex3
/// count as readerNone). The old text is read as the banking kernel's reader, the profile API,
/// reads it: a line ends at LF, CR LF or a CR alone; blanks, tabs, VT, FF, CR and Ctrl-Z
/// around a line, a name and a value do not count; a header is a line that starts with "["
/// and holds a later "]", named by what stands between the "[" and the last "]"; names match
/// in any ASCII letter case. Only the text up to the first zero byte counts; it is trimmed,
/// and unless its first line that is neither blank nor a ";" comment is a header named
/// CardReader it is replaced by the line "[CardReader]" alone (a UTF-8 byte-order mark ahead
/// of a kept text stays). The program's own material is taken out: every section whose name
/// starts with "Vesk" or is VeskKavirex3 or VeskKavirex (up to the next header), every line
/// that starts with "Vesk", and in [CardReader] every key of those two names. Every other
/// line stays byte for byte with its own line end. Then one section per reader kind is
/// appended for the lowest port with that kind; when one was, every value that the reader
/// reads as exactly "Active" (white space and one pair of enclosing quotes aside) becomes
/// "Installed", and the key line of the active reader (Kavirex3 before Kavirex(KRM)) goes
/// right behind the [CardReader] header line. The result's own lines end in LF; it ends with
/// one line end.
std::string MergeHbciText(std::string_view oldText, const int (&portKinds)[kPortCount],
                          std::optional<std::string_view> driverDir);

}  // namespace lesamo
