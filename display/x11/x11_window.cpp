// X11 back-end: the frame in a fixed-size window, one or two screen pixels per frame pixel.
// On an 8-bit PseudoColor display the palette is the window's colormap and frames are copied as
// they are; on a TrueColor display every present converts the frame through a lookup table.
// Images go through the MIT shared-memory extension when it is wanted and works.
#include "display/pixels.h"
#include "display/x11/x11_scale.h"
#include "platform/ask.h"
#include "platform/display.h"
#include "platform/exit.h"
#include "platform/frame_log.h"
#include "platform/show.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

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

static const char* program_name = "";
static Display* x_display;
static int x_screen;
static Window x_window;
static GC x_gc;
static Colormap x_colormap; // 0 when none is held
static Cursor x_cursor;
static XVisualInfo x_visual;

static int pixel_size = 1;
static int window_width, window_height;

// --scale N and --fullscreen. Either makes the window resizable: the picture then sits at the
// largest whole scale that fits, centred, in an image as large as the screen, so that a
// resize needs no new image.
static int option_scale;
static bool option_fullscreen;
static bool resizable;
static X11Layout layout;
static int image_width, image_height;
static int frame_width, frame_height;
static int bytes_per_pixel;

static bool shm_in_use;
static XImage* x_image;
static XShmSegmentInfo x_segment;
// The server reads a shared image after XShmPutImage has returned: a put it has not reported
// finished yet, and the type of the event that reports it.
static bool shm_put_pending;
static int shm_completion_type;

static PixelChannels channels;
static bool swap_bytes; // the server's byte order differs from ours
static std::array<uint8_t, 256> lookup8;
static std::array<uint16_t, 256> lookup16;
static std::array<uint32_t, 256> lookup32;

static bool x11_pseudo_color()
{
    return x_visual.c_class == PseudoColor;
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
    XPixmapFormatValues* formats = XListPixmapFormats(x_display, &count);
    for (int i = 0; i < count; i++)
        if (formats[i].depth == depth) bits = formats[i].bits_per_pixel;
    if (formats != nullptr) XFree(formats);
    return bits;
}

static void x11_choose_visual()
{
    XVisualInfo wanted{};
    wanted.visualid = XVisualIDFromVisual(XDefaultVisual(x_display, x_screen));
    int count = 0;
    XVisualInfo* list = XGetVisualInfo(x_display, VisualIDMask, &wanted, &count);
    if (list == nullptr || count <= 0) {
        if (list != nullptr) XFree(list);
        x11_fail("Suitable visuals not found!\n");
    }
    int best = 0;
    for (int i = 1; i < count; i++)
        if (list[i].depth > list[best].depth) best = i;
    x_visual = list[best];
    XFree(list);

    // 8-bit TrueColor is served like any other TrueColor depth, with 1-byte table entries.
    const bool pseudo8 = x_visual.c_class == PseudoColor && x_visual.depth == 8;
    if (!pseudo8 && x_visual.c_class != TrueColor)
        x11_fail("This version of the Demo needs TruColor or 8 Bit PseudoColor Display!\n");
    bytes_per_pixel = x_visual.depth <= 8 ? 1 : x_visual.depth <= 16 ? 2 : 4;
    // A server that packs 24-bit pixels into 3 bytes would get a garbled frame: refuse it.
    if (x11_bits_per_pixel(x_visual.depth) != 8 * bytes_per_pixel)
        x11_fail("This version of the Demo needs TruColor or 8 Bit PseudoColor Display!\n");
}

static void x11_create_window(int width, int height)
{
    const Window root = RootWindow(x_display, x_screen);
    x_colormap = XCreateColormap(x_display, root, x_visual.visual, AllocNone);

    XSetWindowAttributes attributes{};
    attributes.colormap = x_colormap;
    // Centred; a screen smaller than the window keeps its top left corner visible.
    const int x = std::max(0, (DisplayWidth(x_display, x_screen) - width) / 2);
    const int y = std::max(0, (DisplayHeight(x_display, x_screen) - height) / 2);
    if (resizable) attributes.event_mask = StructureNotifyMask;
    x_window = XCreateWindow(x_display, root, x, y, unsigned(width), unsigned(height), 0,
                             x_visual.depth, InputOutput, x_visual.visual,
                             CWColormap | (resizable ? CWEventMask : 0), &attributes);
    if (x_window == 0) x11_fail("Can not create window!\n");

    if (x_visual.c_class != TrueColor) {
        XFreeColormap(x_display, x_colormap);
        x_colormap = 0;
    }
}

static void x11_init_colours()
{
    if (x11_pseudo_color()) {
        // The private colormap starts as a copy of the default one.
        x_colormap = XCreateColormap(x_display, x_window, x_visual.visual, AllocAll);
        XColor cells[256];
        for (int i = 0; i < 256; i++) {
            cells[i].pixel = static_cast<unsigned long>(i);
            cells[i].flags = DoRed | DoGreen | DoBlue;
        }
        XQueryColors(x_display, DefaultColormap(x_display, x_screen), cells, 256);
        for (int i = 0; i < 256; i++) {
            screen_palette[3 * i] = uint8_t(cells[i].red >> 8);
            screen_palette[3 * i + 1] = uint8_t(cells[i].green >> 8);
            screen_palette[3 * i + 2] = uint8_t(cells[i].blue >> 8);
        }
        display_set_palette(screen_palette.data());
        return;
    }
    channels = {pixels_channel_from_mask(x_visual.red_mask),
                pixels_channel_from_mask(x_visual.green_mask),
                pixels_channel_from_mask(x_visual.blue_mask)};
    const bool host_lsb_first = __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__;
    swap_bytes = (ImageByteOrder(x_display) == LSBFirst) != host_lsb_first;
    Palette grey;
    for (int i = 0; i < 256; i++) grey[3 * i] = grey[3 * i + 1] = grey[3 * i + 2] = uint8_t(i);
    display_set_palette(grey.data());
}

static void x11_hide_cursor()
{
    XColor black{}, exact{};
    XAllocNamedColor(x_display, DefaultColormap(x_display, x_screen), "black", &black, &exact);
    static const char empty_bits[20] = {};
    const Pixmap bitmap = XCreateBitmapFromData(x_display, x_window, empty_bits, 10, 10);
    x_cursor = XCreatePixmapCursor(x_display, bitmap, bitmap, &black, &black, 0, 0);
    XDefineCursor(x_display, x_window, x_cursor);
    XFreePixmap(x_display, bitmap);
}

// The window manager's full-screen state, asked for before the window is mapped. Without a
// window manager the window already covers the screen.
static void x11_ask_fullscreen()
{
    const Atom state = XInternAtom(x_display, "_NET_WM_STATE", False);
    Atom fullscreen = XInternAtom(x_display, "_NET_WM_STATE_FULLSCREEN", False);
    XChangeProperty(x_display, x_window, state, XA_ATOM, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&fullscreen), 1);
}

// Once the server is gone or has refused a request, the connection is never used again: the
// server frees what we held when we disconnect. Ending through demo_exit stops the music
// child, which Xlib's own handlers would leave playing.
[[noreturn]] static void x11_abandon(const char* why)
{
    std::fprintf(stderr, "%s: %s\n", program_name, why);
    x_display = nullptr;
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
    program_name = argc > 0 ? argv[0] : "";
    x_display = XOpenDisplay("");
    if (x_display == nullptr) {
        std::fprintf(stderr, "%s: cannot connect to X server!\n", program_name);
        demo_exit(255);
    }
    XSetIOErrorHandler(x11_io_error);
    XSetErrorHandler(x11_protocol_error);
    x_screen = DefaultScreen(x_display);
    x11_choose_visual();

    window_width = width * pixel_size;
    window_height = height * pixel_size;
    if (option_fullscreen) {
        window_width = DisplayWidth(x_display, x_screen);
        window_height = DisplayHeight(x_display, x_screen);
    }
    x11_create_window(window_width, window_height);
    x11_init_colours();

    x_gc = XCreateGC(x_display, x_window, 0, nullptr);
    if (x_gc == nullptr) x11_fail("Can not create GC!\n");
    XSetBackground(x_display, x_gc, WhitePixel(x_display, x_screen));
    XSetForeground(x_display, x_gc, BlackPixel(x_display, x_screen));
    XClearWindow(x_display, x_window);

    // Fixed size: minimum and maximum are the window's own. A resizable window goes no smaller
    // than the frame.
    XSizeHints hints{};
    hints.flags = PPosition | PSize | PMinSize | PMaxSize;
    hints.width = hints.min_width = hints.max_width = window_width;
    hints.height = hints.min_height = hints.max_height = window_height;
    if (resizable) {
        hints.flags = PPosition | PSize | PMinSize;
        hints.min_width = width;
        hints.min_height = height;
    }
    XSetStandardProperties(x_display, x_window, title, title, None, argv, argc, &hints);
    if (option_fullscreen) x11_ask_fullscreen();

    x11_hide_cursor();
    XSync(x_display, True);
    XMapRaised(x_display, x_window);
    XFlush(x_display);
}

// The image's pixels are a shared segment (shm_in_use) or a malloc'ed buffer.
static void x11_image_destroy()
{
    if (x_image == nullptr) return;
    if (!shm_in_use) std::free(x_image->data);
    x_image->data = nullptr;
    // XShmCreateImage keeps the segment record in obdata, which XDestroyImage would free;
    // the record is ours.
    x_image->obdata = nullptr;
    XDestroyImage(x_image);
    x_image = nullptr;
}

static bool attach_refused;

static int x11_attach_error(Display*, XErrorEvent*)
{
    attach_refused = true;
    return 0;
}

// false when no shared image can be had: no segment or no attach on our side (a container's
// IPC limits), or the server could not attach it (a display on another machine). Nothing is
// left over then, and plain images will do.
static bool x11_image_create_shared(size_t* size)
{
    x_segment = {};
    x_image = XShmCreateImage(x_display, x_visual.visual, unsigned(x_visual.depth), ZPixmap,
                              nullptr, &x_segment, unsigned(image_width), unsigned(image_height));
    if (x_image == nullptr) return false;
    *size = size_t(x_image->bytes_per_line) * image_height;
    x_segment.shmid = shmget(IPC_PRIVATE, *size, IPC_CREAT | 0600);
    if (x_segment.shmid < 0) {
        x11_image_destroy();
        return false;
    }
    void* address = shmat(x_segment.shmid, nullptr, 0);
    if (address == reinterpret_cast<void*>(-1)) {
        shmctl(x_segment.shmid, IPC_RMID, nullptr);
        x11_image_destroy();
        return false;
    }
    // Marked for removal at once: freed by the system when the last user detaches, whatever
    // way this process ends from here on. (The server may still attach it.)
    shmctl(x_segment.shmid, IPC_RMID, nullptr);
    x_segment.shmaddr = x_image->data = static_cast<char*>(address);
    // The flag says how the server attaches the segment. It only reads frames from it
    // (XShmPutImage), so it gets no right to write into our memory.
    x_segment.readOnly = True;

    // A refused attach arrives as an X error; catch it here instead of dying in Xlib.
    XSync(x_display, False);
    attach_refused = false;
    XErrorHandler previous = XSetErrorHandler(x11_attach_error);
    XShmAttach(x_display, &x_segment);
    XSync(x_display, False);
    XSetErrorHandler(previous);
    if (!attach_refused) return true;

    shmdt(x_segment.shmaddr);
    x_segment = {};
    x11_image_destroy();
    return false;
}

static int x11_image_create_plain(size_t* size)
{
    x_image = XCreateImage(x_display, x_visual.visual, unsigned(x_visual.depth), ZPixmap, 0,
                           nullptr, unsigned(image_width), unsigned(image_height), 32, 0);
    if (x_image == nullptr) return -1;
    *size = size_t(x_image->bytes_per_line) * image_height;
    x_image->data = static_cast<char*>(std::malloc(*size));
    if (x_image->data == nullptr) {
        x11_image_destroy();
        return -2;
    }
    return 0;
}

// The window-size image. Without a shared image, a plain one does, and shared memory is off.
static int x11_image_create()
{
    image_width = window_width;
    image_height = window_height;
    if (resizable) {
        image_width = std::max(image_width, DisplayWidth(x_display, x_screen));
        image_height = std::max(image_height, DisplayHeight(x_display, x_screen));
    }
    // The frame is presented whole, also into a window (or screen) smaller than itself, which
    // then shows what fits.
    image_width = std::max(image_width, frame_width);
    image_height = std::max(image_height, frame_height);
    layout = resizable ? x11_layout_fit(window_width, window_height, frame_width, frame_height)
                       : X11Layout{pixel_size, 0, 0};
    size_t size = 0;
    shm_in_use = shm_in_use && x11_image_create_shared(&size);
    const int result = shm_in_use ? 0 : x11_image_create_plain(&size);
    if (result == 0) std::memset(x_image->data, 0, size);
    return result;
}

void display_open(int argc, char** argv, const char* title, int width, int height)
{
    const int mode = ask_number(MODE_PROMPT, 1, 4);
    const bool shm_wanted = mode <= 2;
    pixel_size = mode % 2 == 1 ? 1 : 2;
    if (option_scale > 0) pixel_size = option_scale;
    resizable = option_scale > 0 || option_fullscreen;
    frame_width = width;
    frame_height = height;
    x11_setup(argc, argv, title, width, height);

    shm_in_use = shm_wanted && XShmQueryExtension(x_display);
    if (shm_in_use) shm_completion_type = XShmGetEventBase(x_display) + ShmCompletion;
    const int result = x11_image_create();
    // Told once the image shows whether the server took the segment.
    if (shm_wanted)
        std::printf(shm_in_use ? "INFO: Shared memory extension in use\n"
                               : "INFO: Shared memory extension not in use\n");
    if (result != 0) {
        std::printf("Cann't allocate image!\n");
        demo_exit(DEMO_EXIT_FAILURE);
    }
}

void display_set_palette(const uint8_t* palette)
{
    if (x_display == nullptr) return;
    if (x11_pseudo_color()) {
        XColor cells[256];
        for (int i = 0; i < 256; i++) {
            cells[i].pixel = static_cast<unsigned long>(i);
            cells[i].red = static_cast<unsigned short>(palette[3 * i] << 8);
            cells[i].green = static_cast<unsigned short>(palette[3 * i + 1] << 8);
            cells[i].blue = static_cast<unsigned short>(palette[3 * i + 2] << 8);
            cells[i].flags = DoRed | DoGreen | DoBlue;
        }
        XStoreColors(x_display, x_colormap, cells, 256);
        XSetWindowColormap(x_display, x_window, x_colormap);
        // Sent now: a fade on a colormap display has no present to carry it.
        XFlush(x_display);
        return;
    }
    switch (bytes_per_pixel) {
    case 1:
        pixels_table_fill(lookup8, palette, channels, swap_bytes);
        break;
    case 2:
        pixels_table_fill(lookup16, palette, channels, swap_bytes);
        break;
    default:
        pixels_table_fill(lookup32, palette, channels, swap_bytes);
        break;
    }
}

static Bool x11_is_completion(Display*, XEvent* event, XPointer)
{
    return event->type == shm_completion_type;
}

// The next frame goes into the shared image only once the server is done with the last one.
// At this frame rate the report is long there, so this costs a look at the queue.
static void x11_wait_for_put()
{
    if (!shm_put_pending) return;
    XEvent event;
    XIfEvent(x_display, &event, x11_is_completion, nullptr);
    shm_put_pending = false;
}

// A resizable window: the newest size the server reported. A new size gets a new layout and
// a black image around it.
static void x11_follow_resize()
{
    XEvent event;
    int w = window_width, h = window_height;
    // The other structure events (map, reparent) are only taken off the queue.
    while (XCheckWindowEvent(x_display, x_window, StructureNotifyMask, &event))
        if (event.type == ConfigureNotify) {
            w = event.xconfigure.width;
            h = event.xconfigure.height;
        }
    if (w == window_width && h == window_height) return;
    window_width = w;
    window_height = h;
    layout = x11_layout_fit(std::min(w, image_width), std::min(h, image_height), frame_width,
                            frame_height);
    std::memset(x_image->data, 0, size_t(x_image->bytes_per_line) * image_height);
}

void display_present(const Image* frame)
{
    const FrameLogPresent logged;
    if (x_image == nullptr || int(frame->width) != frame_width ||
        int(frame->height) != frame_height)
        return;
    x11_wait_for_put();
    if (resizable) x11_follow_resize();
    const std::span<const uint8_t> pixels(frame->pixels, size_t(frame->width) * frame->height);
    const size_t stride = size_t(x_image->bytes_per_line);
    auto* dst = reinterpret_cast<uint8_t*>(x_image->data) + size_t(layout.y) * stride +
                size_t(layout.x) * (x_image->bits_per_pixel / 8);
    const int scale = layout.scale;

    if (x11_pseudo_color() && scale == 1) {
        for (uint32_t y = 0; y < frame->height; y++)
            std::memcpy(dst + y * stride, &pixels[size_t(y) * frame->width], frame->width);
    } else if (x11_pseudo_color()) {
        pixels_convert(pixels, frame->width, frame->height, pixels_identity_table, dst, stride, scale);
    } else if (bytes_per_pixel == 1) {
        pixels_convert(pixels, frame->width, frame->height, lookup8, dst, stride, scale);
    } else if (bytes_per_pixel == 2) {
        pixels_convert(pixels, frame->width, frame->height, lookup16, dst, stride, scale);
    } else {
        pixels_convert(pixels, frame->width, frame->height, lookup32, dst, stride, scale);
    }

    const unsigned w = unsigned(std::min(window_width, image_width)),
                   h = unsigned(std::min(window_height, image_height));
    if (shm_in_use) {
        XShmPutImage(x_display, x_window, x_gc, x_image, 0, 0, 0, 0, w, h, True);
        shm_put_pending = true;
    } else
        XPutImage(x_display, x_window, x_gc, x_image, 0, 0, 0, 0, w, h);
    XFlush(x_display);
}

// The server updates the window on its own time; there is no retrace to wait for.
void display_wait_retrace() {}

// Safe at any point: also reached from the fatal path and from failed set-ups.
void display_close()
{
    if (x_image != nullptr && shm_in_use && x_segment.shmaddr != nullptr) {
        if (x_display != nullptr) XShmDetach(x_display, &x_segment);
        shmdt(x_segment.shmaddr);
        x_segment = {};
    }
    x11_image_destroy();
    shm_in_use = shm_put_pending = false;
    if (x_display == nullptr) return;
    if (x_cursor != 0) XFreeCursor(x_display, x_cursor);
    if (x_colormap != 0) XFreeColormap(x_display, x_colormap);
    if (x_gc != nullptr) XFreeGC(x_display, x_gc);
    XCloseDisplay(x_display);
    x_display = nullptr;
    x_window = 0;
    x_gc = nullptr;
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
