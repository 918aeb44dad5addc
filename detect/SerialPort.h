// The serial seam: what a reader probe needs from a serial line, nothing more.
// SerialPort_win32.cpp and SerialPort_posix.cpp implement it; tests use a scripted fake.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>

namespace lesamo {

enum class ControlLine { Dtr, Rts };
enum class Parity { None, Even };
enum class StopBits { One, Two };

/// The probe's line settings. A back end changes exactly these and keeps everything else
/// (hardware handshaking, the DTR and RTS control modes) as the port has it; the termios back
/// end also turns software flow control off while it holds the line.
struct LineSettings {
    unsigned baudRate;
    unsigned byteSize;  // data bits
    Parity parity;
    StopBits stopBits;
    bool parityCheck;  // the DCB's fParity
};

/// Read time-outs with the Win32 meaning: a read ends when the requested bytes have come,
/// when more than `intervalMs` pass between two bytes, or after
/// `totalMultiplierMs` * requested + `totalConstantMs` in all.
struct ReadTimeouts {
    unsigned intervalMs;
    unsigned totalMultiplierMs;
    unsigned totalConstantMs;
};

struct SerialPort {
    virtual ~SerialPort() = default;  // closes the line
    virtual void Configure(const LineSettings& settings) = 0;
    /// Raises (on) or lowers DTR or RTS; one change at a time, failures ignored.
    virtual void SetLine(ControlLine line, bool on) = 0;
    /// Blocks for `time`, not interruptible.
    virtual void Pause(std::chrono::milliseconds time) = 0;
    virtual void SetReadTimeouts(const ReadTimeouts& timeouts) = 0;
    /// Reads at most `size` bytes under the read time-outs; 0 when the read fails.
    /// Bytes that arrived since the port was opened come first.
    virtual std::size_t Read(char* buffer, std::size_t size) = 0;
    /// Discards whatever is still in the receive buffer.
    virtual void DiscardInput() = 0;
};

struct PortOpener {
    virtual ~PortOpener() = default;
    /// Opens `name` ("com1" to "com4") exclusively; nullptr when it is missing, in use or
    /// no serial line. Costs no wait.
    virtual std::unique_ptr<SerialPort> Open(const std::string& name) = 0;
    /// Bracket one whole scan (Windows raises the timer resolution for its duration).
    virtual void ScanStarting() {}
    virtual void ScanFinished() {}
};

/// The platform's serial ports; defined in SerialPort_win32.cpp or SerialPort_posix.cpp.
PortOpener& SystemPorts();

}  // namespace lesamo
