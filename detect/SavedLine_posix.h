// A serial line's settings as the kernel keeps them, saved before a probe and put back after
// it: through termios2, which also holds a speed of the line's own (BOTHER, e.g. 250000 baud)
// that struct termios cannot carry.
#pragma once

#include <cstddef>

namespace lesamo {

struct SavedLine {
    alignas(8) unsigned char state[64];  // the kernel's struct termios2
};

/// Saves the settings of the tty `fd`; false when it is no tty.
bool SaveLine(int fd, SavedLine& line);

/// Puts the settings back, all of them, speed included. Async-signal-safe (one ioctl).
void RestoreLine(int fd, const SavedLine& line) noexcept;

}  // namespace lesamo
