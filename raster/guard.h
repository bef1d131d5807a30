// Triangles reaching beyond the guard box (faces that cross a side plane close to the viewer
// project far off screen) are cut against it first, so the 16.16 set-up never overflows. The
// pieces carry their corner values: linear on screen for shades and affine texture
// coordinates, through 1/depth for the perspective fillers.
#pragma once

#include "raster/triangle.h"

constexpr int GUARD_MAX_CORNERS = 3 + 4; // a triangle cut by four sides

struct GuardCorner {
    double x, y, shade, u, v, w; // w = 1/depth when perspective, else the depth itself
};

inline bool guard_inside(const ScreenTriangle* t)
{
    auto ok = [](int32_t c) { return c >= TRIANGLE_GUARD_MIN && c <= TRIANGLE_GUARD_MAX; };
    return ok(t->x0) && ok(t->y0) && ok(t->x1) && ok(t->y1) && ok(t->x2) && ok(t->y2);
}

// Cuts the polygon in place against the guard box; returns the new corner count (0 to 7).
int guard_clip_polygon(GuardCorner* poly, int n);

// Calls fill(triangle, attributes, coords) for each piece of the triangle inside the box.
// attr and uv may be null when the filler does not read them.
template <class Fill>
void guard_split(const ScreenTriangle* tri, const VertexAttributes* attr, const TextureCoords* uv,
                 bool perspective, Fill&& fill)
{
    const int32_t xs[3] = {tri->x0, tri->x1, tri->x2}, ys[3] = {tri->y0, tri->y1, tri->y2};
    const int32_t shades[3] = {attr ? attr->shade0 : 0, attr ? attr->shade1 : 0,
                               attr ? attr->shade2 : 0};
    const int32_t depths[3] = {attr ? attr->depth0 : 1, attr ? attr->depth1 : 1,
                               attr ? attr->depth2 : 1};
    const int32_t us[3] = {uv ? uv->u0 : 0, uv ? uv->u1 : 0, uv ? uv->u2 : 0};
    const int32_t vs[3] = {uv ? uv->v0 : 0, uv ? uv->v1 : 0, uv ? uv->v2 : 0};
    GuardCorner poly[GUARD_MAX_CORNERS];
    for (int i = 0; i < 3; i++) {
        const double w = perspective ? 1.0 / depths[i] : depths[i];
        const double k = perspective ? w : 1.0;
        poly[i] = {double(xs[i]), double(ys[i]), double(shades[i]), us[i] * k, vs[i] * k, w};
    }
    const int n = guard_clip_polygon(poly, 3);
    auto back = [](double d) { return int32_t(d < 0 ? d - 0.5 : d + 0.5); };
    for (int i = 1; i + 1 < n; i++) {
        const GuardCorner* c[3] = {&poly[0], &poly[i], &poly[i + 1]};
        ScreenTriangle t;
        VertexAttributes a;
        TextureCoords q;
        int32_t* tp = &t.x0;
        int32_t* ap = &a.shade0;
        int32_t* qp = &q.u0;
        for (int j = 0; j < 3; j++) {
            const double k = perspective ? 1.0 / c[j]->w : 1.0;
            tp[2 * j] = back(c[j]->x), tp[2 * j + 1] = back(c[j]->y);
            ap[2 * j] = back(c[j]->shade), ap[2 * j + 1] = back(perspective ? k : c[j]->w);
            qp[2 * j] = back(c[j]->u * k), qp[2 * j + 1] = back(c[j]->v * k);
        }
        fill(&t, &a, &q);
    }
}
