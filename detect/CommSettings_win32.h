// The field changes that the Win32 serial back end makes to DCB and COMMTIMEOUTS, kept pure so
// that a test can prove every other field and bit keeps the value the driver reported.
#pragma once

#include <windows.h>

#include "detect/SerialPort.h"

namespace lesamo {

/// Sets BaudRate, ByteSize, Parity, StopBits and fParity; every other field keeps its value,
/// so flow control and the DTR and RTS control modes stay as the port has them.
inline void ApplyLineSettings(DCB& dcb, const LineSettings& settings)
{
    dcb.BaudRate = settings.baudRate;
    dcb.ByteSize = static_cast<BYTE>(settings.byteSize);
    dcb.Parity = settings.parity == Parity::Even ? EVENPARITY : NOPARITY;
    dcb.StopBits = settings.stopBits == StopBits::Two ? TWOSTOPBITS : ONESTOPBIT;
    dcb.fParity = settings.parityCheck ? TRUE : FALSE;
}

/// Sets the three read time-outs; the write time-outs keep their values.
inline void ApplyReadTimeouts(COMMTIMEOUTS& timeouts, const ReadTimeouts& read)
{
    timeouts.ReadIntervalTimeout = read.intervalMs;
    timeouts.ReadTotalTimeoutMultiplier = read.totalMultiplierMs;
    timeouts.ReadTotalTimeoutConstant = read.totalConstantMs;
}

}  // namespace lesamo
