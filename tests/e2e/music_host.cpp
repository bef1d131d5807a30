// music_host MODULE SECONDS: the demo's parent without a display. It asks the sound
// questions, starts the music child, then runs frames on the real clock for SECONDS and
// shuts down as the show does; signals take the same path as in the programs.
#include "platform/clock.h"
#include "platform/music.h"
#include "platform/signals.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s MODULE SECONDS\n", argv[0]);
        return 2;
    }
    demo_signals_install();
    sound_setup();
    music_load(argv[1]);
    music_start();
    std::printf("music started\n");
    std::fflush(stdout);
    const int32_t end = clock_now_ms() + std::atoi(argv[2]) * 1000;
    while (clock_now_ms() - end < 0) wait_frame(clock_now_ms(), 50);
    music_stop();
    sound_shutdown();
    return 0;
}
