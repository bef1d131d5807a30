#include "music/audio.h"

#include <algorithm>
#include <cstdio>
#include <mikmod.h>
#include <vector>

static MODULE* audio_module;
static bool audio_library_open;

// The player checks for the song's end this often, as the music child does per update.
constexpr size_t AUDIO_CHUNK_FRAMES = 1024;

void audio_player_levels()
{
    md_volume = 96;
    md_musicvolume = 128;
    md_sndfxvolume = 128;
    md_pansep = 128;
    md_reverb = 0;
}

bool audio_open(const char* program, const char* module_path)
{
    // The silent driver only sets up the software mixer; its own update, which would throw
    // the mixed bytes away, is never called: the mixer is asked for exactly the samples that
    // the caller needs.
    MikMod_RegisterLoader(&load_xm);
    MikMod_RegisterDriver(&drv_nos);
    md_device = UWORD(MikMod_DriverFromAlias("nosound"));
    md_mixfreq = AUDIO_RATE;
    md_mode = DMODE_SOFT_MUSIC | DMODE_STEREO | DMODE_16BITS;
    audio_player_levels();
    if (MikMod_Init("") != 0) {
        std::fprintf(stderr, "%s: the sound library did not start: %s\n", program,
                     MikMod_strerror(MikMod_errno));
        return false;
    }
    audio_library_open = true;
    audio_module = Player_Load(module_path, 64, 0);
    if (audio_module == nullptr) {
        std::fprintf(stderr, "%s: cannot load the music %s: %s\n", program, module_path,
                     MikMod_strerror(MikMod_errno));
        audio_close();
        return false;
    }
    // As the music child plays it: once through, tempo and panning effects on.
    audio_module->extspd = 1;
    audio_module->panflag = 1;
    audio_module->loop = 0;
    audio_module->wrap = 0;
    Player_Start(audio_module);
    return true;
}

void audio_render(int16_t* out, size_t frames)
{
    while (frames > 0) {
        const size_t n = std::min(frames, AUDIO_CHUNK_FRAMES);
        size_t written = 0;
        if (audio_module != nullptr && Player_Active())
            written = VC_WriteBytes(reinterpret_cast<SBYTE*>(out), ULONG(n * AUDIO_FRAME_BYTES)) /
                      AUDIO_FRAME_BYTES;
        // The song has ended: the child would have stopped playing.
        std::fill(out + written * AUDIO_CHANNELS, out + n * AUDIO_CHANNELS, int16_t(0));
        out += n * AUDIO_CHANNELS;
        frames -= n;
    }
}

void audio_skip(size_t frames)
{
    std::vector<int16_t> scratch(AUDIO_CHUNK_FRAMES * AUDIO_CHANNELS);
    while (frames > 0 && audio_module != nullptr && Player_Active()) {
        const size_t n = std::min(frames, AUDIO_CHUNK_FRAMES);
        audio_render(scratch.data(), n);
        frames -= n;
    }
}

void audio_close()
{
    if (audio_module != nullptr) {
        Player_Stop();
        Player_Free(audio_module);
        audio_module = nullptr;
    }
    if (audio_library_open) MikMod_Exit();
    audio_library_open = false;
}
