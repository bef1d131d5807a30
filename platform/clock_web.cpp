// The browser's clock. Time is the page's show clock, which stands still while the tab is
// hidden. A frame wait gives the browser its turn: ASYNCIFY unwinds the scene's loop into the
// page and rewinds it when the page ends the wait, so the scenes' loops stay as they are.
// The page's check run (index.html?check) asks for simulated time instead, kept exactly as
// clock_virtual.cpp keeps it, so its frames are the capture's.
#include "platform/clock.h"

#include <cstdlib>
#include <emscripten.h>

EM_JS(int, clock_web_simulated, (), { return Module.vantor.simulated ? 1 : 0; });
EM_JS(double, clock_web_now, (), { return Module.vantor.now(); });
// As emscripten_sleep, but the page says when the wait is over: a hidden tab holds it until the
// tab is shown again.
EM_JS(void, clock_web_sleep, (int ms), {
    Asyncify.handleSleep(function(wake) {
        Module.vantor.sleep(ms).then(function() { callUserCallback(wake); });
    });
});
// For the page's figures: how late the frame's boundary was already when its wait began.
EM_JS(void, clock_web_frame_start, (int period, int late),
      { Module.vantor.frameStart(period, late); });

// Simulated time gives the browser a turn this often (real milliseconds), so the page stays
// alive and prints as it goes.
constexpr double CLOCK_WEB_YIELD_MS = 50;

static int32_t scene_start;
static int32_t simulated_now;
static double last_yield;

static bool clock_web_is_simulated()
{
    static const bool simulated = clock_web_simulated() != 0;
    return simulated;
}

int32_t clock_now_ms()
{
    if (clock_web_is_simulated()) return simulated_now;
    return int32_t(int64_t(clock_web_now()));
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
    const int32_t target = int32_t(uint32_t(frame_start) + uint32_t(period));
    if (clock_web_is_simulated()) {
        // A frame that already took longer than its period starts the next one at once.
        if (int32_t(uint32_t(target) - uint32_t(simulated_now)) > 0) simulated_now = target;
        if (emscripten_get_now() - last_yield >= CLOCK_WEB_YIELD_MS) {
            clock_web_sleep(0);
            last_yield = emscripten_get_now();
        }
        return 0;
    }
    const int32_t late = int32_t(uint32_t(clock_now_ms()) - uint32_t(target));
    // The page's timers are coarse and a hidden tab ends the wait only when shown again:
    // wait again for whatever is left.
    for (int32_t left = -late; left > 0;
         left = int32_t(uint32_t(target) - uint32_t(clock_now_ms())))
        clock_web_sleep(left);
    clock_web_frame_start(period, late);
    return 0;
}

void seed_random()
{
    // Simulated time plays the module's noise as the capture does.
    srand(clock_web_is_simulated() ? 1u : unsigned(emscripten_get_now()));
}
