// Forests: conifers as stacked faceted cones on a bark trunk, broadleaf trees with round lumpy
// crowns; solid shapes, so no tree thins to a line when seen edge-on. Each forest
// scatters its trees round a centre, where they have room (off the roads and the water, clear
// of the buildings).
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
        const double a0 = 2 * PI * i / sides, a1 = 2 * PI * ((i + 1) % sides) / sides;
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
    // Three sides will do: most of the trunk is inside the cones.
    plant_trunk(mesh, base, 0.22 * height / 9, 0.3 * height, 3);
    const int needles = mesh_material(mesh, blue ? "fenyo2" : "fenyo");
    constexpr int SIDES = 6;
    const double turn = r.unit() * PI;
    for (int tier = 0; tier < 2; tier++) {
        const double y0 = base.y + height * (tier == 0 ? 0.18 : 0.45);
        const double y1 = base.y + height * (tier == 0 ? 0.72 : 1.0);
        const double radius = height * (tier == 0 ? 0.3 : 0.21);
        const Vec3 apex{base.x, y1, base.z};
        const Vec3 inside{base.x, y0 + 0.3 * (y1 - y0), base.z};
        // A corner goes by its place round the rim, so the last side meets the first exactly.
        auto rim = [&](int k) {
            const double a = turn + 2 * PI * (k % SIDES) / SIDES + tier * 0.5;
            const double wobble = 1.0 + 0.12 * std::sin((k % SIDES) * 2.3 + tier);
            return Vec3{base.x + radius * wobble * std::cos(a), y0,
                        base.z + radius * wobble * std::sin(a)};
        };
        for (int i = 0; i < SIDES; i++) {
            const Vec3 p0 = rim(i), p1 = rim(i + 1);
            const double u0 = 2.0 * i / SIDES, u1 = 2.0 * (i + 1) / SIDES;
            land_triangle_facing(mesh, needles, p0, p1, apex, {u0, 1}, {u1, 1}, {(u0 + u1) / 2, 0},
                                 inside);
            // The underside, flat: closed when seen from below.
            if (i > 0 && i + 1 < SIDES)
                land_triangle_facing(mesh, needles, rim(0), p0, p1, {0, 0.9}, {0.3, 0.95},
                                     {0.6, 0.9}, Vec3{base.x, y1 + 50, base.z});
        }
    }
}

// A round crown, rings of corners from the bottom pole to the top one, each pushed in or out a
// little. Its texture is a lit ball: u goes once round (by the corner's direction, the same for
// every tree, so that the sun lights them all from one side), v from the top pole down.
void plant_crown(Mesh& mesh, const LandCrownMap& map, Vec3 centre, double radius, ContentRandom& r)
{
    const int leaves = mesh_material(mesh, map.texture);
    constexpr int SIDES = 6, RINGS = 5;
    constexpr double LAT[RINGS] = {-1.0, -0.5, 0.05, 0.55, 1.0};
    double lump[RINGS][SIDES];
    for (auto& row : lump)
        for (double& l : row) l = 0.86 + 0.22 * r.unit();
    const double turn = 2 * PI * r.unit();
    // The corner's place round the ring fixes where it stands (the last side meets the first
    // exactly); u runs on past a whole turn, so that the last side's texture does not wrap back.
    auto corner = [&](int lat, int k, double& u) {
        const double phi = LAT[lat] * PI / 2, a = turn + 2 * PI * (k % SIDES + 0.5 * lat) / SIDES;
        u = (turn + 2 * PI * (k + 0.5 * lat) / SIDES) / (2 * PI);
        if (lat == 0 || lat == RINGS - 1) // a pole: one point for every side
            return centre + Vec3{0, 0.85 * 0.95 * radius * LAT[lat], 0};
        const double s = lump[lat][k % SIDES] * radius;
        return centre + Vec3{s * std::cos(phi) * std::cos(a), 0.85 * s * std::sin(phi),
                             s * std::cos(phi) * std::sin(a)};
    };
    for (int lat = 0; lat + 1 < RINGS; lat++)
        for (int k = 0; k < SIDES; k++) {
            double ua, ub, uc, ud;
            const Vec3 a = corner(lat, k, ua), b = corner(lat, k + 1, ub);
            const Vec3 c = corner(lat + 1, k + 1, uc), d = corner(lat + 1, k, ud);
            const double va = map.v0 + map.dv * (0.5 - LAT[lat] / 2);
            const double vc = map.v0 + map.dv * (0.5 - LAT[lat + 1] / 2);
            if (lat == 0) // the bottom pole: one point, its u halfway
                land_triangle_facing(mesh, leaves, a, c, d, {(uc + ud) / 2, va}, {uc, vc}, {ud, vc},
                                     centre);
            else if (lat + 2 == RINGS)
                land_triangle_facing(mesh, leaves, a, b, d, {ua, va}, {ub, va}, {(ua + ub) / 2, vc},
                                     centre);
            else
                land_quad_facing(mesh, leaves, a, b, c, d, {ua, va}, {ub, va}, {uc, vc}, {ud, vc},
                                 centre);
        }
}

void plant_broadleaf(Mesh& mesh, Vec3 base, double height, bool light, ContentRandom& r)
{
    plant_trunk(mesh, base, 0.3 * height / 8, 0.5 * height, 4);
    plant_crown(mesh, light ? LAND_CROWN_LIGHT : LAND_CROWN_DARK,
                {base.x, base.y + 0.62 * height, base.z}, 0.37 * height, r);
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
        bool free = land_room_for(p, 1.0, 2.0);
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
