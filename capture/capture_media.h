// The show as a video with its music, and the music alone as a WAV file. Every presented frame
// lasts until the next present on the virtual clock; the frames that were asked for are laid
// end to end, each once with its time and length in milliseconds, with exactly the samples of
// the music that the same stretch of the show plays.
#pragma once

#include <cstdint>
#include <string>

struct MediaSettings {
    std::string video_path; // .mkv or .mp4; empty: no video
    int video_scale = 3;    // screen pixels per frame pixel, nearest neighbour
    std::string wav_path;   // empty: no WAV
};

bool media_wanted(const MediaSettings& settings);
// Loads the music and starts the encoder; false with a message on standard error.
bool media_open(const MediaSettings& settings, const char* module_path);
// The show's music starts now (the point where the real programs start their music child).
void media_music_start(int32_t now_ms);
// A frame of width x height RGB bytes presented at now_ms; only wanted frames are written.
// false once writing has failed (the message is on standard error).
bool media_frame(const uint8_t* rgb, int width, int height, int32_t now_ms, bool wanted);
// Writes the last frame up to now_ms and finishes the files; true when all went well. A show
// that did not reach its planned end (complete false) leaves incomplete files: a failure.
bool media_close(int32_t now_ms, bool complete);

// Samples from the start of the video to t milliseconds into it: the count of all frames so
// far, which keeps the sound in step with the frames to the end.
constexpr int64_t media_samples_at(int64_t t_ms, int rate)
{
    return t_ms * rate / 1000;
}
