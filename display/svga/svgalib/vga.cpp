// The stand-in for SVGAlib's vga calls, on the Linux framebuffer console. A 256-colour mode is
// offered when the device can be switched to it (FBIOPUT_VSCREENINFO, tried first with
// FB_ACTIVATE_TEST) or when it fits on the current screen, where it is shown centred. The
// mode's graphics memory is ours; svgalib_standin_show puts it on the screen, as it is on 8-bit
// pseudo-colour displays or through a lookup table on 16- and 32-bit true-colour ones.
// Console switching is taken at vga_init, as SVGAlib does; a switch away is granted at once
// unless a picture is being written, and nothing is drawn while the console is away.
// vga_setmode(TEXT) gives the console back: its mode, colours, cursor and automatic switching.
#include "display/fb/fb_console.h"
#include "display/fb/fb_device.h"
#include "display/fb/fb_surface.h"
#include "display/svga/svgalib/standin.h"

#include <vga.h>

#include <sys/ioctl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

struct ModeSize {
    int mode, width, height;
};
constexpr std::array<ModeSize, 6> MODES = {{{G320x200x256, 320, 200},
                                            {G320x240x256, 320, 240},
                                            {G320x400x256, 320, 400},
                                            {G360x480x256, 360, 480},
                                            {G640x480x256, 640, 480},
                                            {G800x600x256, 800, 600}}};

const ModeSize* vga_mode_size(int mode)
{
    for (const ModeSize& m : MODES)
        if (m.mode == mode) return &m;
    return nullptr;
}

bool initialised;
bool console_taken;
FbSurface surface;
fb_fix_screeninfo original_fix; // the console's own mode
fb_var_screeninfo original_var;

int current_mode = TEXT;
bool mode_switched; // the device was switched to mode_var
bool mode_lost;     // ... and another console has set its own mode since
fb_var_screeninfo mode_var;
int mode_width, mode_height;
uint8_t* graphics_memory; // mode_width x mode_height palette indices
uint32_t left, top;       // where the mode's picture sits on the screen

uint8_t palette[768]; // 8 bits per channel
timespec last_retrace;

// The device's answer to a switch to width x height at 8 bits, tried or made.
bool vga_switch(int width, int height, uint32_t activate, fb_var_screeninfo* result)
{
    fb_var_screeninfo wanted = original_var;
    wanted.xres = wanted.xres_virtual = uint32_t(width);
    wanted.yres = wanted.yres_virtual = uint32_t(height);
    wanted.xoffset = wanted.yoffset = 0;
    wanted.bits_per_pixel = 8;
    wanted.grayscale = 0;
    wanted.activate = activate;
    // A device without a check of its own answers with its current mode (vesafb).
    if (fb_device_ioctl(surface.fd, FBIOPUT_VSCREENINFO, &wanted) != 0) return false;
    if (result != nullptr) *result = wanted;
    return wanted.xres == uint32_t(width) && wanted.yres == uint32_t(height) &&
           wanted.bits_per_pixel == 8;
}

bool vga_fits_current(int width, int height)
{
    const FbArea now =
        fb_area_of(original_fix, original_var, surface.memory, surface.memory_length);
    return fb_surface_showable(original_fix, original_var) && now.width >= uint32_t(width) &&
           now.height >= uint32_t(height);
}

bool vga_reapply_mode()
{
    mode_var.activate = FB_ACTIVATE_NOW;
    fb_device_ioctl(surface.fd, FBIOPUT_VSCREENINFO, &mode_var);
    if (fb_surface_read(&surface) != 0) return false;
    fb_console_set_memory(surface.memory, surface.memory_length);
    surface.area = fb_area_of(surface.fix, surface.var, surface.memory, surface.memory_length);
    if (surface.area.width < uint32_t(mode_width) || surface.area.height < uint32_t(mode_height))
        return false;
    mode_lost = false;
    fb_surface_put_colour_map(&surface);
    return true;
}

// Back to the console as it was: mode, colours, cursor, switching.
void vga_text_mode()
{
    std::free(graphics_memory);
    graphics_memory = nullptr;
    current_mode = TEXT;
    fb_console_set_memory(nullptr, 0);
    if (console_taken) fb_console_give_back();
    console_taken = false;
    if (surface.fd >= 0) fb_surface_read(&surface);
}

bool vga_take_console()
{
    if (console_taken) return true;
    if (fb_console_take(STDOUT_FILENO, true) != 0) return false;
    console_taken = true;
    return true;
}

} // namespace

int vga_init(void)
{
    if (initialised) return 0;
    if (!fb_console_is_virtual(STDOUT_FILENO)) return -1;
    if (fb_surface_open(&surface, "/dev/fb0") != 0 || !vga_take_console()) {
        fb_surface_close(&surface);
        return -1;
    }
    original_fix = surface.fix;
    original_var = surface.var;
    initialised = true;
    return 0;
}

int vga_hasmode(int mode)
{
    if (mode == TEXT) return 1;
    const ModeSize* m = vga_mode_size(mode);
    if (!initialised || m == nullptr) return 0;
    if (vga_fits_current(m->width, m->height)) return 1;
    return vga_switch(m->width, m->height, FB_ACTIVATE_TEST, nullptr) ? 1 : 0;
}

int vga_setmode(int mode)
{
    if (mode == -1) return 0x1925; // the version this stand-in follows
    if (mode == TEXT) {
        vga_text_mode();
        return 0;
    }
    const ModeSize* m = vga_mode_size(mode);
    if (m == nullptr || !vga_hasmode(mode)) return -1;
    if (current_mode != TEXT) vga_text_mode();
    if (!vga_take_console()) return -1;

    // A real switch where the device makes one; otherwise the mode is centred on the screen.
    const uint32_t w = uint32_t(m->width), h = uint32_t(m->height);
    const bool already =
        original_var.xres == w && original_var.yres == h && original_var.bits_per_pixel == 8;
    // In graphics mode before the switch: the console keeps its text and size for the way back
    // instead of cutting its lines to the mode's width.
    fb_console_graphics();
    // The console's colours, kept for the way back, as they are before any switch.
    if (original_fix.visual == FB_VISUAL_PSEUDOCOLOR) fb_console_save_colours(surface.fd);
    mode_switched = mode_lost = false;
    if (!already) {
        fb_console_save_mode(surface.fd, original_var);
        mode_switched = vga_switch(m->width, m->height, FB_ACTIVATE_NOW, &mode_var);
        if (fb_surface_read(&surface) != 0) {
            vga_text_mode();
            return -1;
        }
    }
    fb_surface_describe(&surface);
    const FbArea& area = surface.area;
    if (!fb_surface_showable(surface.fix, surface.var) || area.width < w || area.height < h) {
        vga_text_mode();
        return -1;
    }
    graphics_memory = static_cast<uint8_t*>(std::calloc(size_t(m->width) * m->height, 1));
    if (graphics_memory == nullptr) {
        vga_text_mode();
        return -1;
    }
    current_mode = mode;
    mode_width = m->width;
    mode_height = m->height;
    left = (area.width - w) / 2;
    top = (area.height - h) / 2;

    // Black colours and a cleared screen.
    std::memset(palette, 0, sizeof palette);
    fb_surface_set_palette(&surface, palette);
    fb_surface_put_colour_map(&surface);
    fb_console_hide_cursor();
    std::memset(surface.memory, 0, surface.memory_length);
    fb_console_set_memory(surface.memory, surface.memory_length);
    clock_gettime(CLOCK_MONOTONIC, &last_retrace);
    return 0;
}

vga_modeinfo* vga_getmodeinfo(int mode)
{
    static vga_modeinfo info;
    info = {};
    if (mode == TEXT) {
        info.width = 80;
        info.height = 25;
        info.colors = 16;
        info.linewidth = 160;
        info.flags = HAVE_EXT_SET;
        return &info;
    }
    const ModeSize* m = vga_mode_size(mode);
    if (m == nullptr) return nullptr;
    info.width = m->width;
    info.height = m->height;
    info.bytesperpixel = 1;
    info.colors = 256;
    info.linewidth = info.maxlogicalwidth = m->width;
    info.maxpixels = m->width * m->height;
    info.flags = IS_LINEAR;
    return &info;
}

int vga_getcolors(void)
{
    return current_mode == TEXT ? 16 : 256;
}

int vga_getcurrentmode(void)
{
    return current_mode;
}

unsigned char* vga_getgraphmem(void)
{
    return graphics_memory;
}

int vga_setpalvec(int start, int num, int* pal)
{
    if (pal == nullptr || start < 0 || num < 0 || start > 256) return 0;
    if (num > 256 - start) num = 256 - start;
    for (int i = 0; i < 3 * num; i++) {
        const int v = pal[i] & 63; // 6-bit colour registers, widened to 8 bits
        palette[3 * start + i] = uint8_t(v << 2 | v >> 4);
    }
    fb_surface_set_palette(&surface, palette);
    if (current_mode == TEXT) return num;
    // Visible at once: a colour map where the device has one, else a new picture. The colour
    // map is put as a picture is drawn, so that no switch away is granted in between.
    if (surface.pseudo_colour) {
        if (fb_console_begin_draw()) {
            fb_surface_put_colour_map(&surface);
            fb_console_end_draw();
        }
    } else {
        svgalib_standin_show();
    }
    return num;
}

void vga_waitretrace(void)
{
    if (current_mode == TEXT) return;
    uint32_t crtc = 0;
    if (fb_device_ioctl(surface.fd, FBIO_WAITFORVSYNC, &crtc) == 0) return;
    // No vertical blank from the driver: one refresh period after the last one.
    long period_ns = 1000000000L / 60;
    const fb_var_screeninfo& var = surface.var;
    const uint64_t htotal = uint64_t(var.xres) + var.left_margin + var.right_margin + var.hsync_len;
    const uint64_t vtotal =
        uint64_t(var.yres) + var.upper_margin + var.lower_margin + var.vsync_len;
    const uint64_t frame_ps = uint64_t(var.pixclock) * htotal * vtotal;
    if (frame_ps >= 5000000000ull && frame_ps <= 50000000000ull) period_ns = long(frame_ps / 1000);
    // The next tick of the refresh after now, ticks counted from the mode's start.
    auto ns_of = [](const timespec& t) { return int64_t(t.tv_sec) * 1000000000 + t.tv_nsec; };
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    const int64_t since = ns_of(now) - ns_of(last_retrace);
    const int64_t next_ns = ns_of(last_retrace) + (since / period_ns + 1) * period_ns;
    const timespec next{time_t(next_ns / 1000000000), long(next_ns % 1000000000)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr) == EINTR) {
    }
    last_retrace = next;
}

void svgalib_standin_show()
{
    if (graphics_memory == nullptr) return;
    const int draw = fb_surface_begin_draw(&surface);
    if (draw == FB_SURFACE_AWAY) return;
    // Back from another console, which has set its own mode (and colours) meanwhile.
    if (draw != FB_SURFACE_READY) mode_lost = mode_switched;
    if (mode_lost && !vga_reapply_mode()) {
        fb_console_end_draw(); // nothing is drawn until the mode is ours again
        return;
    }
    fb_surface_put(surface, graphics_memory, uint32_t(mode_width), uint32_t(mode_height), left, top,
                   1);
    fb_console_end_draw();
}
