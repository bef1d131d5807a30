// Framebuffer back-end: the frame written straight into the mapped memory of /dev/fb0 on a
// virtual console - centred 1:1, centred and doubled, or scaled to the whole screen. 8-bit
// pseudo-colour displays get the palette as the device's colour map; 16- and 32-bit true-colour
// displays convert every pixel through a lookup table. Console switching is process-controlled:
// while the user is on another console nothing is drawn.
#include "display/fb/fb_console.h"
#include "display/fb/fb_surface.h"
#include "platform/ask.h"
#include "platform/display.h"
#include "platform/exit.h"
#include "platform/frame_log.h"

#include <linux/fb.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <ctime>

static constexpr const char* MODE_PROMPT = "Choose a display mode:\n"
                                           " 1. litle window in the midle          -> ideal\n"
                                           " 2. window (double size) in the midle  -> slow \n"
                                           " 3. full                               -> snail\n"
                                           "Type corresponding number : ";
static constexpr const char* DEVICE = "/dev/fb0";

static FbSurface surface;

static int layout = 1;
static Image* screen_image; // layout 3 only
static uint32_t frame_width, frame_height;

static const char* fb_visual_name(uint32_t visual)
{
    static const char* const names[] = {
        "monochr. [1=Black 0=White]",
        "monochr. [1=White 0=Black]",
        "true color",
        "pseudo color (like atari)",
        "direct color",
        "pseudo color readonly",
        "direct color readonly",
    };
    return visual < std::size(names) ? names[visual] : nullptr;
}

[[noreturn]] static void fb_fail(const char* message, int status)
{
    std::printf("%s", message);
    demo_exit(status);
}

static void fb_open_device()
{
    switch (fb_surface_open(&surface, DEVICE)) {
    case FB_SURFACE_NO_DEVICE:
        std::printf("ERROR: can't open the %s device!\n", DEVICE);
        demo_exit(255);
    case FB_SURFACE_NO_FIXED:
        demo_exit(254);
    case FB_SURFACE_NO_MODE:
        demo_exit(253);
    case FB_SURFACE_NOT_PACKED:
        fb_fail("ERROR: can handle only packed pixel frame buffers!\n", 252);
    case FB_SURFACE_NO_MAPPING:
        fb_fail("ERROR: can't exec mmap!\n", 251);
    }
}

static void fb_report_and_check_display()
{
    const fb_fix_screeninfo& fix = surface.fix;
    const fb_var_screeninfo& var = surface.var;
    std::printf("The display is a %.16s ", fix.id);
    if (const char* name = fb_visual_name(fix.visual))
        std::printf("%s", name);
    else
        std::printf("ERROR - (%d)", int(fix.visual));
    std::printf(" with %d X %d\n", int(var.xres), int(var.yres));

    if (!fb_surface_showable(fix, var))
        fb_fail("ERROR: can handle only TRUE\xA0"
                "COLOR (16 & 32 bit) or\n"
                "       PSEUDO COLOR (8 bit) displays!\n",
                250);
    fb_surface_describe(&surface);
    // Nothing of the visible area lies inside the memory the device lets us map.
    if (surface.area.height == 0) fb_fail("ERROR: can't exec mmap!\n", 251);
}

// The answer, corrected to what the screen can hold.
static int fb_correct_layout(int answer, uint32_t w, uint32_t h)
{
    const uint32_t W = surface.area.width, H = surface.area.height;
    int chosen = answer;
    if (W < w || H < h) chosen = 3;
    if (chosen == 2 && (W < 2 * w || H < 2 * h)) chosen = 3;
    if (chosen == 3 && W == w && H == h) chosen = 1;
    if (chosen == 3 && W == 2 * w && H == 2 * h) chosen = 2;
    return chosen;
}

void display_open(int, char**, const char*, int width, int height)
{
    frame_width = uint32_t(width);
    frame_height = uint32_t(height);
    if (!fb_console_is_virtual(STDOUT_FILENO)) fb_fail("ERROR: Not a console device!\n", 249);
    if (fb_console_take(STDOUT_FILENO, false) != 0) fb_fail("ERROR: ioctl(VT_SETMODE) !\n", 248);
    fb_open_device();
    fb_report_and_check_display();

    layout = fb_correct_layout(ask_answer(ASK_MODE, MODE_PROMPT, 1, 3), frame_width, frame_height);
    if (layout == 3 && image_create(&screen_image, surface.area.width, surface.area.height) != 0) {
        display_close();
        fb_fail("Cann't allocate image!\n", 250);
    }

    if (surface.pseudo_colour) {
        // The program's colour map starts black.
        surface.colour_map = {};
        if (fb_console_save_colours(surface.fd) != 0) std::printf("ERROR: ioctl(FBIOGETCMAP) !\n");
        if (fb_surface_put_colour_map(&surface) != 0) std::printf("ERROR: ioctl(FBIOPUTCMAP) !\n");
    }
    fb_console_hide_cursor();
    fb_console_graphics();
    const timespec settle{0, 200000000};
    nanosleep(&settle, nullptr);
    std::memset(surface.memory, 0, surface.memory_length);
    fb_console_set_memory(surface.memory, surface.memory_length);
}

void display_set_palette(const uint8_t* palette)
{
    if (surface.memory == nullptr) return;
    fb_surface_set_palette(&surface, palette);
    // While the console is away the colours wait for its return (see display_present).
    if (fb_console_state() == FB_CONSOLE_ACTIVE && fb_surface_put_colour_map(&surface) != 0)
        std::printf("ERROR: ioctl(FBIOPUTCMAP) !\n");
}

void display_present(const Image* frame)
{
    const FrameLogPresent logged;
    if (surface.memory == nullptr || frame->width != frame_width || frame->height != frame_height)
        return;
    const int draw = fb_surface_begin_draw(&surface);
    if (draw == FB_SURFACE_AWAY) return;
    if (draw == FB_SURFACE_BACK_COLOURS_REFUSED) std::printf("ERROR: ioctl(FBIOPUTCMAP) !\n");

    const uint32_t w = frame->width, h = frame->height;
    const FbArea& area = surface.area;
    if (layout == 3) {
        image_blit_scaled(screen_image, 0, 0, int32_t(area.width), int32_t(area.height), frame, 0,
                          0, int32_t(w), int32_t(h), 0, 0);
        fb_surface_put(surface, screen_image->pixels, area.width, area.height, 0, 0, 1);
    } else {
        const uint32_t scale = uint32_t(layout);
        const uint32_t left = (area.width - scale * w) / 2;
        const uint32_t top = (area.height - scale * h) / 2;
        fb_surface_put(surface, frame->pixels, w, h, left, top, int(scale));
    }
    fb_console_end_draw();
}

// The framebuffer offers no retrace to wait for here.
void display_wait_retrace() {}

// Safe at any point: also reached from the fatal path and from failed set-ups.
void display_close()
{
    if (screen_image != nullptr) image_destroy(&screen_image);
    screen_image = nullptr;
    fb_console_give_back();
    fb_surface_close(&surface);
}
