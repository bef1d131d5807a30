// x11_probe: opens the X11 back-end with the display-mode answer read from standard input,
// presents a known frame and checks, through a connection of its own, what reached the window:
// its size and size hints, the colour of every screen pixel (2x2 blocks at pixel size 2), and
// when a palette change becomes visible. Prints one line per finding; exit status 1 on the first
// failed check.
//   --expect FILE  writes the picture the window should show at the end, as a PPM
//   --hold         prints "ready WINDOW-ID" at the end and waits for the end of standard input,
//                  so that a script can take a screenshot of the window; every line read
//                  meanwhile presents the frame once more; "resize W H" first resizes the
//                  window and then checks the picture at its new place
//   --scale N, --fullscreen  the back-end's options: a resizable window, the picture centred
//                  at the largest scale that fits and black around it
#include "display/pixels.h"
#include "display/x11/x11_scale.h"
#include "gfx2d/palette.h"
#include "platform/display.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

constexpr int FRAME_W = 320, FRAME_H = 240;
constexpr const char* TITLE = "vantor6 x11 probe";

// Colour blocks of 20x20, a one-pixel border and a single-pixel checkerboard: any pixel
// doubled, shifted or dropped shows up.
static uint8_t probe_index(int x, int y)
{
    if (x == 0 || y == 0 || x == FRAME_W - 1 || y == FRAME_H - 1) return 252;
    if (x >= 100 && x < 220 && y >= 100 && y < 140) return (x + y) % 2 != 0 ? 250 : 251;
    return uint8_t(x / 20 + (y / 20) * 16);
}

// Variant 1 is variant 0 inverted.
static Palette probe_palette(int variant)
{
    Palette p;
    for (int i = 0; i < 256; i++) {
        p[3 * i] = uint8_t(i * 53 + 11);
        p[3 * i + 1] = uint8_t(i * 101 + 40);
        p[3 * i + 2] = uint8_t(255 - i * 7);
    }
    const uint8_t fixed[3][3] = {{0, 0, 0}, {255, 255, 255}, {255, 0, 0}};
    for (int k = 0; k < 3; k++) std::memcpy(&p[3 * (250 + k)], fixed[k], 3);
    if (variant == 1)
        for (uint8_t& c : p) c = uint8_t(255 - c);
    return p;
}

struct Probe {
    Display* display = nullptr;
    Window window = 0;
    XWindowAttributes attributes{};
    int pixel_size = 1;
    X11Layout layout;       // where the picture sits in the window
    bool resizable = false; // started with a back-end option
};

// The palette index a window pixel shows, or -1 for the black outside the picture.
static int probe_window_index(const Probe& p, int x, int y)
{
    const X11Layout& l = p.layout;
    x -= l.x;
    y -= l.y;
    if (x < 0 || y < 0 || x >= FRAME_W * l.scale || y >= FRAME_H * l.scale) return -1;
    return probe_index(x / l.scale, y / l.scale);
}

static bool probe_wait(const auto& done)
{
    for (int attempt = 0; attempt < 300; attempt++) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

static Window probe_find_window(Display* display)
{
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (!XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count))
        return 0;
    for (unsigned i = 0; i < count && found == 0; i++) {
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) && name != nullptr) {
            if (std::strcmp(name, TITLE) == 0) found = children[i];
            XFree(name);
        }
    }
    if (children != nullptr) XFree(children);
    return found;
}

// Does the screen pixel show colour rgb? TrueColor: each channel holds the top bits of the
// component. PseudoColor: the pixel is the palette index and the window's colormap holds rgb.
static bool probe_pixel_matches(const Probe& p, unsigned long pixel, uint8_t index,
                                const uint8_t* rgb)
{
    const Visual* v = p.attributes.visual;
    if (v->c_class == PseudoColor) return pixel == index;
    const unsigned long masks[3] = {v->red_mask, v->green_mask, v->blue_mask};
    for (int c = 0; c < 3; c++) {
        const PixelChannel ch = pixels_channel_from_mask(masks[c]);
        const unsigned long value = (pixel & masks[c]) >> ch.shift;
        const unsigned long top = ch.bits >= 8 ? value >> (ch.bits - 8) : value;
        const unsigned expected = ch.bits >= 8 ? rgb[c] : rgb[c] >> (8 - ch.bits);
        if (top != expected) return false;
    }
    return true;
}

static bool probe_colormap_matches(const Probe& p, const Palette& palette)
{
    XColor cells[256];
    for (int i = 0; i < 256; i++) cells[i].pixel = static_cast<unsigned long>(i);
    XQueryColors(p.display, p.attributes.colormap, cells, 256);
    for (int i = 0; i < 256; i++)
        if (cells[i].red >> 8 != palette[3 * i] || cells[i].green >> 8 != palette[3 * i + 1] ||
            cells[i].blue >> 8 != palette[3 * i + 2])
            return false;
    return true;
}

// Compares every screen pixel with the frame under palette; describes the first difference.
static bool probe_window_matches(const Probe& p, const Palette& palette, char* why, size_t size)
{
    const int w = p.attributes.width, h = p.attributes.height;
    XImage* shot =
        XGetImage(p.display, p.window, 0, 0, unsigned(w), unsigned(h), AllPlanes, ZPixmap);
    if (shot == nullptr) {
        std::snprintf(why, size, "no image of the window");
        return false;
    }
    bool ok = true;
    for (int y = 0; y < h && ok; y++)
        for (int x = 0; x < w && ok; x++) {
            const int index = probe_window_index(p, x, y);
            const unsigned long pixel = XGetPixel(shot, x, y);
            if (index < 0 ? pixel != 0
                          : !probe_pixel_matches(p, pixel, uint8_t(index), &palette[3 * index])) {
                std::snprintf(why, size, "pixel (%d,%d) is 0x%lx, palette index %d", x, y, pixel,
                              index);
                ok = false;
            }
        }
    XDestroyImage(shot);
    if (ok && p.attributes.visual->c_class == PseudoColor && !probe_colormap_matches(p, palette)) {
        std::snprintf(why, size, "colormap differs from the palette");
        ok = false;
    }
    return ok;
}

static bool probe_check_window(const Probe& p, const Palette& palette, const char* what)
{
    char why[200] = "";
    if (probe_wait([&] { return probe_window_matches(p, palette, why, sizeof why); })) return true;
    std::printf("%s: %s\n", what, why);
    return false;
}

static bool probe_check_geometry(Probe& p)
{
    if (!probe_wait([&] {
            p.window = probe_find_window(p.display);
            return p.window != 0 && XGetWindowAttributes(p.display, p.window, &p.attributes) &&
                   p.attributes.map_state == IsViewable;
        })) {
        std::printf("no mapped window named \"%s\"\n", TITLE);
        return false;
    }
    const int w = p.attributes.width, h = p.attributes.height;
    const char* kind = p.attributes.visual->c_class == PseudoColor ? "PseudoColor"
                       : p.attributes.visual->c_class == TrueColor ? "TrueColor"
                                                                   : "other";
    std::printf("window %dx%d depth %d %s\n", w, h, p.attributes.depth, kind);
    p.pixel_size = w / FRAME_W;
    p.layout = x11_layout_fit(w, h, FRAME_W, FRAME_H);
    XSizeHints hints{};
    long supplied = 0;
    if (p.resizable) {
        // Any size will do; the frame is the smallest.
        if (!XGetWMNormalHints(p.display, p.window, &hints, &supplied) ||
            (hints.flags & (PMinSize | PMaxSize)) != PMinSize || hints.min_width != FRAME_W ||
            hints.min_height != FRAME_H) {
            std::printf("size hints do not let the window grow from the frame's size\n");
            return false;
        }
        return true;
    }
    if ((p.pixel_size != 1 && p.pixel_size != 2) || h != FRAME_H * p.pixel_size) {
        std::printf("window size is not a 320x240 frame at pixel size 1 or 2\n");
        return false;
    }
    if (!XGetWMNormalHints(p.display, p.window, &hints, &supplied) ||
        (hints.flags & (PMinSize | PMaxSize)) != (PMinSize | PMaxSize) || hints.min_width != w ||
        hints.max_width != w || hints.min_height != h || hints.max_height != h) {
        std::printf("size hints do not fix the window size\n");
        return false;
    }
    return true;
}

static bool probe_write_ppm(const char* path, const Palette& palette, const Probe& p)
{
    FILE* f = std::fopen(path, "wb");
    if (f == nullptr) return false;
    const int w = p.attributes.width, h = p.attributes.height;
    std::fprintf(f, "P6\n%d %d\n255\n", w, h);
    std::vector<uint8_t> row(size_t(w) * 3);
    const uint8_t black[3] = {0, 0, 0};
    for (int y = 0; y < h; y++) {
        for (int x = 0; x < w; x++) {
            const int index = probe_window_index(p, x, y);
            std::memcpy(&row[size_t(x) * 3], index < 0 ? black : &palette[3 * index], 3);
        }
        std::fwrite(row.data(), 1, row.size(), f);
    }
    return std::fclose(f) == 0;
}

static int probe_run(Probe& p, int argc, char** argv, const char* expect_path, bool hold)
{
    display_open(argc, argv, TITLE, FRAME_W, FRAME_H);
    std::fflush(stdout);

    Image frame{FRAME_W, FRAME_H, nullptr};
    std::vector<uint8_t> pixels(size_t(FRAME_W) * FRAME_H);
    for (int y = 0; y < FRAME_H; y++)
        for (int x = 0; x < FRAME_W; x++) pixels[size_t(y) * FRAME_W + x] = probe_index(x, y);
    frame.pixels = pixels.data();

    const Palette first = probe_palette(0), second = probe_palette(1);
    display_set_palette(first.data());
    display_present(&frame);

    p.display = XOpenDisplay(nullptr);
    if (p.display == nullptr) {
        std::printf("probe cannot connect to the X server\n");
        return 1;
    }
    if (!probe_check_geometry(p) || !probe_check_window(p, first, "first frame")) return 1;
    std::printf("pixels ok\n");

    // A new palette shows at once through a colormap, and only with the next present where
    // pixels are converted.
    display_set_palette(second.data());
    if (p.attributes.visual->c_class == PseudoColor) {
        if (!probe_check_window(p, second, "palette without present")) return 1;
    } else {
        // Nothing was sent; give the server a moment to prove it.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        char why[200];
        if (!probe_window_matches(p, first, why, sizeof why)) {
            std::printf("palette changed before the present: %s\n", why);
            return 1;
        }
    }
    display_present(&frame);
    if (!probe_check_window(p, second, "second frame")) return 1;
    std::printf("palette ok\n");

    if (expect_path != nullptr && !probe_write_ppm(expect_path, second, p)) {
        std::printf("cannot write %s\n", expect_path);
        return 1;
    }
    if (hold) {
        std::printf("ready 0x%lx\n", p.window);
        std::fflush(stdout);
        char line[256];
        int w, h;
        while (std::fgets(line, sizeof line, stdin) != nullptr) {
            const bool resize = std::sscanf(line, "resize %d %d", &w, &h) == 2;
            if (resize) {
                // As a window manager would: the back-end learns the size from the server.
                XResizeWindow(p.display, p.window, unsigned(w), unsigned(h));
                XSync(p.display, False);
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
            display_present(&frame);
            if (!resize) continue;
            XGetWindowAttributes(p.display, p.window, &p.attributes);
            p.layout = x11_layout_fit(p.attributes.width, p.attributes.height, FRAME_W, FRAME_H);
            if (!probe_check_window(p, second, "after the resize")) return 1;
            std::printf("resized %dx%d ok\n", w, h);
            std::fflush(stdout);
        }
    }
    return 0;
}

int main(int argc, char** argv)
{
    const char* expect_path = nullptr;
    bool hold = false;
    Probe probe;
    for (int i = 1; i < argc; i++) {
        if (std::strcmp(argv[i], "--expect") == 0 && i + 1 < argc)
            expect_path = argv[++i];
        else if (std::strcmp(argv[i], "--hold") == 0)
            hold = true;
        else if (const int taken = display_option(argc, argv, i); taken > 0) {
            probe.resizable = true;
            i += taken - 1;
        } else
            return 2;
    }
    const int status = probe_run(probe, argc, argv, expect_path, hold);
    if (probe.display != nullptr) XCloseDisplay(probe.display);
    // Twice on purpose: the fatal path may close what the end of the run already closed.
    display_close();
    display_close();
    std::printf("closed\n");
    return status;
}
