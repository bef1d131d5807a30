// Forests: conifers as stacked faceted cones on a bark trunk, broadleaf trees as lumpy
// faceted crowns; solid shapes, so no tree thins to a line when seen edge-on. Each forest
// scatters its trees round a centre, off the roads, the lake and the houses.
#include "content/land/land.h"
#include "content/tools/random.h"

#include <cmath>

namespace {

constexpr double PI = 3.14159265358979323846;

// Upright prism: the trunk, sides facing out.
void plant_trunk(Mesh& mesh, Vec3 base, double radius, double height, int sides)
{
    const int bark = mesh_material(mesh, "kereg");
    const Vec3 axis = base + Vec3{0, height / 2, 0};
    for (int i = 0; i < sides; i++) {
        const double a0 = 2 * PI * i / sides, a1 = 2 * PI * (i + 1) / sides;
        const Vec3 d0{radius * std::cos(a0), 0, radius * std::sin(a0)};
        const Vec3 d1{radius * std::cos(a1), 0, radius * std::sin(a1)};
        const Vec3 up{0, height, 0};
        const double u0 = double(i) / sides, u1 = double(i + 1) / sides;
        land_quad_facing(mesh, bark, base + d0, base + d1, base + d1 + up, base + d0 + up, {u0, 2},
                         {u1, 2}, {u1, 0}, {u0, 0}, axis);
    }
}

void plant_conifer(Mesh& mesh, Vec3 base, double height, bool blue, ContentRandom& r)
{
    plant_trunk(mesh, base, 0.22 * height / 9, 0.3 * height, 4);
    const int needles = mesh_material(mesh, blue ? "fenyo2" : "fenyo");
    constexpr int SIDES = 6;
    const double turn = r.unit() * PI;
    for (int tier = 0; tier < 2; tier++) {
        const double y0 = base.y + height * (tier == 0 ? 0.18 : 0.45);
        const double y1 = base.y + height * (tier == 0 ? 0.72 : 1.0);
        const double radius = height * (tier == 0 ? 0.3 : 0.21);
        const Vec3 apex{base.x, y1, base.z}, hub{base.x, y0 + 0.15 * (y1 - y0), base.z};
        const Vec3 inside{base.x, y0 + 0.3 * (y1 - y0), base.z};
        for (int i = 0; i < SIDES; i++) {
            auto rim = [&](int k) {
                const double a = turn + 2 * PI * k / SIDES + tier * 0.5;
                const double wobble = 1.0 + 0.12 * std::sin(k * 2.3 + tier);
                return Vec3{base.x + radius * wobble * std::cos(a), y0,
                            base.z + radius * wobble * std::sin(a)};
            };
            const Vec3 p0 = rim(i), p1 = rim(i + 1);
            const double u0 = 2.0 * i / SIDES, u1 = 2.0 * (i + 1) / SIDES;
            land_triangle_facing(mesh, needles, p0, p1, apex, {u0, 1}, {u1, 1}, {(u0 + u1) / 2, 0},
                                 inside);
            // The underside, a shallow cone up into the tier: closed when seen from below.
            land_triangle_facing(mesh, needles, p0, p1, hub, {u0, 1}, {u1, 1}, {(u0 + u1) / 2, 0.7},
                                 Vec3{base.x, y1 + 50, base.z});
        }
    }
}

void plant_broadleaf(Mesh& mesh, Vec3 base, double height, bool light, ContentRandom& r)
{
    plant_trunk(mesh, base, 0.3 * height / 8, 0.5 * height, 5);
    const int leaves = mesh_material(mesh, light ? "fa" : "zold3");
    constexpr int SIDES = 6;
    const double radius = 0.36 * height, centre_y = base.y + 0.62 * height;
    const Vec3 centre{base.x, centre_y, base.z};
    // Latitudes from the bottom pole to the top one, every corner pushed in or out a little.
    constexpr double LAT[] = {-1.0, -0.45, 0.25, 1.0};
    double lump[4][SIDES];
    for (auto& row : lump)
        for (double& l : row) l = 0.82 + 0.3 * r.unit();
    for (int k = 1; k < SIDES; k++) lump[0][k] = lump[0][0], lump[3][k] = lump[3][0]; // poles
    auto corner = [&](int lat, int k) {
        const double phi = LAT[lat] * PI / 2, a = 2 * PI * k / SIDES + lat * 0.5;
        const double s = lump[lat][k % SIDES] * radius;
        return centre + Vec3{s * std::cos(phi) * std::cos(a), 0.8 * s * std::sin(phi),
                             s * std::cos(phi) * std::sin(a)};
    };
    for (int lat = 0; lat < 3; lat++)
        for (int k = 0; k < SIDES; k++) {
            const double u0 = 1.5 * k / SIDES, u1 = 1.5 * (k + 1) / SIDES;
            const double v0 = 1.0 - lat / 3.0, v1 = 1.0 - (lat + 1) / 3.0;
            const Vec3 a = corner(lat, k), b = corner(lat, k + 1);
            const Vec3 c = corner(lat + 1, k + 1), d = corner(lat + 1, k);
            if (lat == 0)
                land_triangle_facing(mesh, leaves, a, c, d, {u0, v0}, {u1, v1}, {u0, v1}, centre);
            else if (lat == 2)
                land_triangle_facing(mesh, leaves, a, b, d, {u0, v0}, {u1, v0}, {u0, v1}, centre);
            else
                land_quad_facing(mesh, leaves, a, b, c, d, {u0, v0}, {u1, v0}, {u1, v1}, {u0, v1},
                                 centre);
        }
}

} // namespace

Mesh land_forest(LandPoint centre, double radius, int count, bool conifer, unsigned seed)
{
    Mesh mesh;
    ContentRandom r{seed * 2654435761u + 17u};
    std::vector<LandPoint> placed;
    for (int attempt = 0; attempt < 400 && int(placed.size()) < count; attempt++) {
        const double a = 2 * PI * r.unit(), d = radius * std::sqrt(r.unit());
        const LandPoint p{centre.x + d * std::cos(a), centre.z + d * std::sin(a)};
        bool free = land_road_distance(p.x, p.z) > LAND_ROAD_HALF_WIDTH + 2.0 &&
                    !land_in_lake(p.x, p.z) && land_inside_ring(p.x, p.z, 4.0);
        for (const LandPoint& h : land_house_sites)
            free = free && std::hypot(p.x - h.x, p.z - h.z) > 8.0;
        for (const LandPoint& q : placed)
            free = free && std::hypot(p.x - q.x, p.z - q.z) > (conifer ? 3.2 : 4.5);
        if (!free) continue;
        placed.push_back(p);
        // Sunk a little, so that the trunk stands in sloping ground.
        const Vec3 base{p.x, land_ground_height(p.x, p.z) - 0.3, p.z};
        if (conifer)
            plant_conifer(mesh, base, 7.0 + 4.0 * r.unit(), r.unit() < 0.4, r);
        else
            plant_broadleaf(mesh, base, 6.0 + 3.0 * r.unit(), r.unit() < 0.35, r);
    }
    mesh_weld(mesh, MESH_WELD_EXACT);
    return mesh;
}
