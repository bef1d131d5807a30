// PCX pictures: version 5, run-length encoded, one 8-bit plane, 256-colour palette at the end.
#pragma once

#include "gfx2d/image.h"

#include <cstddef>
#include <cstdint>

constexpr int PCX_OK = 5; // what pcx_load_image and pcx_read_palette answer on success

// 0; -1: no file or empty, -2: not the accepted variant, -3: no memory, -4: malformed data.
// palette, width and height may be null; pixels null asks for the palette and size only.
int pcx_read(const char* path, uint8_t** pixels, uint8_t* palette, int32_t* width, int32_t* height);
// The same for a file already in memory; path only names it in messages.
int pcx_read_memory(const char* path, const uint8_t* file, size_t size, uint8_t** pixels,
                    uint8_t* palette, int32_t* width, int32_t* height);
// PCX_OK, or -1 on any failure (*out is null then).
int pcx_load_image(const char* path, Image** out, uint8_t* palette);
int pcx_read_palette(const char* path, uint8_t* palette);

// Encodes img and palette as a PCX file in memory; the caller frees *out. Returns the size,
// or -1 when the buffer can't be had.
long pcx_encode(const Image* img, const uint8_t* palette, uint8_t** out);
// PCX_OK, or -1 on failure.
int pcx_write(const char* path, const Image* img, const uint8_t* palette);
