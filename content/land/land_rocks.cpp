// Stone: boulders, cliffs and the lake with its ring of shore stones. Every stone is a lump,
// rings of corners round an upright axis pushed in and out at random and closed at the top.
#include "content/land/land.h"
#include "content/tools/random.h"

#include <cmath>

namespace {

constexpr double PI = 3.14159265358979323846;

// A closed-topped lump standing on its lowest ring (sunk into the ground, so no bottom):
// heights are the rings' heights above the base, widths their radii before the noise.
void rock_lump(Mesh& mesh, int side_material, int top_material, Vec3 base, const double* heights,
               const double* widths, int rings, int sides, double roughness, ContentRandom& r)
{
    std::vector<std::vector<Vec3>> ring(static_cast<size_t>(rings));
    const double turn = r.unit() * 2 * PI;
    for (int k = 0; k < rings; k++)
        for (int i = 0; i < sides; i++) {
            const double a = turn + 2 * PI * (i + 0.3 * r.noise()) / sides;
            const double w = widths[k] * (1.0 + roughness * r.noise());
            ring[size_t(k)].push_back(base + Vec3{w * std::cos(a),
                                                  heights[k] * (1.0 + 0.1 * r.noise()),
                                                  w * std::sin(a)});
        }
    const Vec3 inside = base + Vec3{0, heights[rings - 1] * 0.5, 0};
    for (int k = 0; k + 1 < rings; k++)
        for (int i = 0; i < sides; i++) {
            const int j = (i + 1) % sides;
            const double u0 = 0.25 * i * widths[0], u1 = u0 + 0.25 * widths[0];
            const double v0 = 0.25 * heights[k], v1 = 0.25 * heights[k + 1];
            land_quad_facing(mesh, side_material, ring[size_t(k)][size_t(i)],
                             ring[size_t(k)][size_t(j)], ring[size_t(k + 1)][size_t(j)],
                             ring[size_t(k + 1)][size_t(i)], {u0, 1 - v0}, {u1, 1 - v0},
                             {u1, 1 - v1}, {u0, 1 - v1}, inside);
        }
    const std::vector<Vec3>& top = ring[size_t(rings - 1)];
    Vec3 peak{};
    for (const Vec3& p : top) peak += p * (1.0 / sides);
    peak.y += 0.15 * widths[rings - 1];
    for (int i = 0; i < sides; i++) {
        const Vec3 a = top[size_t(i)], b = top[size_t((i + 1) % sides)];
        land_triangle_facing(mesh, top_material, a, b, peak,
                             {0.1 * (a.x - base.x), 0.1 * (a.z - base.z)},
                             {0.1 * (b.x - base.x), 0.1 * (b.z - base.z)},
                             {0.1 * (peak.x - base.x), 0.1 * (peak.z - base.z)}, inside);
    }
}

} // namespace

Mesh land_boulders(LandPoint centre, unsigned seed)
{
    Mesh mesh;
    ContentRandom r{seed * 747796405u + 3u};
    const int rock = mesh_material(mesh, "rock4"), moss = mesh_material(mesh, "rock1");
    for (int n = 0; n < 3; n++) {
        const double size = n == 0 ? 2.2 : 1.0 + 0.6 * r.unit();
        const LandPoint p{centre.x + (n == 0 ? 0 : 3.5 * r.noise()),
                          centre.z + (n == 0 ? 0 : 3.5 * r.noise())};
        const Vec3 base{p.x, land_ground_height(p.x, p.z) - 0.4, p.z};
        const double heights[] = {0.0, 0.9 * size, 1.5 * size};
        const double widths[] = {size * 1.1, size * 1.0, size * 0.55};
        rock_lump(mesh, rock, moss, base, heights, widths, 3, 6, 0.18, r);
    }
    mesh_weld(mesh, MESH_WELD_EXACT);
    return mesh;
}

Mesh land_cliff(LandPoint centre, unsigned seed)
{
    Mesh mesh;
    ContentRandom r{seed * 2891336453u + 7u};
    const int face = mesh_material(mesh, "rock1"), top = mesh_material(mesh, "rock4");
    const Vec3 base{centre.x, land_ground_height(centre.x, centre.z) - 1.0, centre.z};
    const double heights[] = {0.0, 4.0, 7.5, 9.5};
    const double widths[] = {4.6, 4.0, 3.1, 2.0};
    rock_lump(mesh, face, top, base, heights, widths, 4, 8, 0.22, r);
    // A lower shoulder against its side.
    const Vec3 shoulder = base + Vec3{2.5 * r.noise(), 0, 2.5 * r.noise()};
    const double sh[] = {0.0, 3.0, 5.0};
    const double sw[] = {3.4, 2.8, 1.6};
    rock_lump(mesh, face, top, shoulder, sh, sw, 3, 6, 0.2, r);
    mesh_weld(mesh, MESH_WELD_EXACT);
    return mesh;
}

Mesh land_lake()
{
    Mesh mesh;
    const int water = mesh_material(mesh, "to"), stone = mesh_material(mesh, "rock1");
    constexpr int SEGMENTS = 24;
    constexpr double LEVEL = 0.03;
    const Vec3 centre{LAND_LAKE_CENTRE.x, LEVEL, LAND_LAKE_CENTRE.z};
    // The shore in world-anchored texture coordinates, so the water lines up with the bed.
    auto shore = [&](int i, double s) {
        const double a = 2 * PI * i / SEGMENTS;
        double reach = 0;
        while (land_in_lake(centre.x + (reach + 0.2) * std::cos(a),
                            centre.z + (reach + 0.2) * std::sin(a)))
            reach += 0.2;
        reach += 0.3;
        return Vec3{centre.x + s * reach * std::cos(a), LEVEL, centre.z + s * reach * std::sin(a)};
    };
    auto uv = [](Vec3 p) { return TexturePoint{(p.x + 96.0) / 8.0 - 8, (p.z + 96.0) / 8.0 - 4}; };
    const Vec3 below{centre.x, -100.0, centre.z};
    for (int i = 0; i < SEGMENTS; i++) {
        const Vec3 a = shore(i, 1.0), b = shore(i + 1, 1.0);
        const Vec3 c = shore(i + 1, 0.5), d = shore(i, 0.5);
        land_quad_facing(mesh, water, a, b, c, d, uv(a), uv(b), uv(c), uv(d), below);
        land_triangle_facing(mesh, water, d, c, centre, uv(d), uv(c), uv(centre), below);
    }
    // Stones along the shore hide where water meets grass.
    ContentRandom r{977u};
    for (int i = 0; i < 16; i++) {
        const Vec3 p = shore(i * SEGMENTS / 16, 1.0);
        const double size = 0.45 + 0.35 * r.unit();
        const double heights[] = {0.0, 0.5 * size, 0.8 * size};
        const double widths[] = {size, 0.9 * size, 0.4 * size};
        rock_lump(mesh, stone, stone, p + Vec3{0, -0.25, 0}, heights, widths, 3, 4, 0.2, r);
    }
    mesh_weld(mesh, MESH_WELD_EXACT);
    return mesh;
}
