// Affine-textured convex polygons for the 2D effects: the outline is walked into two per-row
// edge tables, then every row is filled between them while stepping through the texture.
#pragma once

#include <cstdint>

struct PolygonPoint {
    int32_t x, y; // whole pixels; may lie outside the destination
};

struct TexturePoint {
    int32_t u, v; // whole texels; the texture repeats in both directions
};

struct EdgeEntry {
    int32_t x;    // whole pixels
    int32_t u, v; // 16.16
};
static_assert(sizeof(EdgeEntry) == 12);

// Corner i maps to tex_points[i]. Both edge tables need at least dh entries. Covers the rows
// from the top corner down to (not including) the bottom corner, and in every row the pixels
// from the left edge up to (not including) the right edge, so neighbouring polygons never
// overwrite each other's shared edge. Either winding gives the same pixels.
void fill_textured_polygon(uint8_t* dst, int32_t dw, int32_t dh, EdgeEntry* edges_a,
                           EdgeEntry* edges_b, const PolygonPoint* points,
                           const TexturePoint* tex_points, int n, const uint8_t* texture,
                           int32_t tw, int32_t th);
