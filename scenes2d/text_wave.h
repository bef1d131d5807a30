// The numbers behind the waving text pages: the mesh, its wave, the page zoom and the palette.
// Pure functions of the frame counter and the time, kept apart from the frame loop.
#pragma once

#include "gfx2d/polygon.h"
#include "timeline/timeline.h"

#include <cstdint>

constexpr int TEXT_MESH_COLUMNS = 10; // 9 quads across
constexpr int TEXT_MESH_ROWS = 8;     // 7 quads down

constexpr int TEXT_PAGES = TIMELINE_TEXT_PAGES;
constexpr int32_t TEXT_PAGE_TENTHS = TIMELINE_TEXT_PAGE_TENTHS; // zooming in, still, out
constexpr int32_t TEXT_SCENE_TENTHS = TEXT_PAGES * TEXT_PAGE_TENTHS;
constexpr int32_t TEXT_PAGE_MAX_WIDTH = 220;
constexpr int32_t TEXT_PAGE_MAX_HEIGHT = 180;

struct TextMesh {
    PolygonPoint base[TEXT_MESH_COLUMNS][TEXT_MESH_ROWS];  // on the layer
    PolygonPoint shift[TEXT_MESH_COLUMNS][TEXT_MESH_ROWS]; // the wave; border points stay 0
    TexturePoint tex[TEXT_MESH_COLUMNS][TEXT_MESH_ROWS];
};

// Spreads the mesh evenly over a layer and a texture; no displacement yet.
void text_mesh_init(TextMesh* mesh, uint32_t layer_width, uint32_t layer_height,
                    uint32_t texture_width, uint32_t texture_height);
// Moves the inner points for frame f: every inner column sways sideways as one, every inner
// row up and down as one.
void text_mesh_wave(TextMesh* mesh, int32_t frame);

struct TextPageSize {
    int32_t width, height;
};
// The zoom of the page shown at t tenths of a second into the scene (0 <= t < 360).
TextPageSize text_page_size(int32_t tenths);

// Black, then a blue-grey ramp in entries 0-127 for the trails.
void text_palette_ramp(uint8_t* palette);
// Entries 128-255: the cycling colours of the text for frame f.
void text_palette_cycle(uint8_t* palette, int32_t frame);
