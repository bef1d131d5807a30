// Where a framebuffer device shows its picture inside its memory. Devices pad their lines and
// may show a panned part of a larger virtual screen, so addressing goes through the line length
// and the visible offsets; the visible size is clipped to what the mapping holds, so that every
// write stays inside it whatever the device reports.
#pragma once

#include <linux/fb.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>

struct FbArea {
    uint8_t* start = nullptr; // first byte of the visible area
    size_t line_length = 0;   // bytes from one line to the next
    uint32_t width = 0, height = 0;
    int bytes_per_pixel = 0;
};

inline FbArea fb_area_of(const fb_fix_screeninfo& fix, const fb_var_screeninfo& var,
                         uint8_t* memory, size_t length)
{
    FbArea a;
    a.bytes_per_pixel = int(var.bits_per_pixel / 8);
    const size_t bpp = size_t(a.bytes_per_pixel);
    if (bpp == 0) return a;
    a.line_length = fix.line_length != 0 ? fix.line_length : size_t(var.xres_virtual) * bpp;
    const size_t skip = size_t(var.xoffset) * bpp;
    const size_t start = size_t(var.yoffset) * a.line_length + skip;
    const size_t room = a.line_length > skip ? (a.line_length - skip) / bpp : 0;
    a.width = uint32_t(std::min<size_t>(var.xres, room));
    const size_t row_bytes = size_t(a.width) * bpp;
    if (a.width > 0 && start < length && length - start >= row_bytes)
        a.height =
            uint32_t(std::min<size_t>(var.yres, (length - start - row_bytes) / a.line_length + 1));
    a.start = memory + (start < length ? start : 0);
    return a;
}
