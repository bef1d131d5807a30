// The video encoder: Debian's ffmpeg as a child process, started with an argument vector,
// reading the frames from one pipe and 16-bit stereo samples from another. Each distinct frame
// goes over once, at the frame's own size and with its time on the show's clock, in a minimal
// Matroska stream; the encoder repeats the pixels and holds the frame until the next one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct FfmpegJob {
    std::string path;          // .mkv or .mp4
    int width = 0, height = 0; // the frames as they are sent
    int scale = 1;             // screen pixels per frame pixel in the video
    int sample_rate = 0;
};

// Starts the encoder; false with a message on standard error (ffmpeg missing, no pipes).
bool ffmpeg_start(const FfmpegJob& job);
// One frame of width x height RGB bytes, shown from start_ms (since the start of the video)
// for length_ms, and the samples that go with it. Frames come in order, each starting where
// the last one ended. The samples are queued and written whenever the encoder reads them, so
// neither pipe can block the other. false once the encoder has gone (its own message is on
// standard error).
bool ffmpeg_write(const uint8_t* rgb, int64_t start_ms, int64_t length_ms, const int16_t* samples,
                  size_t sample_bytes);
// Hands over the rest, closes the pipes and waits for the encoder; true when it finished
// the file. Safe to call when nothing was started or after a failure.
bool ffmpeg_finish();
