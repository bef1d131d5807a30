// The video encoder: Debian's ffmpeg as a child process, started with an argument vector,
// reading raw RGB frames from one pipe and 16-bit stereo samples from another.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct FfmpegJob {
    std::string path; // .mkv or .mp4
    int width = 0, height = 0;
    int fps = 0;
    int sample_rate = 0;
};

// Starts the encoder; false with a message on standard error (ffmpeg missing, no pipes).
bool ffmpeg_start(const FfmpegJob& job);
// One frame of width x height RGB bytes, and the samples that go with it. The samples are
// queued and written whenever the encoder reads them, so neither pipe can block the other.
// false once the encoder has gone (its own message is on standard error).
bool ffmpeg_write(const uint8_t* rgb, size_t rgb_bytes, const int16_t* samples,
                  size_t sample_bytes);
// Hands over the rest, closes the pipes and waits for the encoder; true when it finished
// the file. Safe to call when nothing was started or after a failure.
bool ffmpeg_finish();
