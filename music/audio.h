// The show's music mixed in this process on demand rather than by a child in real time: the
// capture program asks for the samples each video frame lasts, the web page for the blocks its
// AudioWorklet plays. The same player settings as the music child, so it sounds the same.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int AUDIO_RATE = 44100;
constexpr int AUDIO_CHANNELS = 2; // 16-bit stereo, like the real programs' usual answer
constexpr size_t AUDIO_FRAME_BYTES = sizeof(int16_t) * AUDIO_CHANNELS;

// The player's levels (volumes, stereo separation, reverb), one set for the music child, the
// capture and the browser, so the show sounds the same wherever it is mixed.
void audio_player_levels();
// Loads the module with the real programs' player settings; false with a message on standard
// error, headed by the program's name, when the library or the module cannot be had.
bool audio_open(const char* program, const char* module_path);
// Mixes the next frames (one frame: a left and a right sample) into out, or silence once
// the song is over.
void audio_render(int16_t* out, size_t frames);
// Mixes and drops frames: the music runs on through a part of the show that is not written.
void audio_skip(size_t frames);
void audio_close();
