// The two options every program on Linux answers, --help and --version: at once, without a
// terminal and before anything else is looked at. One place for both Linux programs.
#pragma once

#include <optional>
#include <string_view>

namespace lesamo {

/// When `arg` is --help (or -h), prints `usage`; when it is --version, prints "PROGRAM
/// (Lesamo) VERSION" and the copyright and licence lines. Both go to standard output, and the
/// result is the exit status: 0, or 2 when standard output did not take the text. Any other
/// argument prints nothing and gives no status.
std::optional<int> AnswerStandardOption(std::string_view arg, const char* program, const char* usage);

}  // namespace lesamo
