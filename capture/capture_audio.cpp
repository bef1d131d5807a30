#include "capture/capture_audio.h"

#include <algorithm>
#include <cstring>
#include <mikmod.h>
#include <vector>

static MODULE* audio_module;
static bool audio_library_open;

// The player checks for the song's end this often, as the music child does per update.
constexpr size_t AUDIO_CHUNK_FRAMES = 1024;
constexpr size_t AUDIO_FRAME_BYTES = sizeof(int16_t) * AUDIO_CHANNELS;

bool audio_open(const char* module_path)
{
    // The silent driver only sets up the software mixer; its own update, which would throw
    // the mixed bytes away, is never called: the mixer is asked for exactly the samples that
    // each video frame lasts.
    MikMod_RegisterLoader(&load_xm);
    MikMod_RegisterDriver(&drv_nos);
    md_device = UWORD(MikMod_DriverFromAlias("nosound"));
    md_mixfreq = AUDIO_RATE;
    md_mode = DMODE_SOFT_MUSIC | DMODE_STEREO | DMODE_16BITS;
    // The real programs' levels, so the video sounds like the show.
    md_volume = 96;
    md_musicvolume = 128;
    md_sndfxvolume = 128;
    md_pansep = 128;
    md_reverb = 0;
    if (MikMod_Init("") != 0) {
        std::fprintf(stderr, "vantor-capture: the sound library did not start: %s\n",
                     MikMod_strerror(MikMod_errno));
        return false;
    }
    audio_library_open = true;
    audio_module = Player_Load(module_path, 64, 0);
    if (audio_module == nullptr) {
        std::fprintf(stderr, "vantor-capture: cannot load the music %s: %s\n", module_path,
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

static void wav_put32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; i++) p[i] = uint8_t(v >> (8 * i));
}

// The canonical 44-byte header of 16-bit PCM.
static void wav_header(uint8_t header[44], uint64_t data_bytes)
{
    const uint32_t data = uint32_t(std::min<uint64_t>(data_bytes, 0xffffffffu - 36));
    std::memcpy(header, "RIFF\0\0\0\0WAVEfmt \x10\0\0\0\x01\0", 22);
    wav_put32(header + 4, 36 + data);
    header[22] = AUDIO_CHANNELS;
    header[23] = 0;
    wav_put32(header + 24, AUDIO_RATE);
    wav_put32(header + 28, AUDIO_RATE * AUDIO_FRAME_BYTES);
    header[32] = AUDIO_FRAME_BYTES;
    header[33] = 0;
    header[34] = 16;
    header[35] = 0;
    std::memcpy(header + 36, "data", 4);
    wav_put32(header + 40, data);
}

bool wav_open(WavFile* wav, const char* path)
{
    wav->data_bytes = 0;
    // Not handed on to the encoder child ("e": close on exec).
    wav->file = std::fopen(path, "wbe");
    if (wav->file == nullptr) return false;
    uint8_t header[44];
    wav_header(header, 0);
    if (std::fwrite(header, sizeof header, 1, wav->file) != 1) {
        std::fclose(wav->file);
        wav->file = nullptr;
        return false;
    }
    return true;
}

bool wav_write(WavFile* wav, const int16_t* samples, size_t frames)
{
    if (wav->file == nullptr) return false;
    // The file is little-endian, like the machines this runs on.
    static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__);
    if (frames == 0) return true;
    if (std::fwrite(samples, AUDIO_FRAME_BYTES, frames, wav->file) != frames) return false;
    wav->data_bytes += frames * AUDIO_FRAME_BYTES;
    return true;
}

bool wav_close(WavFile* wav)
{
    if (wav->file == nullptr) return false;
    uint8_t header[44];
    wav_header(header, wav->data_bytes);
    bool ok = std::ferror(wav->file) == 0 && std::fseek(wav->file, 0, SEEK_SET) == 0 &&
              std::fwrite(header, sizeof header, 1, wav->file) == 1;
    ok = std::fclose(wav->file) == 0 && ok;
    wav->file = nullptr;
    return ok;
}
