// The wait clock on POSIX: its readings are CLOCK_MONOTONIC's, the clock that clock_nanosleep
// is given the pause deadlines on, and its timespecs are split as the system calls want them.
#include <gtest/gtest.h>

#include <time.h>

#include <chrono>

#include "detect/WaitClock_posix.h"

namespace lesamo::test {
namespace {

using namespace std::chrono_literals;

long long Nanoseconds(const timespec& t)
{
    return static_cast<long long>(t.tv_sec) * 1000000000LL + t.tv_nsec;
}

TEST(WaitClock, ReadsTheMonotonicClock)
{
    timespec before{};
    timespec after{};
    ::clock_gettime(CLOCK_MONOTONIC, &before);
    const WaitClock::time_point now = WaitClockNow();
    ::clock_gettime(CLOCK_MONOTONIC, &after);
    EXPECT_LE(Nanoseconds(before), now.time_since_epoch().count());
    EXPECT_GE(Nanoseconds(after), now.time_since_epoch().count());
}

TEST(WaitClock, TimespecSplitsSecondsAndNanoseconds)
{
    const timespec t = ToTimespec(12s + 345ms + 6ns);
    EXPECT_EQ(12, t.tv_sec);
    EXPECT_EQ(345000006L, t.tv_nsec);
    const timespec shortWait = ToTimespec(999999999ns);
    EXPECT_EQ(0, shortWait.tv_sec);
    EXPECT_EQ(999999999L, shortWait.tv_nsec);
}

}  // namespace
}  // namespace lesamo::test
