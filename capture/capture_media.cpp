#include "capture/capture_media.h"

#include "capture/capture_audio.h"
#include "capture/capture_ffmpeg.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>
#include <vector>

// The frame every scene draws into; the video is made of it.
constexpr int MEDIA_WIDTH = 320, MEDIA_HEIGHT = 240;

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
        const FfmpegJob job{s.video_path, MEDIA_WIDTH, MEDIA_HEIGHT, s.video_scale, AUDIO_RATE};
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
    const int64_t video_start = video_ms;
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
    if (pending_width != MEDIA_WIDTH || pending_height != MEDIA_HEIGHT) {
        std::fprintf(stderr, "vantor-capture: a %dx%d frame cannot go into the %dx%d video\n",
                     pending_width, pending_height, MEDIA_WIDTH, MEDIA_HEIGHT);
        return false;
    }
    const size_t sample_bytes = samples.size() * sizeof(int16_t);
    if (!ffmpeg_write(pending.data(), video_start, length, samples.data(), sample_bytes))
        return false;
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
