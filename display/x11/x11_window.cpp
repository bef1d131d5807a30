// X11 back-end: the frame in a fixed-size window, one or two screen pixels per frame pixel,
// or in a window of any size at the largest whole scale that fits. On an 8-bit PseudoColor
// display the palette is the window's colormap and frames are copied as they are; on a
// TrueColor display every present converts the frame through a lookup table (x11_image.cpp).
// This half holds the connection, the window, its colours, size and events.
#include "display/x11/x11.h"
#include "display/x11/x11_scale.h"
#include "platform/ask.h"
#include "platform/display.h"
#include "platform/exit.h"
#include "platform/show.h"

#include <X11/Xatom.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

static constexpr const char* MODE_PROMPT = "Choose display mode:\n"
                                           "1. Pixel size 1, Shared Memory Extension ON\n"
                                           "2. Pixel size 2, Shared Memory Extension ON\n"
                                           "3. Pixel size 1, Shared Memory Extension OFF\n"
                                           "4. Pixel size 2, Shared Memory Extension OFF\n"
                                           "Type corresponding number : ";

X11Window x11_window;

static const char* program_name = "";
static Colormap x_colormap; // 0 when none is held
static Cursor x_cursor;

// --scale N and --fullscreen; either makes the window resizable.
static int option_scale;
static bool option_fullscreen;

static PixelChannels channels;
static bool swap_bytes; // the server's byte order differs from ours

static bool x11_pseudo_color()
{
    return x11_window.visual.c_class == PseudoColor;
}

// Set-up failures before the image exists: message on standard error, release what is open.
[[noreturn]] static void x11_fail(const char* message)
{
    std::fprintf(stderr, "%s", message);
    demo_exit(255);
}

// How many bits the server's images spend on a pixel of this depth.
static int x11_bits_per_pixel(int depth)
{
    int count = 0, bits = 0;
    XPixmapFormatValues* formats = XListPixmapFormats(x11_window.display, &count);
    for (int i = 0; i < count; i++)
        if (formats[i].depth == depth) bits = formats[i].bits_per_pixel;
    if (formats != nullptr) XFree(formats);
    return bits;
}

static void x11_choose_visual()
{
    X11Window& w = x11_window;
    XVisualInfo wanted{};
    wanted.visualid = XVisualIDFromVisual(XDefaultVisual(w.display, w.screen));
    int count = 0;
    XVisualInfo* list = XGetVisualInfo(w.display, VisualIDMask, &wanted, &count);
    if (list == nullptr || count <= 0) {
        if (list != nullptr) XFree(list);
        x11_fail("Suitable visuals not found!\n");
    }
    int best = 0;
    for (int i = 1; i < count; i++)
        if (list[i].depth > list[best].depth) best = i;
    const XVisualInfo& visual = w.visual = list[best];
    XFree(list);

    // 8-bit TrueColor is served like any other TrueColor depth, with 1-byte table entries.
    const bool pseudo8 = visual.c_class == PseudoColor && visual.depth == 8;
    if (!pseudo8 && visual.c_class != TrueColor)
        x11_fail("This version of the Demo needs TruColor or 8 Bit PseudoColor Display!\n");
    const int bytes_per_pixel = visual.depth <= 8 ? 1 : visual.depth <= 16 ? 2 : 4;
    // A server that packs 24-bit pixels into 3 bytes would get a garbled frame: refuse it.
    if (x11_bits_per_pixel(visual.depth) != 8 * bytes_per_pixel)
        x11_fail("This version of the Demo needs TruColor or 8 Bit PseudoColor Display!\n");
    w.tables.bytes = pseudo8 ? 0 : bytes_per_pixel;
}

static void x11_create_window(int width, int height)
{
    X11Window& w = x11_window;
    const Window root = RootWindow(w.display, w.screen);
    x_colormap = XCreateColormap(w.display, root, w.visual.visual, AllocNone);

    XSetWindowAttributes attributes{};
    attributes.colormap = x_colormap;
    // Centred; a screen smaller than the window keeps its top left corner visible.
    const int x = std::max(0, (DisplayWidth(w.display, w.screen) - width) / 2);
    const int y = std::max(0, (DisplayHeight(w.display, w.screen) - height) / 2);
    if (w.resizable) attributes.event_mask = StructureNotifyMask;
    w.window = XCreateWindow(w.display, root, x, y, unsigned(width), unsigned(height), 0,
                             w.visual.depth, InputOutput, w.visual.visual,
                             CWColormap | (w.resizable ? CWEventMask : 0), &attributes);
    if (w.window == 0) x11_fail("Can not create window!\n");

    if (w.visual.c_class != TrueColor) {
        XFreeColormap(w.display, x_colormap);
        x_colormap = 0;
    }
}

static void x11_init_colours()
{
    const X11Window& w = x11_window;
    if (x11_pseudo_color()) {
        // The private colormap starts as a copy of the default one.
        x_colormap = XCreateColormap(w.display, w.window, w.visual.visual, AllocAll);
        XColor cells[256];
        for (int i = 0; i < 256; i++) {
            cells[i].pixel = static_cast<unsigned long>(i);
            cells[i].flags = DoRed | DoGreen | DoBlue;
        }
        XQueryColors(w.display, DefaultColormap(w.display, w.screen), cells, 256);
        for (int i = 0; i < 256; i++) {
            screen_palette[3 * i] = uint8_t(cells[i].red >> 8);
            screen_palette[3 * i + 1] = uint8_t(cells[i].green >> 8);
            screen_palette[3 * i + 2] = uint8_t(cells[i].blue >> 8);
        }
        display_set_palette(screen_palette.data());
        return;
    }
    channels = {pixels_channel_from_mask(w.visual.red_mask),
                pixels_channel_from_mask(w.visual.green_mask),
                pixels_channel_from_mask(w.visual.blue_mask)};
    const bool host_lsb_first = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__;
    swap_bytes = (ImageByteOrder(w.display) == LSBFirst) != host_lsb_first;
    Palette grey;
    for (int i = 0; i < 256; i++) grey[3 * i] = grey[3 * i + 1] = grey[3 * i + 2] = uint8_t(i);
    display_set_palette(grey.data());
}

static void x11_hide_cursor()
{
    const X11Window& w = x11_window;
    XColor black{}, exact{};
    XAllocNamedColor(w.display, DefaultColormap(w.display, w.screen), "black", &black, &exact);
    static const char empty_bits[20] = {};
    const Pixmap bitmap = XCreateBitmapFromData(w.display, w.window, empty_bits, 10, 10);
    x_cursor = XCreatePixmapCursor(w.display, bitmap, bitmap, &black, &black, 0, 0);
    XDefineCursor(w.display, w.window, x_cursor);
    XFreePixmap(w.display, bitmap);
}

// The window manager's full-screen state, asked for before the window is mapped. Without a
// window manager the window already covers the screen.
static void x11_ask_fullscreen()
{
    const X11Window& w = x11_window;
    const Atom state = XInternAtom(w.display, "_NET_WM_STATE", False);
    Atom fullscreen = XInternAtom(w.display, "_NET_WM_STATE_FULLSCREEN", False);
    XChangeProperty(w.display, w.window, state, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&fullscreen), 1);
}

// Once the server is gone or has refused a request, the connection is never used again: the
// server frees what we held when we disconnect. Ending through demo_exit stops the music
// child, which Xlib's own handlers would leave playing.
[[noreturn]] static void x11_abandon(const char* why)
{
    std::fprintf(stderr, "%s: %s\n", program_name, why);
    x11_window.display = nullptr;
    demo_exit(1);
}

static int x11_io_error(Display*)
{
    x11_abandon("connection to the X server lost");
}

static int x11_protocol_error(Display* display, XErrorEvent* event)
{
    char text[200];
    XGetErrorText(display, event->error_code, text, sizeof text);
    x11_abandon(text);
}

static void x11_setup(int argc, char** argv, const char* title, int width, int height)
{
    X11Window& w = x11_window;
    program_name = argc > 0 ? argv[0] : "";
    w.display = XOpenDisplay("");
    if (w.display == nullptr) {
        std::fprintf(stderr, "%s: cannot connect to X server!\n", program_name);
        demo_exit(255);
    }
    XSetIOErrorHandler(x11_io_error);
    XSetErrorHandler(x11_protocol_error);
    w.screen = DefaultScreen(w.display);
    x11_choose_visual();

    w.width = width * w.pixel_size;
    w.height = height * w.pixel_size;
    if (option_fullscreen) {
        w.width = DisplayWidth(w.display, w.screen);
        w.height = DisplayHeight(w.display, w.screen);
    }
    x11_create_window(w.width, w.height);
    x11_init_colours();

    w.gc = XCreateGC(w.display, w.window, 0, nullptr);
    if (w.gc == nullptr) x11_fail("Can not create GC!\n");
    XSetBackground(w.display, w.gc, WhitePixel(w.display, w.screen));
    XSetForeground(w.display, w.gc, BlackPixel(w.display, w.screen));
    XClearWindow(w.display, w.window);

    // Fixed size: minimum and maximum are the window's own. A resizable window goes no smaller
    // than the frame.
    XSizeHints hints{};
    hints.flags = PPosition | PSize | PMinSize | PMaxSize;
    hints.width = hints.min_width = hints.max_width = w.width;
    hints.height = hints.min_height = hints.max_height = w.height;
    if (w.resizable) {
        hints.flags = PPosition | PSize | PMinSize;
        hints.min_width = width;
        hints.min_height = height;
    }
    XSetStandardProperties(w.display, w.window, title, title, None, argv, argc, &hints);
    if (option_fullscreen) x11_ask_fullscreen();

    x11_hide_cursor();
    XSync(w.display, True);
    XMapRaised(w.display, w.window);
    XFlush(w.display);
}

void display_open(int argc, char** argv, const char* title, int width, int height)
{
    X11Window& w = x11_window;
    const int mode = ask_answer(ASK_MODE, MODE_PROMPT, 1, 4);
    const bool shm_wanted = mode <= 2;
    w.pixel_size = mode % 2 == 1 ? 1 : 2;
    if (option_scale > 0) w.pixel_size = option_scale;
    w.resizable = option_scale > 0 || option_fullscreen;
    w.frame_width = width;
    w.frame_height = height;
    x11_setup(argc, argv, title, width, height);

    const int result = x11_image_open(shm_wanted);
    // Told once the image shows whether the server took the segment.
    if (shm_wanted)
        std::printf(x11_image_shared() ? "INFO: Shared memory extension in use\n"
                                       : "INFO: Shared memory extension not in use\n");
    if (result != 0) {
        std::printf("Cann't allocate image!\n");
        demo_exit(DEMO_EXIT_FAILURE);
    }
}

void display_set_palette(const uint8_t* palette)
{
    X11Window& w = x11_window;
    if (w.display == nullptr) return;
    if (x11_pseudo_color()) {
        XColor cells[256];
        for (int i = 0; i < 256; i++) {
            cells[i].pixel = static_cast<unsigned long>(i);
            cells[i].red = static_cast<unsigned short>(palette[3 * i] << 8);
            cells[i].green = static_cast<unsigned short>(palette[3 * i + 1] << 8);
            cells[i].blue = static_cast<unsigned short>(palette[3 * i + 2] << 8);
            cells[i].flags = DoRed | DoGreen | DoBlue;
        }
        XStoreColors(w.display, x_colormap, cells, 256);
        XSetWindowColormap(w.display, w.window, x_colormap);
        // Sent now: a fade on a colormap display has no present to carry it.
        XFlush(w.display);
        return;
    }
    pixels_tables_fill(&w.tables, palette, channels, swap_bytes);
}

bool x11_window_follow_size()
{
    X11Window& w = x11_window;
    XEvent event;
    int width = w.width, height = w.height;
    // The other structure events (map, reparent) are only taken off the queue.
    while (XCheckWindowEvent(w.display, w.window, StructureNotifyMask, &event))
        if (event.type == ConfigureNotify) {
            width = event.xconfigure.width;
            height = event.xconfigure.height;
        }
    if (width == w.width && height == w.height) return false;
    w.width = width;
    w.height = height;
    return true;
}

// The server updates the window on its own time; there is no retrace to wait for.
void display_wait_retrace() {}

// Safe at any point: also reached from the fatal path and from failed set-ups.
void display_close()
{
    X11Window& w = x11_window;
    x11_image_close();
    if (w.display == nullptr) return;
    if (x_cursor != 0) XFreeCursor(w.display, x_cursor);
    if (x_colormap != 0) XFreeColormap(w.display, x_colormap);
    if (w.gc != nullptr) XFreeGC(w.display, w.gc);
    XCloseDisplay(w.display);
    w.display = nullptr;
    w.window = 0;
    w.gc = nullptr;
    x_colormap = 0;
    x_cursor = 0;
}

int display_option(int argc, char** argv, int i)
{
    if (std::strcmp(argv[i], "--fullscreen") == 0) {
        option_fullscreen = true;
        return 1;
    }
    if (std::strcmp(argv[i], "--scale") != 0) return 0;
    option_scale = x11_scale_from_text(i + 1 < argc ? argv[i + 1] : nullptr);
    if (option_scale == 0) {
        std::fprintf(stderr, "%s: --scale wants a whole number from 1 to 8\n", argv[0]);
        return -1;
    }
    return 2;
}

const char* display_options_help()
{
    return "  --scale N       a window of N screen pixels per frame pixel (1-8) that can be\n"
           "                  resized; the picture stays centred at the largest scale that\n"
           "                  fits (default: the pixel size of the display-mode answer)\n"
           "  --fullscreen    the whole screen, at the largest scale that fits\n";
}
