#include "gfx2d/pcx.h"

#include "data/files.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr size_t PCX_HEADER = 128;
constexpr size_t PCX_PALETTE = 768;
// A run header (two top bits set) and its value give at most 63 pixels: no honest file
// decodes to more than 32 bytes per byte of data.
constexpr size_t PCX_MAX_EXPANSION = 32;

unsigned pcx_u16(const uint8_t* p)
{
    return p[0] | p[1] << 8;
}

// The whole file, from the selected archive or from the directory tree.
long pcx_fetch(const char* path, uint8_t** data)
{
    *data = nullptr;
    if (const char* archive = archive_selected()) return archive_read_member(archive, path, data);
    return file_read_all(path, data);
}

// Decodes the run-length stream into out; false when the stream ends first.
bool pcx_decode(const uint8_t* in, size_t in_size, uint8_t* out, size_t out_size)
{
    size_t i = 0, o = 0;
    while (o < out_size && i < in_size) {
        const uint8_t b = in[i++];
        if (b < 0xc0) {
            out[o++] = b;
            continue;
        }
        if (i >= in_size) break;
        const uint8_t value = in[i++];
        for (int count = b & 0x3f; count > 0 && o < out_size; count--) out[o++] = value;
    }
    return o == out_size;
}

int pcx_parse(const char* path, const uint8_t* file, size_t size, uint8_t** pixels,
              uint8_t* palette, int32_t* width, int32_t* height)
{
    static const uint8_t signature[4] = {0x0a, 0x05, 0x01, 0x08};
    if (size < PCX_HEADER || std::memcmp(file, signature, 4) != 0) {
        std::printf("ERROR: Bad pcx file %s", path);
        return -2;
    }
    const int32_t w = int32_t(pcx_u16(file + 8)) - int32_t(pcx_u16(file + 4)) + 1;
    const int32_t h = int32_t(pcx_u16(file + 10)) - int32_t(pcx_u16(file + 6)) + 1;
    const size_t line = pcx_u16(file + 66);
    const bool too_short_for_palette = palette != nullptr && size < PCX_HEADER + PCX_PALETTE;
    if (w <= 0 || h <= 0 || line < size_t(w) || too_short_for_palette) {
        std::printf("PCX file %s was malformed", path);
        return -4;
    }

    if (palette != nullptr) std::memcpy(palette, file + size - PCX_PALETTE, PCX_PALETTE);
    if (width != nullptr) *width = w;
    if (height != nullptr) *height = h;
    if (pixels == nullptr) return 0;

    const size_t decoded_size = line * size_t(h);
    if (decoded_size > (size - PCX_HEADER) * PCX_MAX_EXPANSION) {
        std::printf("PCX file %s was malformed", path);
        return -4;
    }
    auto* decoded = static_cast<uint8_t*>(std::malloc(decoded_size));
    if (decoded == nullptr) {
        std::printf("ERROR: couldn't allocate");
        return -3;
    }
    if (!pcx_decode(file + PCX_HEADER, size - PCX_HEADER, decoded, decoded_size)) {
        std::printf("PCX file %s was malformed", path);
        std::free(decoded);
        return -4;
    }
    if (line == size_t(w)) {
        *pixels = decoded;
        return 0;
    }

    // Rows padded to bytes-per-line: keep the first width bytes of each.
    auto* packed = static_cast<uint8_t*>(std::malloc(size_t(w) * h));
    if (packed == nullptr) {
        std::printf("ERROR: couldn't allocate");
        std::free(decoded);
        return -3;
    }
    for (int32_t y = 0; y < h; y++) std::memcpy(packed + size_t(y) * w, decoded + y * line, w);
    std::free(decoded);
    *pixels = packed;
    return 0;
}

} // namespace

int pcx_read(const char* path, uint8_t** pixels, uint8_t* palette, int32_t* width, int32_t* height)
{
    if (pixels != nullptr) *pixels = nullptr; // what every failure leaves
    uint8_t* file;
    const long size = pcx_fetch(path, &file);
    if (size <= 0) {
        std::printf("ERROR: Bad pcx file %s", path);
        std::free(file);
        return -1;
    }
    const int result = pcx_parse(path, file, size_t(size), pixels, palette, width, height);
    std::free(file);
    return result;
}

int pcx_load_image(const char* path, Image** out, uint8_t* palette)
{
    *out = nullptr;
    uint8_t* pixels;
    int32_t w, h;
    if (pcx_read(path, &pixels, palette, &w, &h) != 0) return -1;
    auto* img = static_cast<Image*>(std::malloc(sizeof(Image)));
    if (img == nullptr) {
        std::free(pixels);
        return -1;
    }
    *img = Image{uint32_t(w), uint32_t(h), pixels};
    *out = img;
    return PCX_OK;
}

int pcx_read_palette(const char* path, uint8_t* palette)
{
    return pcx_read(path, nullptr, palette, nullptr, nullptr) == 0 ? PCX_OK : -1;
}
