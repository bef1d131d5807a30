#include "capture/capture_audio.h"

#include <algorithm>
#include <cstring>

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
