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

/// Merges the old content of hbcikrnl.ini, as read in text mode (LF line ends), with the
/// readers of `portKinds` (index 0 = com1; values other than readerKrm and readerKavirex3
/// count as readerNone). Only the text up to the first zero byte counts; it is trimmed, and
/// unless it begins with the line "[CardReader]" it is replaced by that line alone. The
/// program's own material is taken out: every section whose header line starts with "[Vesk"
/// (up to the next line that starts with "[") and every line that starts with "Vesk", each
/// line read after its leading blanks and tabs as an ini reader reads it. Then one
/// section per reader kind is appended for the lowest port with that kind; when one was,
/// every other reader whose value is exactly "Active" (white space around it allowed)
/// becomes "Installed", and the key line of
/// the active reader (Kavirex3 before Kavirex(KRM)) goes right behind the header.
/// The result has LF line ends, starts with "[CardReader]\n" and ends with one line feed.
std::string MergeHbciText(std::string_view oldText, const int (&portKinds)[kPortCount],
                          std::optional<std::string_view> driverDir);

}  // namespace lesamo
