// How long the termios back end waits for a read, on made-up clock readings: the Win32 read
// time-outs.
#include <gtest/gtest.h>

#include <chrono>
#include <optional>

#include "detect/SerialTiming.h"

namespace lesamo::test {
namespace {

using namespace std::chrono_literals;

constexpr WaitClock::time_point kStart{1000s};

WaitClock::time_point At(std::chrono::milliseconds sinceStart)
{
    return kStart + sinceStart;
}

TEST(ReadTimer, WithoutTimeOutsWaitsForEveryByte)
{
    ReadTimer timer({0, 0, 0}, 10, kStart);
    EXPECT_EQ(std::nullopt, timer.WaitLeft(At(5s)));
    timer.BytesArrived(At(6s));
    EXPECT_EQ(std::nullopt, timer.WaitLeft(At(7s)));
}

TEST(ReadTimer, TotalTimeIsMultiplierTimesSizePlusConstant)
{
    ReadTimer timer({0, 2, 7}, 100, kStart);  // 207 ms
    EXPECT_EQ(std::optional(WaitClock::duration(207ms)), timer.WaitLeft(kStart));
    EXPECT_EQ(std::optional(WaitClock::duration(7ms)), timer.WaitLeft(At(200ms)));
    EXPECT_EQ(std::optional(WaitClock::duration(-3ms)), timer.WaitLeft(At(210ms)));
}

TEST(ReadTimer, IntervalStartsWithTheFirstByteAndCountsFromTheLast)
{
    ReadTimer timer({30, 0, 0}, 100, kStart);
    EXPECT_EQ(std::nullopt, timer.WaitLeft(At(500ms)));  // nothing came yet: no limit
    timer.BytesArrived(At(510ms));
    EXPECT_EQ(std::optional(WaitClock::duration(20ms)), timer.WaitLeft(At(520ms)));
    timer.BytesArrived(At(530ms));
    EXPECT_EQ(std::optional(WaitClock::duration(25ms)), timer.WaitLeft(At(535ms)));
    EXPECT_EQ(std::optional(WaitClock::duration(0ms)), timer.WaitLeft(At(560ms)));
}

TEST(ReadTimer, TheSoonerOfIntervalAndTotalEndsTheRead)
{
    ReadTimer timer({30, 1, 1}, 100, kStart);  // the probes' reply read: 101 ms in all
    timer.BytesArrived(At(10ms));
    EXPECT_EQ(std::optional(WaitClock::duration(25ms)), timer.WaitLeft(At(15ms)));  // interval
    timer.BytesArrived(At(90ms));
    EXPECT_EQ(std::optional(WaitClock::duration(6ms)), timer.WaitLeft(At(95ms)));  // total
}

}  // namespace
}  // namespace lesamo::test
