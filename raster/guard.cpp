#include "raster/guard.h"

// One Sutherland-Hodgman pass against the side where sign * coordinate <= limit.
static int guard_clip_side(const GuardCorner* in, int n, GuardCorner* out, bool along_x,
                           double sign, double limit)
{
    auto dist = [&](const GuardCorner& c) { return sign * (along_x ? c.x : c.y) - limit; };
    int count = 0;
    for (int i = 0; i < n; i++) {
        const GuardCorner& a = in[i];
        const GuardCorner& b = in[(i + 1) % n];
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

int guard_clip_polygon(GuardCorner* poly, int n)
{
    GuardCorner tmp[GUARD_MAX_CORNERS];
    n = guard_clip_side(poly, n, tmp, true, -1.0, -double(TRIANGLE_GUARD_MIN));
    n = guard_clip_side(tmp, n, poly, true, 1.0, double(TRIANGLE_GUARD_MAX));
    n = guard_clip_side(poly, n, tmp, false, -1.0, -double(TRIANGLE_GUARD_MIN));
    n = guard_clip_side(tmp, n, poly, false, 1.0, double(TRIANGLE_GUARD_MAX));
    return n;
}
