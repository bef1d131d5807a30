// The real clock: CLOCK_MONOTONIC in milliseconds, so that setting the system time can
// neither stall nor skip a scene.
#include "platform/clock.h"

#include "platform/frame_log.h"
#include "platform/signals.h"

#include <cstdlib>
#include <ctime>

static int32_t scene_start;

int32_t clock_now_ms()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    // Unsigned so that the wrap is defined; the cast back keeps the low 32 bits.
    return int32_t(uint32_t(ts.tv_sec) * 1000u + uint32_t(ts.tv_nsec / 1000000));
}

void clock_restart()
{
    scene_start = clock_now_ms();
}

int32_t clock_elapsed_ms()
{
    return int32_t(uint32_t(clock_now_ms()) - uint32_t(scene_start));
}

int wait_frame(int32_t frame_start, int32_t period)
{
    // Frame boundaries are where a terminating signal ends the show cleanly.
    demo_signals_check();
    const int32_t since = int32_t(uint32_t(clock_now_ms()) - uint32_t(frame_start));
    const int32_t sleep_ms = clock_sleep_part(period - since);
    if (sleep_ms > 0) {
        // Sleep most of the way; an interrupted sleep simply ends early.
        const timespec ts{sleep_ms / 1000, long(sleep_ms % 1000) * 1000000L};
        nanosleep(&ts, nullptr);
    }
    // Poll the last few milliseconds to meet the frame boundary exactly.
    while (int32_t(uint32_t(clock_now_ms()) - uint32_t(frame_start)) < period) {
    }
    frame_log_frame_start(period);
    return 0;
}

void seed_random()
{
    const time_t now = time(nullptr);
    const tm* t = gmtime(&now);
    srand(unsigned((t->tm_min + 1) * t->tm_sec * (t->tm_hour + 1)));
}
