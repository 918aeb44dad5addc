// A speed of a line's own (termios2 with BOTHER), as a program before ours may leave it: the
// kernel's structure cannot share a translation unit with <termios.h>, hence these two calls.
#pragma once

namespace lesamo::test {

/// Sets the tty `fd` to `baud` in both directions as a speed of its own; false when refused.
bool SetOwnSpeed(int fd, unsigned baud);

/// The output speed termios2 reports for the tty `fd`, 0 when it cannot be read.
unsigned OwnSpeed(int fd);

}  // namespace lesamo::test
