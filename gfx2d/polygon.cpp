#include "gfx2d/polygon.h"

#include <algorithm>

namespace {

struct Corner {
    int32_t x, y, u, v;
};

Corner polygon_corner(const PolygonPoint* points, const TexturePoint* tex_points, int i)
{
    return {points[i].x, points[i].y, tex_points[i].u, tex_points[i].v};
}

// Writes the rows ys .. ye - 1 of one edge (clipped to the destination) into the table. The end
// corner's row belongs to the next edge of the chain. 64-bit accumulators keep far-off corners
// from overflowing; the values stored are the 16.16 ones of the walk.
void polygon_edge(EdgeEntry* table, int32_t dh, const Corner& s, const Corner& e)
{
    const int32_t first = std::max(s.y, 0);
    const int32_t end = std::min(e.y, dh);
    if (e.y <= s.y || first >= end) return;

    const int64_t k = 65536 / (int64_t(e.y) - s.y); // 16.16 reciprocal of the height
    const int64_t dx = (int64_t(e.x) - s.x) * k;
    const int64_t du = (int64_t(e.u) - s.u) * k;
    const int64_t dv = (int64_t(e.v) - s.v) * k;
    // Rows above the destination are skipped by advancing the walk, not by restarting it.
    const int64_t skipped = first - int64_t(s.y);
    int64_t x = int64_t(s.x) * 65536 + dx * skipped;
    int64_t u = int64_t(s.u) * 65536 + du * skipped;
    int64_t v = int64_t(s.v) * 65536 + dv * skipped;
    for (int32_t y = first; y < end; y++) {
        table[y] = {int32_t(x >> 16), int32_t(u), int32_t(v)}; // >> 16: floor to whole pixels
        x += dx;
        u += du;
        v += dv;
    }
}

void polygon_chain(EdgeEntry* table, int32_t dh, const PolygonPoint* points,
                   const TexturePoint* tex_points, int n, int top, int bottom, int direction)
{
    for (int i = top; i != bottom;) {
        const int next = (i + direction + n) % n;
        polygon_edge(table, dh, polygon_corner(points, tex_points, i),
                     polygon_corner(points, tex_points, next));
        i = next;
    }
}

// Texel addressing: power-of-two sizes mask, any other size takes a remainder that never goes
// negative, so the texture repeats in both directions either way.
template <int Size>
struct MaskedTexels {
    const uint8_t* texture;
    uint8_t at(uint32_t u, uint32_t v) const
    {
        return texture[((int32_t(v) >> 16) & (Size - 1)) * Size +
                       ((int32_t(u) >> 16) & (Size - 1))];
    }
};

struct WrappedTexels {
    const uint8_t* texture;
    int32_t tw, th;
    static int32_t wrap(int32_t c, int32_t size)
    {
        const int32_t r = c % size;
        return r < 0 ? r + size : r;
    }
    uint8_t at(uint32_t u, uint32_t v) const
    {
        return texture[wrap(int32_t(v) >> 16, th) * tw + wrap(int32_t(u) >> 16, tw)];
    }
};

// One span, four pixels per step after the odd ones. The 16.16 positions step in unsigned
// arithmetic so that they wrap around like the texture does.
template <typename Texels>
void polygon_span(uint8_t* row, int32_t from, int32_t to, uint32_t u, uint32_t v, uint32_t su,
                  uint32_t sv, const Texels& texels)
{
    uint8_t* p = row + from;
    int32_t count = to - from;
    for (; count & 3; count--) {
        *p++ = texels.at(u, v);
        u += su;
        v += sv;
    }
    for (; count > 0; count -= 4) {
        p[0] = texels.at(u, v);
        p[1] = texels.at(u + su, v + sv);
        p[2] = texels.at(u + 2 * su, v + 2 * sv);
        p[3] = texels.at(u + 3 * su, v + 3 * sv);
        p += 4;
        u += 4 * su;
        v += 4 * sv;
    }
}

template <typename Texels>
void polygon_rows(uint8_t* dst, int32_t dw, int32_t first, int32_t end, const EdgeEntry* edges_a,
                  const EdgeEntry* edges_b, const Texels& texels)
{
    for (int32_t y = first; y < end; y++) {
        const EdgeEntry& a = edges_a[y];
        const EdgeEntry& b = edges_b[y];
        if (a.x == b.x) continue;
        const EdgeEntry& l = a.x < b.x ? a : b;
        const EdgeEntry& r = a.x < b.x ? b : a;
        const int32_t from = std::max(l.x, 0);
        const int32_t to = std::min(r.x, dw);
        if (from >= to) continue;

        // The reciprocal has 10 fractional bits only: spans are stepped a little short of
        // their full texture range, and spans over 1024 pixels not at all.
        const int64_t q = 1024 / (int64_t(r.x) - l.x);
        const int64_t su = ((int64_t(r.u) - l.u) * q) >> 10; // 16.16
        const int64_t sv = ((int64_t(r.v) - l.v) * q) >> 10;
        // A span starting left of the destination starts where its unclipped walk would be.
        const int64_t u = l.u - su * std::min(l.x, 0);
        const int64_t v = l.v - sv * std::min(l.x, 0);
        polygon_span(dst + int64_t(y) * dw, from, to, uint32_t(u), uint32_t(v), uint32_t(su),
                     uint32_t(sv), texels);
    }
}

} // namespace

void fill_textured_polygon(uint8_t* dst, int32_t dw, int32_t dh, EdgeEntry* edges_a,
                           EdgeEntry* edges_b, const PolygonPoint* points,
                           const TexturePoint* tex_points, int n, const uint8_t* texture,
                           int32_t tw, int32_t th)
{
    if (n < 3 || dw <= 0 || dh <= 0 || tw <= 0 || th <= 0) return;

    // On ties the lowest index stays the top or bottom corner.
    int top = 0, bottom = 0;
    for (int i = 1; i < n; i++) {
        if (points[i].y < points[top].y) top = i;
        if (points[i].y > points[bottom].y) bottom = i;
    }
    if (points[top].y == points[bottom].y) return;

    // Chain A runs through increasing indices, chain B through decreasing ones; which of them
    // is the left edge is decided per row, so the winding does not matter.
    polygon_chain(edges_a, dh, points, tex_points, n, top, bottom, +1);
    polygon_chain(edges_b, dh, points, tex_points, n, top, bottom, -1);

    const int32_t first = std::max(points[top].y, 0);
    const int32_t end = std::min(points[bottom].y, dh);
    if (tw == 64 && th == 64)
        polygon_rows(dst, dw, first, end, edges_a, edges_b, MaskedTexels<64>{texture});
    else if (tw == 256 && th == 256)
        polygon_rows(dst, dw, first, end, edges_a, edges_b, MaskedTexels<256>{texture});
    else
        polygon_rows(dst, dw, first, end, edges_a, edges_b, WrappedTexels{texture, tw, th});
}
