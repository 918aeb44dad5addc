// How long the termios back end waits for a read: the Win32 read time-outs.
#include "detect/SerialTiming.h"

#include <algorithm>

namespace lesamo {

namespace {

long long TotalMs(const ReadTimeouts& timeouts, std::size_t size)
{
    return static_cast<long long>(timeouts.totalMultiplierMs) * size + timeouts.totalConstantMs;
}

}  // namespace

ReadTimer::ReadTimer(const ReadTimeouts& timeouts, std::size_t size, WaitClock::time_point start)
    : m_hasTotal(TotalMs(timeouts, size) > 0), m_totalEnd(start + std::chrono::milliseconds(TotalMs(timeouts, size))),
      m_interval(std::chrono::milliseconds(timeouts.intervalMs))
{
}

void ReadTimer::BytesArrived(WaitClock::time_point now)
{
    m_anyBytes = true;
    m_lastBytes = now;
}

std::optional<WaitClock::duration> ReadTimer::WaitLeft(WaitClock::time_point now) const
{
    std::optional<WaitClock::duration> left;
    if (m_hasTotal)
        left = m_totalEnd - now;
    // The interval starts with the first byte: before it, only the total time limits a read.
    if (m_anyBytes && m_interval > WaitClock::duration::zero()) {
        const WaitClock::duration intervalLeft = m_lastBytes + m_interval - now;
        left = left ? std::min(*left, intervalLeft) : intervalLeft;
    }
    return left;
}

}  // namespace lesamo
