// termios2 through the kernel's own header, for the tests of a line's own speed.
#include "tests/support/LineSpeed_posix.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace lesamo::test {

bool SetOwnSpeed(int fd, unsigned baud)
{
    termios2 line{};
    if (::ioctl(fd, TCGETS2, &line) != 0)
        return false;
    line.c_cflag = (line.c_cflag & ~(CBAUD | (CBAUD << IBSHIFT))) | BOTHER | (BOTHER << IBSHIFT);
    line.c_ispeed = line.c_ospeed = baud;
    return ::ioctl(fd, TCSETS2, &line) == 0 && OwnSpeed(fd) == baud;
}

unsigned OwnSpeed(int fd)
{
    termios2 line{};
    return ::ioctl(fd, TCGETS2, &line) == 0 ? line.c_ospeed : 0;
}

}  // namespace lesamo::test
