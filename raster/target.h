// The render target: the one pixel buffer that every triangle filler writes into.
#pragma once

#include <cstdint>

constexpr int RENDER_TARGET_MAX_ROWS = 1024;

struct RenderTarget {
    int32_t width;  // pixels per row, also the row pitch
    int32_t height; // rows the fillers may touch, at most RENDER_TARGET_MAX_ROWS
    uint8_t* row_table[RENDER_TARGET_MAX_ROWS]; // entry y = pixels + y * width
};

extern RenderTarget render_target;

// Does not take ownership of the pixels. A height above 1024 is cut to 1024 rows.
void set_render_target(uint8_t* pixels, int32_t width, int32_t height);
