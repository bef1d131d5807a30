#include "raster/guard.h"

namespace guard {

// One Sutherland-Hodgman pass against the side where sign * coordinate <= limit.
static int clip_side(const Corner* in, int n, Corner* out, bool along_x, double sign, double limit)
{
    auto dist = [&](const Corner& c) { return sign * (along_x ? c.x : c.y) - limit; };
    int count = 0;
    for (int i = 0; i < n; i++) {
        const Corner& a = in[i];
        const Corner& b = in[(i + 1) % n];
        const double da = dist(a), db = dist(b);
        if (da <= 0) out[count++] = a;
        if ((da < 0 && db > 0) || (da > 0 && db < 0)) {
            const double t = da / (da - db);
            out[count++] = {
                a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t, a.shade + (b.shade - a.shade) * t,
                a.u + (b.u - a.u) * t, a.v + (b.v - a.v) * t, a.w + (b.w - a.w) * t};
        }
    }
    return count;
}

int clip_polygon(Corner* poly, int n)
{
    Corner tmp[MAX_CORNERS];
    n = clip_side(poly, n, tmp, true, -1.0, -double(TRIANGLE_GUARD_MIN));
    n = clip_side(tmp, n, poly, true, 1.0, double(TRIANGLE_GUARD_MAX));
    n = clip_side(poly, n, tmp, false, -1.0, -double(TRIANGLE_GUARD_MIN));
    n = clip_side(tmp, n, poly, false, 1.0, double(TRIANGLE_GUARD_MAX));
    return n;
}

} // namespace guard
