// What the termios back end of the serial seam owes a program that ends by a signal: only
// POSIX leaves a dead process's line as the process had set it.
#pragma once

namespace lesamo {

/// For the handler of a signal that ends the program while a probe may hold a line: gives the
/// line back (its settings as they were, its exclusive use), async-signal-safely, so that the
/// next program finds it free. Windows frees a dead process's ports itself and needs no such
/// duty. Defined in SerialPort_posix.cpp.
void ReleaseHeldPortAfterSignal() noexcept;

}  // namespace lesamo
