// The capture's music: no questions, no child and no signal handlers of its own (the default
// actions end it). Where the sequence starts the music the video's sound begins, and its stop
// tells the capture that the show reached its end.
#include "capture/capture.h"
#include "platform/clock.h"
#include "platform/music.h"
#include "platform/signals.h"

int sound_setup()
{
    return 0;
}

int music_load(const char*)
{
    return 0;
}

void music_start()
{
    capture_music_moment("start");
    media_music_start(clock_now_ms());
}

void music_stop()
{
    capture_music_moment("stop");
    capture_show_finished();
}

void sound_shutdown() {}
void music_tell_child_to_quit() {}

void demo_signals_install() {}
bool demo_signals_caught()
{
    return false;
}
void demo_signals_check() {}
void demo_signals_resend() {}
