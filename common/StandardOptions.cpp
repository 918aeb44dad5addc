#include "common/StandardOptions.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

namespace lesamo {

std::optional<int> AnswerStandardOption(std::string_view arg, const char* program, const char* usage)
{
    std::string text;
    if (arg == "--help" || arg == "-h")
        text = usage;
    else if (arg == "--version")
        // LESAMO_VERSION, LESAMO_COPYRIGHT and LESAMO_LICENSE_NAME: project(VERSION) and the
        // first two lines of LICENSE, given by common/CMakeLists.txt.
        text = std::string(program) + " (Lesamo) " LESAMO_VERSION "\n" LESAMO_COPYRIGHT "\n" LESAMO_LICENSE_NAME "\n";
    else
        return std::nullopt;
    // Output that cannot be written (a full disk, "--help >/dev/full") is a failure, not a
    // silent success: stdio reports it only when the buffer is flushed.
    if (std::fputs(text.c_str(), stdout) == EOF || std::fflush(stdout) != 0) {
        std::fprintf(stderr, "%s: cannot write to standard output: %s\n", program, std::strerror(errno));
        return 2;
    }
    return 0;
}

}  // namespace lesamo
