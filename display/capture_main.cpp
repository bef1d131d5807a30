// vantor-capture: the show, headless and on simulated time, written out frame by frame.
#include "display/capture.h"
#include "driver/demo.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

static void capture_usage(const char* program)
{
    std::fprintf(stderr,
                 "usage: %s [options]\n"
                 "  --data DIR      run in DIR, the show's data tree (default: here)\n"
                 "  --out DIR       write presented frames as PNG files into DIR\n"
                 "  --every N       only every N-th frame of a segment\n"
                 "  --segment S     only the frames of segment S (segments are counted\n"
                 "                  by the blank steps before them)\n"
                 "  --scale 1|2     picture size 320x240 or 640x480\n"
                 "  --hash          print 'sSS fFFFF hash' for every presented frame\n"
                 "  --stop-after S  end the run when segment S is over\n"
                 "  --holes C       print the pixels each frame left undrawn, refilling\n"
                 "                  the frame with colour index C (0-255) after each present\n"
                 "  --profile       print each scene's render times at the end (ms)\n"
                 "  --profile-json  the same as one JSON object\n",
                 program);
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
        if (std::strcmp(opt, "--hash") == 0) {
            s.print_hashes = true;
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
            ok = capture_int_arg(value, 0, 1000, &s.only_segment);
        else if (std::strcmp(opt, "--scale") == 0)
            ok = capture_int_arg(value, 1, 2, &s.scale);
        else if (std::strcmp(opt, "--holes") == 0)
            ok = capture_int_arg(value, 0, 255, &s.holes_sentinel);
        else if (std::strcmp(opt, "--stop-after") == 0)
            ok = capture_int_arg(value, 0, 1000, &s.stop_after_segment);
        else
            ok = false;
        if (!ok) {
            capture_usage(argv[0]);
            return 2;
        }
        i++;
    }
    if (!s.png_dir.empty()) {
        mkdir(s.png_dir.c_str(), 0777);
        // The run changes into the data tree: keep the output where the user meant it.
        if (char* full = realpath(s.png_dir.c_str(), nullptr)) {
            s.png_dir = full;
            std::free(full);
        }
    }
    if (data_dir != nullptr && chdir(data_dir) != 0) {
        std::fprintf(stderr, "%s: cannot enter %s\n", argv[0], data_dir);
        return 2;
    }
    capture_configure(s);
    return demo_run(1, argv, false);
}
