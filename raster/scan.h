// Scan conversion shared by every triangle filler: corner ordering, 16.16 edges, which rows
// and pixels a triangle covers, and top clipping. A filler gives the values it interpolates
// per corner (NI integers, NF floats) and two callbacks: one that receives the per-pixel
// steps at the start of each half, one that draws a row from the floors of the two edges.
#pragma once

#include "raster/fixed.h"
#include "raster/target.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>

// Values carried along the left edge: integers in 16.16, floats as they are.
template <int NI, int NF>
struct ScanValues {
    std::array<int32_t, NI> i{};
    std::array<float, NF> f{};
};

template <int NI, int NF>
struct ScanCorner {
    int32_t x, y;
    std::array<int32_t, NI> i; // whole units, shifted to 16.16 where the edge starts
    std::array<float, NF> f;
};

// How an edge's x step per row is rounded: the flat filler divides the 16.16 difference, the
// others multiply by a truncated reciprocal of the height.
enum class ScanRounding { divide, reciprocal };

template <int NI, int NF>
struct ScanEdge {
    int32_t dx; // 16.16 per row
    ScanValues<NI, NF> dq;
};

template <ScanRounding R, int NI, int NF>
ScanEdge<NI, NF> scan_edge_steps(const ScanCorner<NI, NF>& s, const ScanCorner<NI, NF>& e,
                                 int32_t height)
{
    ScanEdge<NI, NF> edge;
    const int32_t inv = FX16_ONE / height; // 16.16 reciprocal, truncated
    if constexpr (R == ScanRounding::divide)
        edge.dx = int32_t((int64_t(e.x - s.x) << FX16_SHIFT) / height);
    else
        edge.dx = (e.x - s.x) * inv;
    for (int k = 0; k < NI; k++)
        edge.dq.i[k] = int32_t(uint32_t(fx16_sub(e.i[k], s.i[k])) * uint32_t(inv));
    const float finv = float(inv) * (1.0f / FX16_ONE);
    for (int k = 0; k < NF; k++) edge.dq.f[k] = (e.f[k] - s.f[k]) * finv;
    return edge;
}

// Per-pixel steps of one half from the long edge and the half's short edge: the difference of
// the two edges' row steps over the difference of their x steps. A half at most one pixel wide
// takes the short edge's reciprocal height instead, so it never divides by a tiny width.
template <int NI, int NF>
ScanValues<NI, NF> scan_pixel_steps(const ScanEdge<NI, NF>& lng, const ScanEdge<NI, NF>& shrt,
                                    int32_t short_height)
{
    const int64_t diff = int64_t(lng.dx) - shrt.dx;
    int64_t recip = FX16_ONE / short_height;
    if (std::llabs(diff) > recip) recip = (int64_t(1) << 32) / diff;
    ScanValues<NI, NF> d;
    for (int k = 0; k < NI; k++) {
        const int32_t dq = fx16_sub(lng.dq.i[k], shrt.dq.i[k]);
        d.i[k] = int32_t((int64_t(dq) * recip) >> FX16_SHIFT); // 64-bit product, kept to 32 bits
    }
    const float frecip = float(recip) * (1.0f / FX16_ONE);
    for (int k = 0; k < NF; k++) d.f[k] = (lng.dq.f[k] - shrt.dq.f[k]) * frecip;
    return d;
}

// The left edge with its values, and the right edge with x alone.
template <int NI, int NF>
struct ScanWalk {
    int32_t left, right, dleft, dright;
    ScanValues<NI, NF> q, dq;

    void start(const ScanCorner<NI, NF>& c)
    {
        for (int k = 0; k < NI; k++) q.i[k] = fx16_from_int(c.i[k]);
        for (int k = 0; k < NF; k++) q.f[k] = c.f[k];
    }
    void step() { advance(1); }
    void advance(int32_t rows)
    {
        left = fx16_add_times(left, dleft, rows);
        right = fx16_add_times(right, dright, rows);
        for (int k = 0; k < NI; k++) q.i[k] = fx16_add_times(q.i[k], dq.i[k], rows);
        for (int k = 0; k < NF; k++) q.f[k] += dq.f[k] * float(rows);
    }
};

// Corner order by y; ties keep the rules that decide which corner is the middle one.
template <class C>
void scan_sort_corners(const C* c, const C*& top, const C*& mid, const C*& bot)
{
    const C* other;
    if (c[0].y < c[1].y)
        top = &c[0], other = &c[1];
    else
        top = &c[1], other = &c[0];
    if (c[2].y < top->y)
        mid = top, bot = other, top = &c[2];
    else if (c[2].y < other->y)
        mid = &c[2], bot = other;
    else
        mid = other, bot = &c[2];
}

// Flat top (the top and middle corners on one row): both edges start on the top row.
template <ScanRounding R, int NI, int NF, class OnHalf, class Row>
void scan_flat_top(const ScanCorner<NI, NF>* t, const ScanCorner<NI, NF>* m,
                   const ScanCorner<NI, NF>* b, const ScanEdge<NI, NF>& lng, ScanWalk<NI, NF>& w,
                   OnHalf& on_half, Row& row)
{
    const ScanEdge<NI, NF> low = scan_edge_steps<R>(*m, *b, b->y - m->y);
    const ScanCorner<NI, NF>* lc = m->x > t->x ? t : m;
    const ScanCorner<NI, NF>* rc = lc == t ? m : t;
    w.left = fx16_from_int(lc->x);
    w.right = fx16_from_int(rc->x) + FX16_RIGHT_BIAS;
    w.start(*lc);
    const bool low_left = low.dx > lng.dx;
    w.dleft = low_left ? low.dx : lng.dx;
    w.dq = low_left ? low.dq : lng.dq;
    w.dright = low_left ? lng.dx : low.dx;
    on_half(scan_pixel_steps(lng, low, b->y - m->y));
    int32_t y = t->y;
    if (y < 0) w.advance(-y), y = 0;
    const int32_t yend = std::min(b->y, render_target.height);
    row(y);
    for (y++; y < yend; y++) w.step(), row(y);
}

// on_half(const Values& per_pixel_steps), on_row(y, left x, right x, const Values& left values):
// left x and right x are the floors of the edges, not yet clipped.
template <ScanRounding R, int NI, int NF, class OnHalf, class OnRow>
void scan_triangle(const ScanCorner<NI, NF>* c, OnHalf&& on_half, OnRow&& on_row)
{
    const int32_t height = render_target.height;
    const ScanCorner<NI, NF>*t, *m, *b;
    scan_sort_corners(c, t, m, b);
    if (b->y < 0 || t->y >= height || b->y - t->y <= 0) return;

    ScanWalk<NI, NF> w;
    auto row = [&](int32_t y) { on_row(y, fx16_floor(w.left), fx16_floor(w.right), w.q); };
    const ScanEdge<NI, NF> lng = scan_edge_steps<R>(*t, *b, b->y - t->y);
    if (m->y == t->y) return scan_flat_top<R>(t, m, b, lng, w, on_half, row);

    // Upper half: both edges start at the top corner.
    const ScanEdge<NI, NF> up = scan_edge_steps<R>(*t, *m, m->y - t->y);
    const bool short_left = up.dx < lng.dx;
    w.left = fx16_from_int(t->x);
    w.right = w.left + FX16_RIGHT_BIAS; // whichever edge is on the right keeps the bias
    w.start(*t);
    w.dleft = short_left ? up.dx : lng.dx;
    w.dq = short_left ? up.dq : lng.dq;
    w.dright = short_left ? lng.dx : up.dx;
    on_half(scan_pixel_steps(lng, up, m->y - t->y));
    if (m->y < 0) {
        w.advance(m->y - t->y); // the whole upper half lies above the target
    } else {
        int32_t y = t->y;
        if (y < 0) w.advance(-y), y = 0;
        if (m->y >= height) {
            for (; y < height; y++) row(y), w.step();
            return;
        }
        for (; y < m->y; y++) row(y), w.step();
        row(m->y); // the middle row always belongs to the upper half
    }
    if (b->y == m->y) return;

    // Lower half: the short edge goes on from where it stands, along the lower short edge.
    const ScanEdge<NI, NF> low = scan_edge_steps<R>(*m, *b, b->y - m->y);
    if (short_left)
        w.dleft = low.dx, w.dq = low.dq;
    else
        w.dright = low.dx;
    on_half(scan_pixel_steps(lng, low, b->y - m->y));
    int32_t y = m->y + 1;
    if (m->y < 0) {
        w.advance(-m->y);
        row(0);
        y = 1;
    }
    const int32_t yend = std::min(b->y, height);
    for (; y < yend; y++) w.step(), row(y);
}

// Clips a span to the target's columns; false when nothing of it is left.
inline bool scan_clip_span(int32_t& xl, int32_t& xr, int32_t& skipped)
{
    const int32_t width = render_target.width;
    if (xl >= width || xr < 0) return false;
    if (xr > width - 1) xr = width - 1;
    skipped = 0;
    if (xl < 0) skipped = -xl, xl = 0;
    return xl <= xr;
}
