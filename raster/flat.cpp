// The flat-colour filler: the plain scan conversion, one memset per row.
#include "raster/guard.h"
#include "raster/scan.h"
#include "raster/triangle.h"

#include <cstring>

void fill_flat_triangle(const ScreenTriangle* tri, uint8_t colour)
{
    if (!guard_inside(tri)) {
        guard_split(tri, nullptr, nullptr, false,
                    [&](const ScreenTriangle* t, auto*, auto*) { fill_flat_triangle(t, colour); });
        return;
    }
    const ScanCorner<0, 0> c[3] = {
        {tri->x0, tri->y0, {}, {}}, {tri->x1, tri->y1, {}, {}}, {tri->x2, tri->y2, {}, {}}};
    scan_triangle<ScanRounding::divide>(
        c, [](const ScanValues<0, 0>&) {},
        [&](int32_t y, int32_t xl, int32_t xr, const ScanValues<0, 0>&) {
            int32_t skipped;
            if (!scan_clip_span(xl, xr, skipped)) return;
            std::memset(render_target.row_table[y] + xl, colour, size_t(xr - xl + 1));
        });
}
