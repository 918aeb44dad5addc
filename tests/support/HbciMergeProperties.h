// What every merge of hbcikrnl.ini must keep, whatever the old file held: checked by the unit
// tests over generated files and by the fuzzer over arbitrary bytes.
#pragma once

#include <optional>
#include <random>
#include <string>
#include <string_view>

#include "common/ReaderTypes.h"

namespace lesamo::test {

/// Merges `oldText` and checks the result: its first section is [CardReader] and it ends with
/// one line end; a UTF-8 byte-order mark stays exactly when the old text does; merging it
/// again changes nothing; every line of other programs survives byte for byte, with its own
/// line end and in order (apart from a value read as "Active" turned "Installed", the blank
/// space trimmed at the start and end of the file, and what the header rule and the first zero
/// byte drop); the program's own lines are exactly the key lines right behind the header and
/// one section per reader kind for its lowest port; exactly one value reads "Active" when a
/// reader was added. Lines, headers, names and values count as the profile API reads them.
/// Returns "" or what was broken.
std::string CheckMergeProperties(std::string_view oldText, const int (&portKinds)[kPortCount],
                                 std::optional<std::string_view> driverDir);

/// A hbcikrnl.ini as other programs, editors, earlier runs and accidents may leave it: the
/// program's own material, other readers, headers and key lines behind white space or in
/// another letter case, CR-only line ends, quoted values, brackets that open no section,
/// markers inside other lines, stray bytes.
std::string GenerateOldHbciText(std::mt19937& random);

}  // namespace lesamo::test
