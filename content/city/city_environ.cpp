// The surroundings ("environ"): fields from the city's edge out to a ring of distant blocks in
// the haze, and a sky of clouds over everything. An octagon in plan: every corner stays within
// the far distance of every eye that draws it (x and y offsets count 2.5 times, z offsets once),
// and it encloses them all, the descent's first eye high above the north included.
#include "content/city/city_world.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double X0 = -120, X1 = 112, Z0 = -190, Z1 = 265, CHAMFER = 60;
constexpr Vec3 RAY_CENTRE{-4, 0, 40};  // the rays that pair the city's edge with the ring
constexpr Vec3 DOME_CENTRE{0, 0, 120}; // the sky's rings shrink towards this
constexpr double BAND_HEIGHT = 22, BAND_REPEAT = 60, SKY_REPEAT = 80, TILE = 40;
constexpr double PI = 3.14159265358979323846;

// Where the ray from the centre at angle a (in the x-z plane) leaves a convex polygon.
Vec3 ray_exit(const std::vector<Vec3>& polygon, double a)
{
    const Vec3 d{std::cos(a), 0, std::sin(a)};
    double best = 1e30;
    for (size_t i = 0; i < polygon.size(); i++) {
        const Vec3 p = polygon[i], q = polygon[(i + 1) % polygon.size()];
        const Vec3 e = q - p, w = p - RAY_CENTRE;
        const double den = d.x * e.z - d.z * e.x;
        if (std::fabs(den) < 1e-12) continue;
        const double t = (w.x * e.z - w.z * e.x) / den, s = (w.x * d.z - w.z * d.x) / den;
        if (t > 0 && s >= -1e-9 && s <= 1 + 1e-9) best = std::min(best, t);
    }
    return RAY_CENTRE + d * best;
}

// A quad turned so that its front faces `towards`; with two corners at one place, a triangle.
void facing_quad(Mesh& m, int material, Vec3 p[4], TexturePoint t[4], Vec3 towards)
{
    if (dot(cross(p[1] - p[0], p[3] - p[0]), towards) < 0) {
        std::swap(p[1], p[3]);
        std::swap(t[1], t[3]);
    }
    if (length(p[2] - p[3]) < 1e-9 || length(p[1] - p[2]) < 1e-9) { // a triangle: the sky's top
        mesh_triangle(m, material, mesh_vertex(m, p[0]), mesh_vertex(m, p[1]), mesh_vertex(m, p[3]),
                      t[0], t[1], t[3]);
        return;
    }
    mesh_quad(m, material, p[0], p[1], p[2], p[3], t[0], t[1], t[2], t[3]);
}

// Clouds laid along the rings (u round the sky, v up it), so that the texture runs on from
// tile to tile and from ring to ring; t holds the tile's corners' places in the cloud field.
void sky_tile(Mesh& m, int material, Vec3 p[4], TexturePoint t[4])
{
    const double u0 = std::floor(std::min({t[0].u, t[1].u, t[2].u, t[3].u}));
    for (int k = 0; k < 4; k++) t[k].u -= u0;
    const Vec3 mid = (p[0] + p[1] + p[2] + p[3]) * 0.25;
    facing_quad(m, material, p, t, Vec3{DOME_CENTRE.x, 0, DOME_CENTRE.z} - mid + Vec3{0, -200, 0});
}

} // namespace

Mesh city_surroundings(const CityPlan& plan)
{
    Mesh m;
    const int distant = mesh_material(m, "none", 90, 100, 110);
    const int sky = mesh_material(m, "felho-1", 90, 130, 200);
    const std::vector<Vec3> ring = {
        {X0 + CHAMFER, 0, Z0}, {X1 - CHAMFER, 0, Z0}, {X1, 0, Z0 + CHAMFER}, {X1, 0, Z1 - CHAMFER},
        {X1 - CHAMFER, 0, Z1}, {X0 + CHAMFER, 0, Z1}, {X0, 0, Z1 - CHAMFER}, {X0, 0, Z0 + CHAMFER}};
    const CityRect& g = plan.ground;
    const std::vector<Vec3> edge = {
        {g.x0, 0, g.z0}, {g.x1, 0, g.z0}, {g.x1, 0, g.z1}, {g.x0, 0, g.z1}};

    // Sectors between the corners of both outlines, so that each side of a sector is straight.
    std::vector<double> angles;
    for (const std::vector<Vec3>* outline : {&ring, &edge})
        for (const Vec3& p : *outline)
            angles.push_back(std::atan2(p.z - RAY_CENTRE.z, p.x - RAY_CENTRE.x));
    std::sort(angles.begin(), angles.end());
    std::vector<Vec3> inner, outer; // the sectors' corners, cut so no tile is much over TILE
    for (size_t i = 0; i < angles.size(); i++) {
        const double a = angles[i], b = i + 1 < angles.size() ? angles[i + 1] : angles[0] + 2 * PI;
        const Vec3 i0 = ray_exit(edge, a), i1 = ray_exit(edge, b);
        const Vec3 o0 = ray_exit(ring, a), o1 = ray_exit(ring, b);
        const int n = std::max(1, int(std::ceil(length(o1 - o0) / TILE)));
        for (int k = 0; k < n; k++) {
            inner.push_back(mix(i0, i1, double(k) / n));
            outer.push_back(mix(o0, o1, double(k) / n));
        }
    }

    const Vec3 up{0, 1, 0};
    const size_t count = outer.size();
    double arc = 0.0;
    for (size_t k = 0; k < count; k++) {
        const size_t l = (k + 1) % count;
        // Fields, cut into tiles from the city's edge out; each tile gets the fields once.
        const int steps = std::max(1, int(std::ceil(length(outer[k] - inner[k]) / TILE)));
        for (int s = 0; s < steps; s++) {
            const double t0 = double(s) / steps, t1 = double(s + 1) / steps;
            Vec3 p[4] = {mix(inner[k], outer[k], t0), mix(inner[l], outer[l], t0),
                         mix(inner[l], outer[l], t1), mix(inner[k], outer[k], t1)};
            TexturePoint t[4] = {{0, 0.52}, {1, 0.52}, {1, 0.98}, {0, 0.98}};
            facing_quad(m, distant, p, t, up);
        }
        // The distant blocks, facing in.
        const double len = length(outer[l] - outer[k]);
        const double u0 = arc / BAND_REPEAT - std::floor(arc / BAND_REPEAT),
                     u1 = u0 + len / BAND_REPEAT;
        arc += len;
        Vec3 p[4] = {outer[k], outer[l], outer[l] + up * BAND_HEIGHT, outer[k] + up * BAND_HEIGHT};
        TexturePoint t[4] = {{u0, 0.5}, {u1, 0.5}, {u1, 0.0}, {u0, 0.0}};
        facing_quad(m, distant, p, t, RAY_CENTRE - outer[k]);
    }

    // The sky: rings drawn in towards the dome's centre as they rise, closed by a fan on top.
    const double scale[] = {1.0, 0.85, 0.55, 0.25}, height[] = {BAND_HEIGHT, 70, 130, 165};
    auto ring_point = [&](int r, size_t k) {
        const Vec3 flat = DOME_CENTRE + (Vec3{outer[k].x, 0, outer[k].z} - DOME_CENTRE) * scale[r];
        return Vec3{flat.x, height[r], flat.z};
    };
    // Around the sky a whole number of cloud repeats, so the last tile meets the first.
    std::vector<double> around{0.0};
    for (size_t k = 0; k < count; k++)
        around.push_back(around.back() + length(outer[(k + 1) % count] - outer[k]));
    const double repeats = std::max(1.0, std::round(around.back() / SKY_REPEAT));
    for (double& a : around) a *= repeats / around.back();
    const double v_ring[] = {0.0, 0.45, 0.9, 1.3, 1.6};
    const Vec3 apex{DOME_CENTRE.x, 180, DOME_CENTRE.z};
    for (int r = 0; r < 4; r++)
        for (size_t k = 0; k < count; k++) {
            const size_t l = (k + 1) % count;
            Vec3 p[4] = {ring_point(r, k), ring_point(r, l), r < 3 ? ring_point(r + 1, l) : apex,
                         r < 3 ? ring_point(r + 1, k) : apex};
            TexturePoint t[4] = {{around[k], v_ring[r]},
                                 {around[k + 1], v_ring[r]},
                                 {around[k + 1], v_ring[r + 1]},
                                 {around[k], v_ring[r + 1]}};
            sky_tile(m, sky, p, t);
        }
    return m;
}
