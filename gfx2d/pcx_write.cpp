// The PCX writer: version 5, one 8-bit plane, run-length encoded, palette appended.
#include "gfx2d/pcx.h"

#include "data/files.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

static void pcx_put_u16(uint8_t* p, unsigned v)
{
    p[0] = uint8_t(v);
    p[1] = uint8_t(v >> 8);
}

long pcx_encode(const Image* img, const uint8_t* palette, uint8_t** out)
{
    const size_t w = img->width, h = img->height;
    // Worst case: every pixel needs a run header of its own.
    auto* buf = static_cast<uint8_t*>(std::malloc(2 * w * h + 1000));
    if (buf == nullptr) {
        std::printf("ERROR: couldn't allocate");
        return -1;
    }
    std::memset(buf, 0, 128);
    buf[0] = 0x0a;
    buf[1] = 5;
    buf[2] = 1;
    buf[3] = 8;
    pcx_put_u16(buf + 8, unsigned(w - 1));
    pcx_put_u16(buf + 10, unsigned(h - 1));
    pcx_put_u16(buf + 12, unsigned(w));
    pcx_put_u16(buf + 14, unsigned(h));
    buf[65] = 1;
    pcx_put_u16(buf + 66, unsigned(w));
    pcx_put_u16(buf + 68, 2);

    // Runs of equal pixels within a row (at most 63 each); a lone value below 0xC0 stands
    // for itself.
    size_t n = 128;
    for (size_t y = 0; y < h; y++) {
        const uint8_t* row = img->pixels + y * w;
        for (size_t x = 0; x < w;) {
            size_t run = 1;
            while (x + run < w && run < 63 && row[x + run] == row[x]) run++;
            if (run == 1 && row[x] < 0xc0) {
                buf[n++] = row[x];
            } else {
                buf[n++] = uint8_t(0xc0 | run);
                buf[n++] = row[x];
            }
            x += run;
        }
    }
    buf[n++] = 0x0c;
    std::memcpy(buf + n, palette, 768);
    n += 768;
    *out = buf;
    return long(n);
}

int pcx_write(const char* path, const Image* img, const uint8_t* palette)
{
    uint8_t* data;
    const long size = pcx_encode(img, palette, &data);
    if (size < 0) return -1;
    const int result = file_write_all(path, data, size_t(size));
    std::free(data);
    return result == 0 ? PCX_OK : -1;
}
