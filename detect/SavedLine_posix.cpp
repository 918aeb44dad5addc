// termios2 is the kernel's own structure, which <termios.h> does not know and cannot share a
// translation unit with: this file includes the kernel's header alone.
#include "detect/SavedLine_posix.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cstring>

namespace lesamo {

static_assert(sizeof(termios2) <= sizeof(SavedLine::state) && alignof(termios2) <= alignof(SavedLine));

bool SaveLine(int fd, SavedLine& line)
{
    termios2 settings{};
    if (::ioctl(fd, TCGETS2, &settings) != 0)
        return false;
    std::memcpy(line.state, &settings, sizeof settings);
    return true;
}

void RestoreLine(int fd, const SavedLine& line) noexcept
{
    termios2 settings;
    std::memcpy(&settings, line.state, sizeof settings);
    ::ioctl(fd, TCSETS2, &settings);
}

}  // namespace lesamo
