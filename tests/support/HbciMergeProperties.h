// What every merge of hbcikrnl.ini must keep, whatever the old file held: checked by the unit
// tests over generated files and by the fuzzer over arbitrary bytes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "common/ReaderTypes.h"

namespace lesamo::test {

/// Merges `oldText` and checks the result: it starts with "[CardReader]" and ends with one
/// line end; merging it again changes nothing; every line of other programs survives byte for
/// byte and in order (apart from an exact "Active" value turned "Installed", the blank space
/// trimmed at the start and end of the file, and what the header rule and the first zero byte
/// drop); the program's own lines are exactly the key lines and one section per reader kind
/// for its lowest port; at most one line says "Active". Headers and key lines count after
/// their leading blanks and tabs, as an ini reader reads them. Returns "" or what was broken.
std::string CheckMergeProperties(std::string_view oldText, const int (&portKinds)[kPortCount],
                                 std::optional<std::string_view> driverDir);

}  // namespace lesamo::test
