// The browser's music. The module is loaded into libmikmod here, in the page's own thread;
// when the sequence starts the music the page begins to mix blocks through web_music_mix and
// feeds them to its AudioWorklet, a quarter of a second ahead, and when the sequence stops it
// the worklet falls silent. The page keeps the music to the show's clock (web/index.html).
// A browser has no terminal to ask on and no signals to answer: the start screen's sound
// choice stands for the questions, and the signal seam does nothing.
#include "music/audio.h"
#include "platform/music.h"
#include "platform/signals.h"

#include <emscripten.h>

EM_JS(void, music_web_start, (), { Module.vantor.musicStart(); });
EM_JS(void, music_web_stop, (), { Module.vantor.musicStop(); });

static bool music_loaded;
static bool music_playing;

int sound_setup()
{
    return 0;
}

int music_load(const char* path)
{
    music_loaded = audio_open("vantor6", path);
    return music_loaded ? 0 : -1;
}

void music_start()
{
    if (!music_loaded || music_playing) return;
    music_playing = true;
    music_web_start();
}

void music_stop()
{
    if (!music_playing) return;
    music_playing = false;
    music_web_stop();
}

void sound_shutdown()
{
    music_stop();
    if (music_loaded) audio_close();
    music_loaded = false;
}

void music_tell_child_to_quit() {}

// Called by the page between the show's frames.
extern "C" EMSCRIPTEN_KEEPALIVE void web_music_mix(int16_t* out, int frames)
{
    if (frames > 0) audio_render(out, size_t(frames));
}

extern "C" EMSCRIPTEN_KEEPALIVE void web_music_skip(int frames)
{
    if (frames > 0) audio_skip(size_t(frames));
}

void demo_signals_install() {}
bool demo_signals_caught()
{
    return false;
}
void demo_signals_check() {}
void demo_signals_resend() {}
