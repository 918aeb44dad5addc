// The wait clock on POSIX: readings of CLOCK_MONOTONIC, and the timespec form in which
// ppoll and clock_nanosleep take a wait or a deadline.
#pragma once

#include <time.h>

#include "detect/SerialTiming.h"

namespace lesamo {

inline WaitClock::time_point WaitClockNow()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return WaitClock::time_point(std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec));
}

/// A wait, or a reading as the time since the clock's zero (for TIMER_ABSTIME); not negative.
inline timespec ToTimespec(WaitClock::duration time)
{
    return {static_cast<time_t>(time.count() / 1000000000), static_cast<long>(time.count() % 1000000000)};
}

}  // namespace lesamo
