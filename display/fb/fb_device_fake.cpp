#include "display/fb/fb_device_fake.h"

#include "display/fb/fb_device.h"

#include <linux/kd.h>
#include <linux/vt.h>
#include <sys/ioctl.h>
#include <sys/mman.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

static constexpr int FAKE_FB_FD = 100;
static constexpr size_t GUARD_BYTES = 4096;
static constexpr uint8_t GUARD_VALUE = 0xEE;
static FbFakeDevice device;
static fb_var_screeninfo reset_mode; // the device always takes back the mode it started in

FbFakeDevice& fb_fake()
{
    return device;
}

void fb_fake_set_mode(uint32_t width, uint32_t height, uint32_t bits, uint32_t line)
{
    const uint32_t bpp = bits / 8;
    device.var.xres = device.var.xres_virtual = width;
    device.var.yres = device.var.yres_virtual = height;
    device.var.bits_per_pixel = bits;
    device.fix.line_length = line != 0 ? line : width * bpp;
    device.fix.visual = bits == 8 ? FB_VISUAL_PSEUDOCOLOR : FB_VISUAL_TRUECOLOR;
    if (bits == 16) {
        device.var.red = {11, 5, 0};
        device.var.green = {5, 6, 0};
        device.var.blue = {0, 5, 0};
    } else if (bits == 32) {
        device.var.red = {16, 8, 0};
        device.var.green = {8, 8, 0};
        device.var.blue = {0, 8, 0};
    } else {
        device.var.red = device.var.green = device.var.blue = {0, 8, 0};
    }
}

void fb_fake_reset(uint32_t width, uint32_t height, uint32_t bits, uint32_t line_length,
                   uint32_t memory_length)
{
    device = FbFakeDevice{};
    std::strcpy(device.fix.id, "Fake FB");
    device.fix.type = FB_TYPE_PACKED_PIXELS;
    fb_fake_set_mode(width, height, bits, line_length);
    device.fix.smem_len = memory_length != 0 ? memory_length : device.fix.line_length * height;
    device.memory.assign(device.fix.smem_len + GUARD_BYTES, GUARD_VALUE);
    reset_mode = device.var;
}

uint32_t fb_fake_pixel(uint32_t x, uint32_t y)
{
    const uint32_t bpp = device.var.bits_per_pixel / 8;
    const size_t at = size_t(y + device.var.yoffset) * device.fix.line_length +
                      size_t(x + device.var.xoffset) * bpp;
    device.memory.at(at + bpp - 1); // throws outside the memory
    uint32_t value = 0;
    std::memcpy(&value, device.memory.data() + at, bpp);
    return value;
}

int fb_fake_count(unsigned long request)
{
    int n = 0;
    for (const FbFakeRequest& r : device.requests) n += r.request == request;
    return n;
}

bool fb_fake_guard_intact()
{
    for (size_t i = device.fix.smem_len; i < device.memory.size(); i++)
        if (device.memory[i] != GUARD_VALUE) return false;
    return true;
}

int fb_device_open(const char* path, int)
{
    if (device.fail_open || std::strcmp(path, "/dev/fb0") != 0) {
        errno = ENOENT;
        return -1;
    }
    device.open = true;
    return FAKE_FB_FD;
}

int fb_device_close(int fd)
{
    if (fd == FAKE_FB_FD) device.open = false;
    return 0;
}

static int fb_fake_colours(fb_cmap* map, bool put)
{
    if (map->start + map->len > 256) return errno = EINVAL, -1;
    for (uint32_t i = 0; i < map->len; i++) {
        const uint32_t at = map->start + i;
        uint16_t* channels[][2] = {{&device.colours.red[at], &map->red[i]},
                                   {&device.colours.green[at], &map->green[i]},
                                   {&device.colours.blue[at], &map->blue[i]}};
        for (auto& c : channels) {
            if (put)
                *c[0] = *c[1];
            else
                *c[1] = *c[0];
        }
    }
    return 0;
}

static int fb_fake_put_mode(fb_var_screeninfo* wanted)
{
    if (device.modes.empty()) {
        *wanted = device.var; // as vesafb: accepted, nothing changes
        return 0;
    }
    if (wanted->xres == reset_mode.xres && wanted->yres == reset_mode.yres &&
        wanted->bits_per_pixel == reset_mode.bits_per_pixel) {
        if ((wanted->activate & FB_ACTIVATE_MASK) != FB_ACTIVATE_TEST)
            fb_fake_set_mode(wanted->xres, wanted->yres, wanted->bits_per_pixel, 0);
        return 0;
    }
    for (auto [w, h] : device.modes) {
        if (wanted->xres != w || wanted->yres != h || wanted->bits_per_pixel != 8) continue;
        if ((wanted->activate & FB_ACTIVATE_MASK) != FB_ACTIVATE_TEST) {
            fb_fake_set_mode(w, h, 8, 0);
            device.var.xoffset = device.var.yoffset = 0;
        }
        return 0;
    }
    return errno = EINVAL, -1;
}

int fb_device_ioctl(int fd, unsigned long request, void* arg)
{
    if (device.signal_before != 0 && request == device.signal_before_request) {
        const int signo = device.signal_before;
        device.signal_before = 0;
        raise(signo);
    }
    long value = 0;
    if (request == VT_SETMODE) value = static_cast<vt_mode*>(arg)->mode;
    if (request == VT_RELDISP || request == KDSETMODE) value = reinterpret_cast<long>(arg);
    if (request == FBIOPUTCMAP) value = static_cast<fb_cmap*>(arg)->red[255];
    device.requests.push_back({fd, request, value});
    if (device.log && request == FBIOPUT_VSCREENINFO) {
        const auto* mode = static_cast<fb_var_screeninfo*>(arg);
        std::fprintf(stderr, "fake FBIOPUT_VSCREENINFO %ux%u\n", mode->xres, mode->yres);
    }
    if (device.log && (request == VT_SETMODE || request == VT_RELDISP || request == FBIOPUTCMAP ||
                       request == KDSETMODE))
        std::fprintf(stderr, "fake %s %ld\n",
                     request == VT_SETMODE   ? "VT_SETMODE"
                     : request == VT_RELDISP ? "VT_RELDISP"
                     : request == KDSETMODE  ? "KDSETMODE"
                                             : "FBIOPUTCMAP",
                     value);
    if (request == device.failing_request) return errno = EIO, -1;

    const bool on_tty = fd == 1 && !device.tty.empty();
    switch (request) {
    case VT_SETMODE:
    case VT_RELDISP:
    case KDSETMODE:
        return on_tty ? 0 : (errno = ENOTTY, -1);
    case VT_GETSTATE:
        if (!on_tty) return errno = ENOTTY, -1;
        static_cast<vt_stat*>(arg)->v_active = device.active_vt;
        return 0;
    }
    if (fd != FAKE_FB_FD || !device.open) return errno = EBADF, -1;
    switch (request) {
    case FBIOGET_FSCREENINFO:
        *static_cast<fb_fix_screeninfo*>(arg) = device.fix;
        return 0;
    case FBIOGET_VSCREENINFO:
        *static_cast<fb_var_screeninfo*>(arg) = device.var;
        return 0;
    case FBIOPUT_VSCREENINFO:
        return fb_fake_put_mode(static_cast<fb_var_screeninfo*>(arg));
    case FBIOGETCMAP:
        return fb_fake_colours(static_cast<fb_cmap*>(arg), false);
    case FBIOPUTCMAP:
        return fb_fake_colours(static_cast<fb_cmap*>(arg), true);
    case FBIO_WAITFORVSYNC:
        return device.vsync ? 0 : (errno = ENOTTY, -1);
    }
    return errno = ENOTTY, -1;
}

void* fb_device_mmap(size_t length, int fd)
{
    if (device.fail_mmap || fd != FAKE_FB_FD || length == 0 || length > device.fix.smem_len)
        return MAP_FAILED;
    device.mapped = true;
    return device.memory.data();
}

int fb_device_munmap(void*, size_t)
{
    device.mapped = false;
    return 0;
}

const char* fb_device_ttyname(int fd)
{
    return fd == 1 && !device.tty.empty() ? device.tty.c_str() : nullptr;
}
