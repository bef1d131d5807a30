#include "capture/capture_media.h"

#include "capture/capture_audio.h"
#include "capture/capture_ffmpeg.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <vector>

static MediaSettings settings;
static bool video_on;
static bool wav_on;
static WavFile wav;

// The frame on screen since pending_ms; written once the next present says how long it stays.
static std::vector<uint8_t> pending;
static int pending_width, pending_height;
static int32_t pending_ms;
static bool pending_wanted;
static bool have_pending;

static int64_t video_ms; // length of the video written so far
static bool music_started;
static int32_t music_start_ms;
static int64_t music_position; // samples of the music mixed so far
static bool contiguous;        // the last frame written ended where the next one starts
static int32_t last_end_ms;

static std::vector<uint8_t> scaled;
static std::vector<int16_t> samples;
static int64_t progress_second = -1;
static bool written_any;

bool media_wanted(const MediaSettings& s)
{
    return !s.video_path.empty() || !s.wav_path.empty();
}

bool media_open(const MediaSettings& s, const char* module_path)
{
    settings = s;
    if (!audio_open("vantor-capture", module_path)) return false;
    if (!s.wav_path.empty()) {
        if (!wav_open(&wav, s.wav_path.c_str())) {
            std::fprintf(stderr, "vantor-capture: cannot write %s: %s\n", s.wav_path.c_str(),
                         std::strerror(errno));
            audio_close();
            return false;
        }
        wav_on = true;
    }
    if (!s.video_path.empty()) {
        const FfmpegJob job{s.video_path, 320 * s.video_scale, 240 * s.video_scale, MEDIA_FPS,
                            AUDIO_RATE};
        if (!ffmpeg_start(job)) {
            if (wav_on) wav_close(&wav);
            wav_on = false;
            audio_close();
            return false;
        }
        video_on = true;
    }
    return true;
}

void media_music_start(int32_t now_ms)
{
    if (music_started) return;
    music_started = true;
    music_start_ms = now_ms;
}

// Nearest neighbour: each pixel becomes a block of scale x scale, whole rows copied.
static void media_scale(const uint8_t* rgb, int width, int height, int scale)
{
    const size_t row = size_t(width) * scale * 3;
    scaled.resize(row * height * scale);
    for (int y = 0; y < height; y++) {
        uint8_t* out = &scaled[row * y * scale];
        const uint8_t* in = rgb + size_t(y) * width * 3;
        for (int x = 0; x < width; x++)
            for (int k = 0; k < scale; k++)
                std::memcpy(out + (size_t(x) * scale + k) * 3, in + x * 3, 3);
        for (int k = 1; k < scale; k++) std::memcpy(out + row * k, out, row);
    }
}

// The music for the show's stretch from start_ms: silence before the music starts; after a
// part that is not written, the music runs on to where the show would be.
static void media_mix(int32_t start_ms, size_t count)
{
    samples.assign(count * AUDIO_CHANNELS, 0);
    if (!music_started || start_ms < music_start_ms) return;
    if (!contiguous || start_ms != last_end_ms) {
        const int64_t target = media_samples_at(int64_t(start_ms) - music_start_ms, AUDIO_RATE);
        if (target > music_position) audio_skip(size_t(target - music_position));
        if (target > music_position) music_position = target;
    }
    audio_render(samples.data(), count);
    music_position += int64_t(count);
}

static void media_progress(bool last)
{
    if (!video_on) return;
    const int64_t second = video_ms / 1000;
    if (second == progress_second && !last) return;
    progress_second = second;
    std::fprintf(stderr, "\rvantor-capture: %s %lld:%02lld of video%s",
                 last ? "finishing the file after" : "encoding,",
                 static_cast<long long>(second / 60), static_cast<long long>(second % 60),
                 last ? "\n" : "");
    std::fflush(stderr);
}

// Writes the pending frame, which lasted until end_ms.
static bool media_flush_pending(int32_t end_ms)
{
    if (!have_pending) return true;
    have_pending = false;
    const int32_t start = pending_ms, length = end_ms - pending_ms;
    if (!pending_wanted || length <= 0) return true;
    const int64_t frames = media_frames_at(video_ms + length) - media_frames_at(video_ms);
    const int64_t count =
        media_samples_at(video_ms + length, AUDIO_RATE) - media_samples_at(video_ms, AUDIO_RATE);
    media_mix(start, size_t(count));
    contiguous = true;
    last_end_ms = end_ms;
    video_ms += length;
    written_any = true;

    if (wav_on && !wav_write(&wav, samples.data(), size_t(count))) {
        std::fprintf(stderr, "vantor-capture: cannot write %s\n", settings.wav_path.c_str());
        return false;
    }
    if (!video_on) return true;
    media_scale(pending.data(), pending_width, pending_height, settings.video_scale);
    const size_t sample_bytes = samples.size() * sizeof(int16_t);
    // The samples go with the first copy of the frame; a frame shorter than an output frame
    // still hands its samples over.
    if (!ffmpeg_write(frames > 0 ? scaled.data() : nullptr, frames > 0 ? scaled.size() : 0,
                      samples.data(), sample_bytes))
        return false;
    for (int64_t i = 1; i < frames; i++)
        if (!ffmpeg_write(scaled.data(), scaled.size(), nullptr, 0)) return false;
    media_progress(false);
    return true;
}

bool media_frame(const uint8_t* rgb, int width, int height, int32_t now_ms, bool wanted)
{
    if (!media_flush_pending(now_ms)) return false;
    if (!wanted) contiguous = false;
    pending.assign(rgb, rgb + size_t(width) * height * 3);
    pending_width = width;
    pending_height = height;
    pending_ms = now_ms;
    pending_wanted = wanted;
    have_pending = true;
    return true;
}

bool media_close(int32_t now_ms, bool complete)
{
    if (!video_on && !wav_on) return true;
    bool ok = media_flush_pending(now_ms);
    if (ok && !complete) {
        std::fprintf(stderr, "vantor-capture: the show ended early; the %s is incomplete\n",
                     video_on ? "video" : "sound");
        ok = false;
    } else if (ok && !written_any) {
        std::fprintf(stderr, "vantor-capture: no frame of the show was chosen for the %s\n",
                     video_on ? "video" : "sound");
        ok = false;
    }
    if (wav_on && !wav_close(&wav) && ok) {
        std::fprintf(stderr, "vantor-capture: cannot write %s\n", settings.wav_path.c_str());
        ok = false;
    }
    if (video_on) {
        media_progress(true);
        ok = ffmpeg_finish() && ok;
    }
    audio_close();
    video_on = wav_on = false;
    return ok;
}
