// The capture's WAV file of the music that music/audio.h mixes.
#pragma once

#include "music/audio.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

// A 16-bit stereo WAV file at AUDIO_RATE whose sizes are written by wav_close.
struct WavFile {
    FILE* file = nullptr;
    uint64_t data_bytes = 0;
};
bool wav_open(WavFile* wav, const char* path);
bool wav_write(WavFile* wav, const int16_t* samples, size_t frames);
// Writes the header's sizes and closes; false when anything failed on the way.
bool wav_close(WavFile* wav);
