// The four texture fillers: they walk the triangle's edges with the texture coordinates
// (affine) or with u/z, v/z and 1/z (perspective), set up the span state per half and per
// row, and leave each row to the span routine chosen by the texture size.
#include "raster/guard.h"
#include "raster/scan.h"
#include "raster/span.h"
#include "raster/triangle.h"

namespace {

bool texture_usable(const uint8_t* texture, int32_t size)
{
    return texture != nullptr && size > 0;
}

bool depths_positive(const VertexAttributes* a)
{
    return a->depth0 > 0 && a->depth1 > 0 && a->depth2 > 0;
}

// Affine: u, v and, when shaded, the light level travel with the corners.
template <bool Shaded>
void affine_fill(const ScreenTriangle* t, const TextureCoords* uv, const VertexAttributes* attr)
{
    constexpr int NI = Shaded ? 3 : 2;
    ScanCorner<NI, 0> c[3];
    const int32_t xs[3] = {t->x0, t->x1, t->x2}, ys[3] = {t->y0, t->y1, t->y2};
    const int32_t us[3] = {uv->u0, uv->u1, uv->u2}, vs[3] = {uv->v0, uv->v1, uv->v2};
    for (int k = 0; k < 3; k++) {
        c[k].x = xs[k], c[k].y = ys[k];
        c[k].i[0] = us[k], c[k].i[1] = vs[k];
    }
    if constexpr (Shaded)
        c[0].i[2] = attr->shade0, c[1].i[2] = attr->shade1, c[2].i[2] = attr->shade2;
    SpanState& s = span_state;
    scan_triangle<ScanRounding::reciprocal>(
        c,
        [&](const ScanValues<NI, 0>& d) {
            s.du = d.i[0], s.dv = d.i[1];
            if constexpr (Shaded) s.dshade = d.i[2];
        },
        [&](int32_t y, int32_t xl, int32_t xr, const ScanValues<NI, 0>& q) {
            s.u = q.i[0], s.v = q.i[1];
            if constexpr (Shaded) s.shade = q.i[2];
            s.span(y, xl, xr);
        });
}

// Perspective: a = u/z, b = v/z and w = 1/z in floats, the light level as a 16.16 integer.
template <bool Shaded>
void perspective_fill(const ScreenTriangle* t, const TextureCoords* uv,
                      const VertexAttributes* attr)
{
    constexpr int NI = Shaded ? 1 : 0;
    ScanCorner<NI, 3> c[3];
    const int32_t xs[3] = {t->x0, t->x1, t->x2}, ys[3] = {t->y0, t->y1, t->y2};
    const int32_t us[3] = {uv->u0, uv->u1, uv->u2}, vs[3] = {uv->v0, uv->v1, uv->v2};
    const int32_t ds[3] = {attr->depth0, attr->depth1, attr->depth2};
    const int32_t ss[3] = {attr->shade0, attr->shade1, attr->shade2};
    for (int k = 0; k < 3; k++) {
        const float w = 1.0f / float(ds[k]);
        c[k].x = xs[k], c[k].y = ys[k];
        c[k].f = {float(us[k]) * w, float(vs[k]) * w, w};
        if constexpr (Shaded) c[k].i[0] = ss[k];
    }
    SpanState& s = span_state;
    scan_triangle<ScanRounding::reciprocal>(
        c,
        [&](const ScanValues<NI, 3>& d) {
            s.da = d.f[0], s.db = d.f[1], s.dw = d.f[2];
            s.da16 = d.f[0] * 16, s.db16 = d.f[1] * 16, s.dw16 = d.f[2] * 16;
            if constexpr (Shaded) s.dshade = d.i[0];
        },
        [&](int32_t y, int32_t xl, int32_t xr, const ScanValues<NI, 3>& q) {
            s.a = q.f[0], s.b = q.f[1], s.w = q.f[2];
            if constexpr (Shaded) s.shade = q.i[0];
            s.span(y, xl, xr);
        });
}

void span_setup(SpanFamily family, const uint8_t* texture, int32_t size, const ShadeTable* table)
{
    span_state.texture = texture;
    span_state.texture_size = size;
    span_state.span = span_routine(family, size);
    span_state.shade_table = table ? table->data() : nullptr;
    span_state.shade = span_state.dshade = 0;
}

} // namespace

void fill_affine_textured_triangle(const uint8_t* texture, int32_t size, const ScreenTriangle* tri,
                                   const TextureCoords* uv)
{
    if (!texture_usable(texture, size)) return;
    if (!guard_inside(tri)) {
        guard_split(tri, nullptr, uv, false, [&](auto* t, auto*, auto* q) {
            fill_affine_textured_triangle(texture, size, t, q);
        });
        return;
    }
    span_setup(SPAN_AFFINE, texture, size, nullptr);
    affine_fill<false>(tri, uv, nullptr);
}

void fill_affine_textured_shaded_triangle(const uint8_t* texture, int32_t size,
                                          const ScreenTriangle* tri, const TextureCoords* uv,
                                          const VertexAttributes* attr, const ShadeTable* table)
{
    if (!texture_usable(texture, size)) return;
    if (!guard_inside(tri)) {
        guard_split(tri, attr, uv, false, [&](auto* t, auto* a, auto* q) {
            fill_affine_textured_shaded_triangle(texture, size, t, q, a, table);
        });
        return;
    }
    span_setup(SPAN_AFFINE_SHADED, texture, size, table);
    affine_fill<true>(tri, uv, attr);
}

void fill_perspective_textured_triangle(const uint8_t* texture, int32_t size,
                                        const ScreenTriangle* tri, const TextureCoords* uv,
                                        const VertexAttributes* attr)
{
    if (!texture_usable(texture, size) || !depths_positive(attr)) return;
    if (!guard_inside(tri)) {
        guard_split(tri, attr, uv, true, [&](auto* t, auto* a, auto* q) {
            fill_perspective_textured_triangle(texture, size, t, q, a);
        });
        return;
    }
    span_setup(SPAN_PERSPECTIVE, texture, size, nullptr);
    perspective_fill<false>(tri, uv, attr);
}

void fill_perspective_textured_shaded_triangle(const uint8_t* texture, int32_t size,
                                               const ScreenTriangle* tri, const TextureCoords* uv,
                                               const VertexAttributes* attr,
                                               const ShadeTable* table)
{
    if (!texture_usable(texture, size) || !depths_positive(attr)) return;
    if (!guard_inside(tri)) {
        guard_split(tri, attr, uv, true, [&](auto* t, auto* a, auto* q) {
            fill_perspective_textured_shaded_triangle(texture, size, t, q, a, table);
        });
        return;
    }
    span_setup(SPAN_PERSPECTIVE_SHADED, texture, size, table);
    perspective_fill<true>(tri, uv, attr);
}
