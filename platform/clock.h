// Millisecond clock, the one scene clock, and frame pacing. Linked in one of two variants:
// clock_wall.cpp (the real monotonic clock) or clock_virtual.cpp (simulated time that only
// wait_frame advances, for the capture program and the tests).
#pragma once

#include <cstdint>

// Milliseconds; wraps with 32-bit arithmetic, so only differences mean anything.
int32_t clock_now_ms();
// The scene clock starts now.
void clock_restart();
int32_t clock_elapsed_ms();
// Returns 0 once frame_start + period has been reached.
int wait_frame(int32_t frame_start, int32_t period);
// Seeds the C library's generator from the time of day (the module player's noise).
void seed_random();

// Milliseconds to sleep before polling for the rest of a frame: whole tens strictly below the
// remaining time, none when that is 10 ms or less or already negative. Strictly: a frame drawn
// within its first millisecond leaves a whole period, often a multiple of ten, and a sleep that
// long would wake past the boundary by the sleep's own lateness instead of polling up to it.
constexpr int32_t clock_sleep_part(int32_t remaining)
{
    return remaining > 0 ? (remaining - 1) / 10 * 10 : 0;
}
