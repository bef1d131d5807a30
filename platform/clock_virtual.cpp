// Simulated time for the capture program and the tests: it stands still while a frame is
// drawn and wait_frame moves it to the next frame boundary, so every run shows the same
// frames with the same pixels.
#include "platform/clock.h"

#include <cstdlib>

static int32_t virtual_now;
static int32_t scene_start;

int32_t clock_now_ms()
{
    return virtual_now;
}

void clock_restart()
{
    scene_start = virtual_now;
}

int32_t clock_elapsed_ms()
{
    return int32_t(uint32_t(virtual_now) - uint32_t(scene_start));
}

int wait_frame(int32_t frame_start, int32_t period)
{
    const int32_t target = int32_t(uint32_t(frame_start) + uint32_t(period));
    // A frame that already took longer than its period starts the next one at once.
    if (int32_t(uint32_t(target) - uint32_t(virtual_now)) > 0) virtual_now = target;
    return 0;
}

void seed_random()
{
    srand(1);
}
