#include "scenes2d/text_wave.h"

#include "gfx2d/palette.h"

#include <algorithm>
#include <cstring>

// Evenly spaced points with 16.16 steps over size + 1, so the last point lands on the far edge.
static int32_t text_mesh_coordinate(int index, uint32_t size, int parts)
{
    const uint32_t step = ((size + 1) * 65536u) / uint32_t(parts); // 16.16
    return int32_t((uint64_t(index) * step) >> 16);
}

void text_mesh_init(TextMesh* mesh, uint32_t layer_width, uint32_t layer_height,
                    uint32_t texture_width, uint32_t texture_height)
{
    for (int e = 0; e < TEXT_MESH_COLUMNS; e++) {
        for (int j = 0; j < TEXT_MESH_ROWS; j++) {
            mesh->base[e][j] = {text_mesh_coordinate(e, layer_width, TEXT_MESH_COLUMNS - 1),
                                text_mesh_coordinate(j, layer_height, TEXT_MESH_ROWS - 1)};
            mesh->tex[e][j] = {text_mesh_coordinate(e, texture_width, TEXT_MESH_COLUMNS - 1),
                               text_mesh_coordinate(j, texture_height, TEXT_MESH_ROWS - 1)};
            mesh->shift[e][j] = {0, 0};
        }
    }
}

void text_mesh_wave(TextMesh* mesh, int32_t frame)
{
    const int32_t f = frame * 32;
    const int32_t a = int32_t(f * 1.975);
    const int32_t b = int32_t(f * 1.137);
    // Two waves each: a fast one across the mesh and a slow sway of the whole (arithmetic
    // shifts of the amplitude-1023 tables).
    const int32_t sway_x = sin_table[(f >> 1) & 1023] >> 6;
    const int32_t sway_y = sin_table[(f >> 2) & 1023] >> 6;
    for (int e = 1; e < TEXT_MESH_COLUMNS - 1; e++) {
        const int32_t dx = (sin_table[(((e * 52428) >> 10) + a) & 1023] >> 5) + sway_x;
        for (int j = 1; j < TEXT_MESH_ROWS - 1; j++) {
            const int32_t dy = (cos_table[(j * 64 + b) & 1023] >> 5) + sway_y;
            mesh->shift[e][j] = {dx, dy};
        }
    }
}

TextPageSize text_page_size(int32_t tenths)
{
    const int32_t phase = tenths % TEXT_PAGE_TENTHS;
    int32_t size;
    if (phase < TIMELINE_TEXT_ZOOM_TENTHS)
        size = phase * 11;
    else if (phase < TEXT_PAGE_TENTHS - TIMELINE_TEXT_ZOOM_TENTHS)
        size = TEXT_PAGE_MAX_WIDTH;
    else
        size = std::max(0, (TEXT_PAGE_TENTHS - phase) * 11);
    size = std::min(size, TEXT_PAGE_MAX_WIDTH);
    return {size, std::min(size, TEXT_PAGE_MAX_HEIGHT)};
}

void text_palette_ramp(uint8_t* palette)
{
    std::memset(palette, 0, 768);
    for (int i = 0; i < 128; i++) {
        const int grey = (i * i * 255) >> 14;
        palette[i * 3 + 0] = uint8_t(grey);
        palette[i * 3 + 1] = uint8_t(grey);
        palette[i * 3 + 2] = uint8_t((255 * i) >> 7);
    }
}

void text_palette_cycle(uint8_t* palette, int32_t frame)
{
    const int32_t p = int32_t(7.3 * frame);
    const int32_t q = int32_t(5.7 * frame);
    const int32_t s = int32_t(2.1 * frame);
    for (int i = 0; i < 128; i++) {
        uint8_t* entry = palette + (128 + i) * 3;
        entry[0] = uint8_t((1023 - sin_table[(p + 24 * i) & 1023]) >> 3);
        entry[1] = uint8_t((sin_table[(q + 16 * i) & 1023] + 1023) >> 3);
        entry[2] = uint8_t((cos_table[(s + 8 * i) & 1023] + 1023) >> 3);
    }
}
