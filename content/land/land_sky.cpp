// The mountains and the sky: a wall round the ring with the mountain panorama painted on it,
// and a cloud ceiling over it, both facing in. Cut into tiles of about ten units so that they
// sort behind everything that stands in front of them and no tile reaches past the far plane.
#include "content/land/land.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

constexpr double WALL_BOTTOM = -3.0;
constexpr double WALL_LEVELS[] = {-3.0, 5.0, 13.0, 22.0, LAND_SKY_HEIGHT};
constexpr double PANORAMA_REPEAT = 64.0; // units of wall per repeat of the panorama
constexpr double CLOUD_REPEAT = 48.0;
constexpr double CEILING_RINGS[] = {1.0, 0.75, 0.5, 0.25};

// The ring's foot, cut into columns no wider than ten units.
std::vector<LandPoint> sky_columns()
{
    std::vector<LandPoint> out;
    constexpr int n = int(std::size(land_ring));
    for (int i = 0; i < n; i++) {
        const LandPoint a = land_ring[i], b = land_ring[(i + 1) % n];
        const int parts = std::max(1, int(std::ceil(std::hypot(b.x - a.x, b.z - a.z) / 10.0)));
        for (int k = 0; k < parts; k++)
            out.push_back({a.x + (b.x - a.x) * k / parts, a.z + (b.z - a.z) * k / parts});
    }
    return out;
}

TexturePoint cloud_uv(Vec3 p, double u0, double v0)
{
    return {p.x / CLOUD_REPEAT - u0, p.z / CLOUD_REPEAT - v0};
}

} // namespace

Mesh land_sky()
{
    Mesh mesh;
    const int panorama = mesh_material(mesh, "hegyek");
    const int clouds = mesh_material(mesh, "eg");
    const std::vector<LandPoint> foot = sky_columns();
    const Vec3 inside{land_ring_centre.x, 10.0, land_ring_centre.z};
    double along = 0;
    for (size_t i = 0; i < foot.size(); i++) {
        const LandPoint a = foot[i], b = foot[(i + 1) % foot.size()];
        const double width = std::hypot(b.x - a.x, b.z - a.z) / PANORAMA_REPEAT;
        const double u0 = along - std::floor(along);
        along += width;
        const Vec3 outside{2 * a.x - inside.x, 10.0, 2 * a.z - inside.z};
        for (size_t k = 0; k + 1 < std::size(WALL_LEVELS); k++) {
            const double y0 = WALL_LEVELS[k], y1 = WALL_LEVELS[k + 1];
            const double v0 = (LAND_SKY_HEIGHT - y0) / (LAND_SKY_HEIGHT - WALL_BOTTOM);
            const double v1 = (LAND_SKY_HEIGHT - y1) / (LAND_SKY_HEIGHT - WALL_BOTTOM);
            land_quad_facing(mesh, panorama, {a.x, y0, a.z}, {b.x, y0, b.z}, {b.x, y1, b.z},
                             {a.x, y1, a.z}, {u0, v0}, {u0 + width, v0}, {u0 + width, v1}, {u0, v1},
                             outside);
        }
    }
    // The ceiling: rings drawn in towards the centre, then a fan.
    const Vec3 above{land_ring_centre.x, 1000.0, land_ring_centre.z};
    auto ring_point = [&](size_t i, double s) {
        const LandPoint p = foot[i % foot.size()];
        return Vec3{land_ring_centre.x + (p.x - land_ring_centre.x) * s, LAND_SKY_HEIGHT,
                    land_ring_centre.z + (p.z - land_ring_centre.z) * s};
    };
    const Vec3 top{land_ring_centre.x, LAND_SKY_HEIGHT, land_ring_centre.z};
    for (size_t i = 0; i < foot.size(); i++) {
        for (size_t r = 0; r < std::size(CEILING_RINGS); r++) {
            const double s0 = CEILING_RINGS[r];
            const Vec3 p0 = ring_point(i, s0), p1 = ring_point(i + 1, s0);
            const double u0 = std::floor(p0.x / CLOUD_REPEAT), v0 = std::floor(p0.z / CLOUD_REPEAT);
            if (r + 1 == std::size(CEILING_RINGS)) {
                land_triangle_facing(mesh, clouds, p0, p1, top, cloud_uv(p0, u0, v0),
                                     cloud_uv(p1, u0, v0), cloud_uv(top, u0, v0), above);
                continue;
            }
            const double s1 = CEILING_RINGS[r + 1];
            const Vec3 p2 = ring_point(i + 1, s1), p3 = ring_point(i, s1);
            land_quad_facing(mesh, clouds, p0, p1, p2, p3, cloud_uv(p0, u0, v0),
                             cloud_uv(p1, u0, v0), cloud_uv(p2, u0, v0), cloud_uv(p3, u0, v0),
                             above);
        }
    }
    return mesh;
}
