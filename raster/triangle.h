// The triangle fillers: flat, Gouraud, affine and perspective-correct textured. All of them
// draw into the render target (target.h) with the same scan conversion, so triangles sharing
// an edge meet without gaps.
#pragma once

#include "gfx2d/palette.h"

#include <cstdint>

// Corners in whole pixels of the render target, x to the right, y downwards.
struct ScreenTriangle {
    int32_t x0, y0, x1, y1, x2, y2;
};

// Two values per corner: (shade0, depth0, shade1, depth1, shade2, depth2). For the colour
// ramp the shade slot holds a palette index.
struct VertexAttributes {
    int32_t shade0, depth0, shade1, depth1, shade2, depth2;
};

// (u, v) of corners 0, 1 and 2 in whole texels.
struct TextureCoords {
    int32_t u0, v0, u1, v1, u2, v2;
};

static_assert(sizeof(ScreenTriangle) == 24 && sizeof(VertexAttributes) == 24 &&
              sizeof(TextureCoords) == 24);

// Corners beyond this box are clipped against it before scan conversion, so that every
// 16.16 edge step and every difference of two positions fits in 32 bits.
constexpr int32_t TRIANGLE_GUARD_MIN = -16384;
constexpr int32_t TRIANGLE_GUARD_MAX = 16383;

void fill_flat_triangle(const ScreenTriangle* tri, uint8_t colour);

// Pixel = low 8 bits of the interpolated shade slot.
void fill_gouraud_ramp_triangle(const ScreenTriangle* tri, const VertexAttributes* attr);
// Pixel = table[shade][colour]. The table must have a row for every shade the corners carry.
void fill_gouraud_shaded_triangle(const ScreenTriangle* tri, const VertexAttributes* attr,
                                  uint8_t colour, const ShadeTable* table);

// Textures are square, texture_size x texture_size, and repeat in both directions. Sizes
// 16..256 that are powers of two take the fast routines; any other size takes the general one.
void fill_affine_textured_triangle(const uint8_t* texture, int32_t texture_size,
                                   const ScreenTriangle* tri, const TextureCoords* uv);
void fill_affine_textured_shaded_triangle(const uint8_t* texture, int32_t texture_size,
                                          const ScreenTriangle* tri, const TextureCoords* uv,
                                          const VertexAttributes* attr, const ShadeTable* table);
// Perspective-correct: texture coordinates are exact every 16 pixels and linear between.
// Depths must be positive; a triangle with a corner at depth 0 or behind is not drawn.
void fill_perspective_textured_triangle(const uint8_t* texture, int32_t texture_size,
                                        const ScreenTriangle* tri, const TextureCoords* uv,
                                        const VertexAttributes* attr);
void fill_perspective_textured_shaded_triangle(const uint8_t* texture, int32_t texture_size,
                                               const ScreenTriangle* tri, const TextureCoords* uv,
                                               const VertexAttributes* attr,
                                               const ShadeTable* table);
