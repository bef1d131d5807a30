// The 8-bit indexed picture that everything is drawn into, and the 2D primitives on it.
#pragma once

#include <cstdint>

struct Image {
    uint32_t width; // pixels per row, also the row stride
    uint32_t height;
    uint8_t* pixels; // width * height palette indices, row 0 first
};

// Stores the new record through out first; -1: no record, -2: no pixels (record kept).
int image_create(Image** out, uint32_t width, uint32_t height);
// Releases what *handle holds; the handle itself is left as it is.
void image_destroy(Image** handle);
void image_clear(Image* img, int colour);

// Nearest-neighbour stretch of src's rectangle onto dst's rectangle, clipped to both images.
// With use_key set, source pixels equal to key are left out.
void image_blit_scaled(Image* dst, int32_t dx, int32_t dy, int32_t dw, int32_t dh, const Image* src,
                       int32_t sx, int32_t sy, int32_t sw, int32_t sh, int key, int use_key);

// In-place smoothing in memory order that also darkens by decay: the glowing trails.
void blur_decay(uint8_t* pixels, int32_t width, int32_t height, int decay);

// Clipped line, both end points included.
void image_line(Image* img, int x0, int y0, int x1, int y1, int colour);
// The three edges 0-1, 1-2, 2-0.
void image_triangle_outline(Image* img, int x0, int y0, int x1, int y1, int x2, int y2, int colour);
