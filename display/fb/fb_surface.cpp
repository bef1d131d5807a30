#include "display/fb/fb_surface.h"

#include "display/fb/fb_device.h"

#include <fcntl.h>
#include <sys/mman.h>

int fb_surface_open(FbSurface* s, const char* path)
{
    s->fd = fb_device_open(path, O_RDWR | O_CLOEXEC);
    if (s->fd < 0) return FB_SURFACE_NO_DEVICE;
    return fb_surface_read(s);
}

int fb_surface_read(FbSurface* s)
{
    if (fb_device_ioctl(s->fd, FBIOGET_FSCREENINFO, &s->fix) != 0) return FB_SURFACE_NO_FIXED;
    if (fb_device_ioctl(s->fd, FBIOGET_VSCREENINFO, &s->var) != 0) return FB_SURFACE_NO_MODE;
    if (s->fix.type != FB_TYPE_PACKED_PIXELS) return FB_SURFACE_NOT_PACKED;
    // A mode switch may change the memory the device lets us map.
    if (s->memory != nullptr && s->memory_length == s->fix.smem_len) return 0;
    if (s->memory != nullptr) fb_device_munmap(s->memory, s->memory_length);
    s->memory = nullptr;
    s->memory_length = 0;
    void* memory = fb_device_mmap(s->fix.smem_len, s->fd);
    if (memory == MAP_FAILED) return FB_SURFACE_NO_MAPPING;
    s->memory = static_cast<uint8_t*>(memory);
    s->memory_length = s->fix.smem_len;
    return 0;
}

void fb_surface_close(FbSurface* s)
{
    if (s->memory != nullptr) fb_device_munmap(s->memory, s->memory_length);
    s->memory = nullptr;
    s->memory_length = 0;
    if (s->fd >= 0) fb_device_close(s->fd);
    s->fd = -1;
}

bool fb_surface_showable(const fb_fix_screeninfo& fix, const fb_var_screeninfo& var)
{
    // Exactly 8, 16 or 32 bits: any other count would put every pixel at the wrong place.
    const uint32_t bits = var.bits_per_pixel;
    return fix.type == FB_TYPE_PACKED_PIXELS &&
           ((fix.visual == FB_VISUAL_PSEUDOCOLOR && bits == 8) ||
            (fix.visual == FB_VISUAL_TRUECOLOR && (bits == 16 || bits == 32)));
}

void fb_surface_describe(FbSurface* s)
{
    s->area = fb_area_of(s->fix, s->var, s->memory, s->memory_length);
    s->pseudo_colour = s->fix.visual == FB_VISUAL_PSEUDOCOLOR;
    s->channels = {{int(s->var.red.offset), int(s->var.red.length)},
                   {int(s->var.green.offset), int(s->var.green.length)},
                   {int(s->var.blue.offset), int(s->var.blue.length)}};
    s->tables.bytes = s->pseudo_colour ? 0 : s->area.bytes_per_pixel;
}

void fb_surface_set_palette(FbSurface* s, const uint8_t* palette)
{
    for (int i = 0; i < 256; i++) {
        s->colour_map.red[i] = uint16_t(palette[3 * i] << 8);
        s->colour_map.green[i] = uint16_t(palette[3 * i + 1] << 8);
        s->colour_map.blue[i] = uint16_t(palette[3 * i + 2] << 8);
    }
    pixels_tables_fill(&s->tables, palette, s->channels, false);
}

int fb_surface_put_colour_map(FbSurface* s)
{
    return s->pseudo_colour ? fb_colour_map_put(s->fd, &s->colour_map) : 0;
}

int fb_surface_begin_draw(FbSurface* s)
{
    if (!fb_console_begin_draw()) return FB_SURFACE_AWAY;
    if (!fb_console_colours_lost()) return FB_SURFACE_READY;
    return fb_surface_put_colour_map(s) == 0 ? FB_SURFACE_BACK : FB_SURFACE_BACK_COLOURS_REFUSED;
}

void fb_surface_put(const FbSurface& s, const uint8_t* pixels, uint32_t width, uint32_t height,
                    uint32_t left, uint32_t top, int scale)
{
    uint8_t* dst = s.area.start + top * s.area.line_length + left * size_t(s.area.bytes_per_pixel);
    const std::span<const uint8_t> frame(pixels, size_t(width) * height);
    pixels_put(s.tables, frame, width, height, dst, s.area.line_length, scale);
}
