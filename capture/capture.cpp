#include "capture/capture.h"

#include "capture/capture_profile.h"
#include "engine3d/draw.h"
#include "engine3d/pipeline.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "platform/exit.h"
#include "platform/show.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <png.h>
#include <vector>

static CaptureSettings settings;
static uint8_t capture_palette[768];
static std::vector<uint8_t> rgb;
static int segment;
static int frame_in_segment;
static bool stopped_on_request;
static bool show_finished;

void capture_configure(const CaptureSettings& s)
{
    settings = s;
}

// The caller says what failed; libpng's own words would be a second message.
static void capture_png_error(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

bool capture_write_png(const char* path, const uint8_t* data, int width, int height)
{
    FILE* f = std::fopen(path, "wb");
    if (f == nullptr) return false;
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, capture_png_error, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        const int error = errno;
        png_destroy_write_struct(&png, info ? &info : nullptr);
        std::fclose(f);
        errno = error;
        return false;
    }
    png_init_io(png, f);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < height; y++)
        png_write_row(png, const_cast<uint8_t*>(data) + size_t(y) * width * 3);
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return std::fclose(f) == 0;
}

void display_open(int, char**, const char*, int width, int height)
{
    rgb.assign(size_t(width) * height * 3, 0);
    segment = 0;
    frame_in_segment = 0;
    if (media_wanted(settings.media) && !media_open(settings.media, CAPTURE_MUSIC_PATH)) {
        settings.media = {};
        demo_exit(1);
    }
}

void display_set_palette(const uint8_t* palette)
{
    std::memcpy(capture_palette, palette, 768);
}

static void capture_save_png(const Image* frame)
{
    const int s = settings.scale == 2 ? 2 : 1;
    const int w = int(frame->width) * s, h = int(frame->height) * s;
    std::vector<uint8_t> big;
    const uint8_t* data = rgb.data();
    if (s == 2) {
        big.resize(size_t(w) * h * 3);
        for (int y = 0; y < h; y++)
            for (int x = 0; x < w; x++)
                std::memcpy(&big[(size_t(y) * w + x) * 3],
                            &rgb[(size_t(y / 2) * frame->width + x / 2) * 3], 3);
        data = big.data();
    }
    char path[4096];
    std::snprintf(path, sizeof path, "%s/s%02d-f%04d.png", settings.png_dir.c_str(), segment,
                  frame_in_segment);
    // The next frame would fail the same way: the first failure ends the run.
    if (!capture_write_png(path, data, w, h)) {
        std::fprintf(stderr, "vantor-capture: cannot write %s: %s\n", path, std::strerror(errno));
        demo_exit(1);
    }
}

// A reader that has gone (a closed pipe where SIGPIPE is ignored, for ffmpeg or by whoever
// started us) or a full disk ends the run, rather than the rest of the show going nowhere.
static void capture_check_results()
{
    if (!std::ferror(settings.results)) return;
    std::fprintf(stderr, "vantor-capture: cannot write to standard output: %s\n",
                 std::strerror(errno));
    demo_exit(1);
}

static void capture_count_holes(const Image* frame, bool print)
{
    const size_t n = size_t(frame->width) * frame->height;
    const uint8_t sentinel = uint8_t(settings.holes_sentinel);
    if (print) {
        std::fprintf(settings.results, "s%02d f%04d holes %zu dropped %lld\n", segment,
                     frame_in_segment,
                     size_t(std::count(frame->pixels, frame->pixels + n, sentinel)),
                     static_cast<long long>(render_list_dropped_faces() + draw_dropped_faces()));
        capture_check_results();
    }
    // Overwriting the driver's frame is this mode's whole point. Every frame is refilled, so a
    // segment's first frame counts as it does in a run of the whole show.
    std::fill(frame->pixels, frame->pixels + n, sentinel);
}

void display_present(const Image* frame)
{
    if (settings.profile) {
        // Nothing is converted: only the drawing is timed.
        profile_present_begin(segment);
        frame_in_segment++;
        profile_present_end();
        return;
    }
    const size_t n = size_t(frame->width) * frame->height;
    rgb.resize(n * 3);
    for (size_t i = 0; i < n; i++)
        std::memcpy(&rgb[i * 3], &capture_palette[frame->pixels[i] * 3], 3);

    const int last = settings.last_segment < 0 ? settings.only_segment : settings.last_segment;
    const bool wanted =
        settings.only_segment < 0 || (segment >= settings.only_segment && segment <= last);
    if (settings.print_times && wanted) {
        std::fprintf(settings.results, "s%02d f%04d %d ms %s\n", segment, frame_in_segment,
                     clock_now_ms(), demo_segment_name(segment));
        capture_check_results();
    }
    if (settings.print_hashes && wanted) {
        std::fprintf(settings.results, "s%02d f%04d %016llx\n", segment, frame_in_segment,
                     static_cast<unsigned long long>(demo_frame_hash(rgb.data(), n, 3)));
        capture_check_results();
    }
    if (media_wanted(settings.media) &&
        !media_frame(rgb.data(), int(frame->width), int(frame->height), clock_now_ms(), wanted))
        demo_exit(1);
    const int every = settings.every > 0 ? settings.every : 1;
    if (!settings.png_dir.empty() && wanted && frame_in_segment % every == 0)
        capture_save_png(frame);
    if (settings.holes_sentinel >= 0) capture_count_holes(frame, wanted);
    frame_in_segment++;
}

// Only the blank step waits for the retrace: it closes one segment of the sequence.
void display_wait_retrace()
{
    if (segment == settings.stop_after_segment) {
        stopped_on_request = true;
        demo_exit(0);
    }
    segment++;
    frame_in_segment = 0;
}

void capture_music_moment(const char* what)
{
    if (!settings.print_times) return;
    std::fprintf(settings.results, "music %s %d ms\n", what, clock_now_ms());
    capture_check_results();
}

void capture_show_finished()
{
    show_finished = true;
}

void display_close()
{
    if (settings.profile) {
        profile_report(settings.results, settings.profile == 2);
        settings.profile = 0;
        if (std::fflush(settings.results) != 0) capture_check_results();
    }
    if (!media_wanted(settings.media)) return;
    // A show cut short (the fatal path) leaves a video that is cut short too.
    const bool ok = media_close(clock_now_ms(), stopped_on_request || show_finished);
    settings.media = {};
    if (!ok) {
        std::fflush(stdout);
        std::exit(1);
    }
}
