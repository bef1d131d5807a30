// Gouraud fillers: one interpolated value per corner, drawn inline - as a palette index
// (the colour ramp) or as a light level through the shade table.
#include "raster/guard.h"
#include "raster/scan.h"
#include "raster/shade.h"
#include "raster/triangle.h"

#include <type_traits>

namespace {

using Corners = ScanCorner<1, 0>;
using Values = ScanValues<1, 0>;

void corners_from(const ScreenTriangle* t, const VertexAttributes* a, Corners* c)
{
    c[0] = {t->x0, t->y0, {a->shade0}, {}};
    c[1] = {t->x1, t->y1, {a->shade1}, {}};
    c[2] = {t->x2, t->y2, {a->shade2}, {}};
}

// out(shade in 16.16, held) gives the byte. With a shade table, held is true_type for spans
// whose shade leaves the table somewhere.
template <bool Table, class Out>
void gouraud_fill(const ScreenTriangle* tri, const VertexAttributes* attr, Out out)
{
    Corners c[3];
    corners_from(tri, attr, c);
    int32_t dshade = 0;
    scan_triangle<ScanRounding::reciprocal>(
        c, [&](const Values& d) { dshade = d.i[0]; },
        [&](int32_t y, int32_t xl, int32_t xr, const Values& q) {
            int32_t skipped;
            if (!scan_clip_span(xl, xr, skipped)) return;
            int32_t shade = fx16_add_times(q.i[0], dshade, skipped);
            uint8_t* p = render_target.row_table[y] + xl;
            const int32_t n = xr - xl + 1;
            auto run = [&](auto held) {
                for (int32_t k = n; k > 0; k--) {
                    *p++ = out(shade, held);
                    shade = fx16_add(shade, dshade);
                }
            };
            if (!Table || shade_span_in_table(shade, dshade, n))
                run(std::false_type{});
            else
                run(std::true_type{});
        });
}

} // namespace

void fill_gouraud_ramp_triangle(const ScreenTriangle* tri, const VertexAttributes* attr)
{
    if (!guard_inside(tri)) {
        guard_split(tri, attr, nullptr, false,
                    [](auto* t, auto* a, auto*) { fill_gouraud_ramp_triangle(t, a); });
        return;
    }
    gouraud_fill<false>(tri, attr, [](int32_t shade, auto) { return uint8_t(fx16_floor(shade)); });
}

void fill_gouraud_shaded_triangle(const ScreenTriangle* tri, const VertexAttributes* attr,
                                  uint8_t colour, const ShadeTable* table)
{
    if (!guard_inside(tri)) {
        guard_split(tri, attr, nullptr, false, [&](auto* t, auto* a, auto*) {
            fill_gouraud_shaded_triangle(t, a, colour, table);
        });
        return;
    }
    gouraud_fill<true>(tri, attr, [table, colour](int32_t shade, auto held) {
        return shade_row<decltype(held)::value>(table->data(), shade)[colour];
    });
}
