#include "platform/clock.h"

#include <gtest/gtest.h>

namespace {

TEST(ClockSleepPart, WholeTensBelowTheRemainingTime)
{
    EXPECT_EQ(clock_sleep_part(9), 0);
    EXPECT_EQ(clock_sleep_part(10), 0);
    EXPECT_EQ(clock_sleep_part(11), 10);
    // A whole period left is not slept through: the boundary is polled for.
    EXPECT_EQ(clock_sleep_part(70), 60);
    EXPECT_EQ(clock_sleep_part(1234), 1230);
    EXPECT_EQ(clock_sleep_part(0), 0);
    EXPECT_EQ(clock_sleep_part(-25), 0);
}

TEST(VirtualClock, WaitFrameMovesToTheFrameBoundary)
{
    clock_restart();
    const int32_t start = clock_now_ms();
    EXPECT_EQ(wait_frame(start, 70), 0);
    EXPECT_EQ(clock_now_ms(), start + 70);
    EXPECT_EQ(clock_elapsed_ms(), 70);
    // A frame that started long ago does not pull the clock back.
    wait_frame(start, 20);
    EXPECT_EQ(clock_now_ms(), start + 70);
    clock_restart();
    EXPECT_EQ(clock_elapsed_ms(), 0);
}

} // namespace
