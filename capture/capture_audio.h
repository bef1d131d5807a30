// The show's music for the headless capture: the module mixed by libmikmod in this process,
// sample by sample on demand instead of in real time, and a WAV writer for the result.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

constexpr int AUDIO_RATE = 44100;
constexpr int AUDIO_CHANNELS = 2; // 16-bit stereo, like the real programs' usual answer

// Loads the module with the real programs' player settings; false with a message on standard
// error when the library or the module cannot be had.
bool audio_open(const char* module_path);
// Mixes the next frames (one frame: a left and a right sample) into out, or silence once
// the song is over.
void audio_render(int16_t* out, size_t frames);
// Mixes and drops frames: the music runs on through a part of the show that is not written.
void audio_skip(size_t frames);
void audio_close();

// A 16-bit stereo WAV file at AUDIO_RATE whose sizes are written by wav_close.
struct WavFile {
    FILE* file = nullptr;
    uint64_t data_bytes = 0;
};
bool wav_open(WavFile* wav, const char* path);
bool wav_write(WavFile* wav, const int16_t* samples, size_t frames);
// Writes the header's sizes and closes; false when anything failed on the way.
bool wav_close(WavFile* wav);
