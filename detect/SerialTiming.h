// How long the termios back end waits for a read: the Win32 read time-outs, worked out on
// clock readings that the caller takes.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>

#include "detect/SerialPort.h"

namespace lesamo {

/// The monotonic clock the waits are measured on. The back end reads it (WaitClock_posix.h);
/// the rules here only compare readings, so the tests can make them up.
struct WaitClock {
    using duration = std::chrono::nanoseconds;
    using rep = duration::rep;
    using period = duration::period;
    using time_point = std::chrono::time_point<WaitClock>;
    static constexpr bool is_steady = true;  // NOLINT(readability-identifier-naming): the name clocks must have
};

/// One read of `size` bytes under the Win32 read time-outs: it ends when all bytes have come,
/// when more than the interval passes after the last byte, or when the total time is up.
class ReadTimer {
public:
    ReadTimer(const ReadTimeouts& timeouts, std::size_t size, WaitClock::time_point start);

    /// Bytes came at `now`; the interval counts from there.
    void BytesArrived(WaitClock::time_point now);

    /// How much longer the read may wait for more at `now`: nothing while no time-out applies
    /// (it then waits for all `size` bytes), zero or less when the read is over.
    std::optional<WaitClock::duration> WaitLeft(WaitClock::time_point now) const;

private:
    bool m_hasTotal;
    WaitClock::time_point m_totalEnd;
    WaitClock::duration m_interval;
    bool m_anyBytes = false;
    WaitClock::time_point m_lastBytes{};
};

}  // namespace lesamo
