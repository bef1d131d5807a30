// Framebuffer back-end: the frame written straight into the mapped memory of /dev/fb0 on a
// virtual console - centred 1:1, centred and doubled, or scaled to the whole screen. 8-bit
// pseudo-colour displays get the palette as the device's colour map; 16- and 32-bit true-colour
// displays convert every pixel through a lookup table. Console switching is process-controlled:
// while the user is on another console nothing is drawn.
#include "display/fb/fb_area.h"
#include "display/fb/fb_console.h"
#include "display/fb/fb_device.h"
#include "display/pixels.h"
#include "platform/ask.h"
#include "platform/display.h"
#include "platform/exit.h"
#include "platform/frame_log.h"

#include <fcntl.h>
#include <linux/fb.h>
#include <sys/mman.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <ctime>

static constexpr const char* MODE_PROMPT = "Choose a display mode:\n"
                                           " 1. litle window in the midle          -> ideal\n"
                                           " 2. window (double size) in the midle  -> slow \n"
                                           " 3. full                               -> snail\n"
                                           "Type corresponding number : ";
static constexpr const char* DEVICE = "/dev/fb0";

static int fb_fd = -1;
static fb_fix_screeninfo fix_info;
static fb_var_screeninfo var_info;
static uint8_t* fb_memory; // the whole mapping, smem_len bytes
static size_t fb_memory_length;

static FbArea area; // the visible area as it is addressed, clipped to the mapping
static int bytes_per_pixel;

static int layout = 1;
static Image* screen_image; // layout 3 only
static uint32_t frame_width, frame_height;

static bool pseudo_colour;
static FbColourMap program_colours;
static PixelChannels channels;
static std::array<uint16_t, 256> lookup16;
static std::array<uint32_t, 256> lookup32;

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
    fb_fd = fb_device_open(DEVICE, O_RDWR | O_CLOEXEC);
    if (fb_fd < 0) {
        std::printf("ERROR: can't open the %s device!\n", DEVICE);
        demo_exit(255);
    }
    if (fb_device_ioctl(fb_fd, FBIOGET_FSCREENINFO, &fix_info) != 0) demo_exit(254);
    if (fb_device_ioctl(fb_fd, FBIOGET_VSCREENINFO, &var_info) != 0) demo_exit(253);
    if (fix_info.type != FB_TYPE_PACKED_PIXELS)
        fb_fail("ERROR: can handle only packed pixel frame buffers!\n", 252);
    void* memory = fb_device_mmap(fix_info.smem_len, fb_fd);
    if (memory == MAP_FAILED) fb_fail("ERROR: can't exec mmap!\n", 251);
    fb_memory = static_cast<uint8_t*>(memory);
    fb_memory_length = fix_info.smem_len;
}

static void fb_report_and_check_display()
{
    channels = {{int(var_info.red.offset), int(var_info.red.length)},
                {int(var_info.green.offset), int(var_info.green.length)},
                {int(var_info.blue.offset), int(var_info.blue.length)}};
    std::printf("The display is a %.16s ", fix_info.id);
    if (const char* name = fb_visual_name(fix_info.visual))
        std::printf("%s", name);
    else
        std::printf("ERROR - (%d)", int(fix_info.visual));
    std::printf(" with %d X %d\n", int(var_info.xres), int(var_info.yres));

    bytes_per_pixel = int(var_info.bits_per_pixel / 8);
    pseudo_colour = fix_info.visual == FB_VISUAL_PSEUDOCOLOR && bytes_per_pixel == 1;
    const bool true_colour =
        fix_info.visual == FB_VISUAL_TRUECOLOR && (bytes_per_pixel == 2 || bytes_per_pixel == 4);
    if (!pseudo_colour && !true_colour)
        fb_fail("ERROR: can handle only TRUE\xA0"
                "COLOR (16 & 32 bit) or\n"
                "       PSEUDO COLOR (8 bit) displays!\n",
                250);
    area = fb_area_of(fix_info, var_info, fb_memory, fb_memory_length);
    // Nothing of the visible area lies inside the memory the device lets us map.
    if (area.height == 0) fb_fail("ERROR: can't exec mmap!\n", 251);
}

// The answer, corrected to what the screen can hold.
static int fb_correct_layout(int answer, uint32_t w, uint32_t h)
{
    const uint32_t W = area.width, H = area.height;
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

    layout = fb_correct_layout(ask_number(MODE_PROMPT, 1, 3), frame_width, frame_height);
    if (layout == 3 && image_create(&screen_image, area.width, area.height) != 0) {
        display_close();
        fb_fail("Cann't allocate image!\n", 250);
    }

    if (pseudo_colour) {
        program_colours = {};
        if (fb_console_save_colours(fb_fd) != 0) std::printf("ERROR: ioctl(FBIOGETCMAP) !\n");
        if (fb_colour_map_put(fb_fd, &program_colours) != 0)
            std::printf("ERROR: ioctl(FBIOPUTCMAP) !\n");
    }
    fb_console_hide_cursor();
    fb_console_graphics();
    const timespec settle{0, 200000000};
    nanosleep(&settle, nullptr);
    std::memset(fb_memory, 0, fb_memory_length);
    fb_console_set_memory(fb_memory, fb_memory_length);
}

void display_set_palette(const uint8_t* palette)
{
    if (fb_memory == nullptr) return;
    if (pseudo_colour) {
        for (int i = 0; i < 256; i++) {
            program_colours.red[i] = uint16_t(palette[3 * i] << 8);
            program_colours.green[i] = uint16_t(palette[3 * i + 1] << 8);
            program_colours.blue[i] = uint16_t(palette[3 * i + 2] << 8);
        }
        // While the console is away the colours wait for its return (see display_present).
        if (fb_console_state() == FB_CONSOLE_ACTIVE &&
            fb_colour_map_put(fb_fd, &program_colours) != 0)
            std::printf("ERROR: ioctl(FBIOPUTCMAP) !\n");
    } else if (bytes_per_pixel == 2) {
        pixels_table_fill(lookup16, palette, channels, false);
    } else {
        pixels_table_fill(lookup32, palette, channels, false);
    }
}

// Writes rows x columns of frame pixels at dst, each pixel scale x scale screen pixels.
static void fb_put(const uint8_t* pixels, uint32_t columns, uint32_t rows, uint8_t* dst, int scale)
{
    const std::span<const uint8_t> src(pixels, size_t(columns) * rows);
    if (pseudo_colour && scale == 1) {
        for (uint32_t y = 0; y < rows; y++)
            std::memcpy(dst + y * area.line_length, &src[size_t(y) * columns], columns);
    } else if (pseudo_colour) {
        pixels_convert(src, columns, rows, pixels_identity_table, dst, area.line_length, scale);
    } else if (bytes_per_pixel == 2) {
        pixels_convert(src, columns, rows, lookup16, dst, area.line_length, scale);
    } else {
        pixels_convert(src, columns, rows, lookup32, dst, area.line_length, scale);
    }
}

void display_present(const Image* frame)
{
    const FrameLogPresent logged;
    if (fb_memory == nullptr || frame->width != frame_width || frame->height != frame_height)
        return;
    if (!fb_console_begin_draw()) return;
    // The console loaded its own colours while it was away.
    if (fb_console_colours_lost() && pseudo_colour &&
        fb_colour_map_put(fb_fd, &program_colours) != 0)
        std::printf("ERROR: ioctl(FBIOPUTCMAP) !\n");

    const uint32_t w = frame->width, h = frame->height;
    const size_t bpp = size_t(bytes_per_pixel);
    if (layout == 3) {
        image_blit_scaled(screen_image, 0, 0, int32_t(area.width), int32_t(area.height), frame, 0,
                          0, int32_t(w), int32_t(h), 0, 0);
        fb_put(screen_image->pixels, area.width, area.height, area.start, 1);
    } else {
        const uint32_t scale = uint32_t(layout);
        const uint32_t left = (area.width - scale * w) / 2;
        const uint32_t top = (area.height - scale * h) / 2;
        fb_put(frame->pixels, w, h, area.start + top * area.line_length + left * bpp, int(scale));
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
    if (fb_memory != nullptr) fb_device_munmap(fb_memory, fb_memory_length);
    fb_memory = nullptr;
    fb_memory_length = 0;
    if (fb_fd >= 0) fb_device_close(fb_fd);
    fb_fd = -1;
}
