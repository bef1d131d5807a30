// vantor-capture: the show, headless and on simulated time, written out frame by frame.
#include "capture/capture.h"
#include "driver/demo.h"
#include "driver/options.h"
#include "platform/start_path.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

static void capture_usage(FILE* out, const char* program)
{
    std::fprintf(out,
                 "usage: %s [options]\n"
                 "  --data DIR      run in DIR, the show's data tree (default: here when it\n"
                 "                  holds one, else the installed show)\n"
                 "  --out DIR       write presented frames as PNG files into DIR\n"
                 "  --every N       only every N-th frame of a segment\n"
                 "  --segment S|A-B only the frames of segment S, or of segments A to B\n"
                 "                  (segments are counted by the blank steps before them)\n"
                 "  --scale 1|2     picture size 320x240 or 640x480\n"
                 "  --hash          print 'sSS fFFFF hash' for every presented frame\n"
                 "  --times         print 'sSS fFFFF MS ms SCENE' for every presented frame,\n"
                 "                  and when the music starts and stops, on the show's clock\n"
                 "  --stop-after S  end the run when segment S is over\n"
                 "  --holes C       print the pixels each frame left undrawn, refilling\n"
                 "                  the frame with colour index C (0-255) after each present\n"
                 "  --profile       print each scene's render times at the end (ms)\n"
                 "  --profile-json  the same as one JSON object\n"
                 "  --video FILE    write the show (or the chosen segments) with its music as\n"
                 "                  a video, FILE ending in .mkv or .mp4 (needs ffmpeg)\n"
                 "  --video-scale N screen pixels per frame pixel in the video, 1-8 (default 3:\n"
                 "                  960x720)\n"
                 "  --wav FILE      write the music of the same frames as a WAV file\n"
                 "  --help          this text\n"
                 "  --version       the program's version\n",
                 program);
}

// S, or A-B with A <= B.
static bool capture_segments_arg(const char* text, int* first, int* last)
{
    char* end;
    const long a = std::strtol(text, &end, 10);
    long b = a;
    if (end != text && *end == '-') {
        const char* second = end + 1;
        b = std::strtol(second, &end, 10);
        if (end == second) return false;
    }
    if (end == text || *end != 0 || a < 0 || b < a || b > 1000) return false;
    *first = int(a);
    *last = int(b);
    return true;
}

static bool capture_ends_with(const std::string& text, const char* suffix)
{
    const size_t n = std::strlen(suffix);
    return text.size() >= n && strcasecmp(text.c_str() + text.size() - n, suffix) == 0;
}

// Checks the combination of options; false with a message.
static bool capture_check(const CaptureSettings& s, const char* program)
{
    const std::string& video = s.media.video_path;
    if (!video.empty() && !capture_ends_with(video, ".mkv") && !capture_ends_with(video, ".mp4")) {
        std::fprintf(stderr, "%s: --video wants a file name ending in .mkv or .mp4\n", program);
        return false;
    }
    if (s.profile && media_wanted(s.media)) {
        std::fprintf(stderr, "%s: --profile cannot be combined with --video or --wav\n", program);
        return false;
    }
    return true;
}

// Makes the PNG folder and names it absolutely: the run changes into the data tree. false with
// a message when there is no folder to write into.
static bool capture_make_folder(std::string* dir)
{
    struct stat st;
    if (mkdir(dir->c_str(), 0777) != 0 && errno != EEXIST) {
        std::fprintf(stderr, "vantor-capture: cannot make the folder %s: %s\n", dir->c_str(),
                     std::strerror(errno));
        return false;
    }
    if (stat(dir->c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        std::fprintf(stderr, "vantor-capture: %s is not a folder\n", dir->c_str());
        return false;
    }
    if (char* full = realpath(dir->c_str(), nullptr)) {
        *dir = full;
        std::free(full);
    }
    return true;
}

// Standard output is kept for the results asked for (hashes, holes, the profile), so that a
// program can read them; everything the show itself prints goes to standard error instead.
static FILE* capture_results_stream()
{
    const int fd = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    FILE* results = fd >= 0 ? fdopen(fd, "w") : nullptr;
    if (results == nullptr) {
        if (fd >= 0) close(fd);
        return stdout;
    }
    dup2(STDERR_FILENO, STDOUT_FILENO);
    // A line at a time: a reader gets each frame's line as it comes, and a reader that has gone
    // is noticed at the next frame.
    std::setvbuf(results, nullptr, _IOLBF, 0);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    return results;
}

static bool capture_int_arg(const char* text, int minimum, int maximum, int* out)
{
    char* end;
    const long v = std::strtol(text, &end, 10);
    if (*text == 0 || *end != 0 || v < minimum || v > maximum) return false;
    *out = int(v);
    return true;
}

int main(int argc, char** argv)
{
    CaptureSettings s;
    const char* data_dir = nullptr;
    for (int i = 1; i < argc; i++) {
        const char* opt = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        bool ok = true;
        if (std::strcmp(opt, "--help") == 0) {
            capture_usage(stdout, argv[0]);
            return 0;
        }
        if (std::strcmp(opt, "--version") == 0) {
            demo_print_version(argv[0]);
            return 0;
        }
        if (std::strcmp(opt, "--hash") == 0) {
            s.print_hashes = true;
            continue;
        }
        if (std::strcmp(opt, "--times") == 0) {
            s.print_times = true;
            continue;
        }
        if (std::strcmp(opt, "--profile") == 0 || std::strcmp(opt, "--profile-json") == 0) {
            s.profile = std::strcmp(opt, "--profile") == 0 ? 1 : 2;
            continue;
        }
        if (value == nullptr)
            ok = false;
        else if (std::strcmp(opt, "--data") == 0)
            data_dir = value;
        else if (std::strcmp(opt, "--out") == 0)
            s.png_dir = value;
        else if (std::strcmp(opt, "--every") == 0)
            ok = capture_int_arg(value, 1, 1 << 20, &s.every);
        else if (std::strcmp(opt, "--segment") == 0)
            ok = capture_segments_arg(value, &s.only_segment, &s.last_segment);
        else if (std::strcmp(opt, "--scale") == 0)
            ok = capture_int_arg(value, 1, 2, &s.scale);
        else if (std::strcmp(opt, "--holes") == 0)
            ok = capture_int_arg(value, 0, 255, &s.holes_sentinel);
        else if (std::strcmp(opt, "--video") == 0)
            s.media.video_path = demo_start_path(value);
        else if (std::strcmp(opt, "--video-scale") == 0)
            ok = capture_int_arg(value, 1, 8, &s.media.video_scale);
        else if (std::strcmp(opt, "--wav") == 0)
            s.media.wav_path = demo_start_path(value);
        else if (std::strcmp(opt, "--stop-after") == 0)
            ok = capture_int_arg(value, 0, 1000, &s.stop_after_segment);
        else
            ok = false;
        if (!ok) {
            capture_usage(stderr, argv[0]);
            return 2;
        }
        i++;
    }
    if (!capture_check(s, argv[0])) return 2;
    if (!s.png_dir.empty() && !capture_make_folder(&s.png_dir)) return 1;
    if (!demo_enter_data(data_dir, argv[0])) return 2;
    s.results = capture_results_stream();
    capture_configure(s);
    return demo_run(1, argv);
}
