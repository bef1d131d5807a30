// The ground ("talaj"): the city's ground in cells of 5 x 5 units, asphalt on the streets with
// the line along their middle, cobbles beside them and in the squares, stone slabs on the
// pipe's plaza. Cells under houses, the bunker and the bridge's ramps are left out; at the tube's
// mouth a square hole, its corners closed up to the tube's eight sides.
#include "content/city/city_world.h"

#include <cmath>
#include <map>

namespace {

constexpr double CELL = 5.0;
constexpr double ROAD_HALF = 5.5;    // cells whose middle is this near a street are road
constexpr double ROAD_ACROSS = 20.0; // the road texture spans this much across the street
constexpr double ROAD_ALONG = 8.0;
constexpr double KERB_WIDTH = 0.6, KERB_HEIGHT = 0.6;

bool inside_any(const std::vector<CityRect>& rects, double x, double z)
{
    for (const CityRect& r : rects)
        if (r.contains(x, z)) return true;
    return false;
}

// A low kerb round the hole: from the street far away it hides the shaft below.
void hole_kerb(Mesh& m, int material, const CityRect& h)
{
    auto quad = [&](Vec3 a, Vec3 b, Vec3 c, Vec3 d, Vec3 towards) {
        if (dot(cross(b - a, d - a), towards) < 0) std::swap(b, d);
        mesh_quad(m, material, a, b, c, d, {0, 0.2}, {1, 0.2}, {1, 0}, {0, 0});
    };
    const double w = KERB_WIDTH, y = KERB_HEIGHT;
    for (int side = 0; side < 2; side++) {
        // Along x at z0 and z1: these sides cover the corners.
        const double z = side ? h.z1 : h.z0, out = side ? w : -w;
        const Vec3 facing{0, 0, side ? 1.0 : -1.0};
        quad({h.x0, 0, z}, {h.x1, 0, z}, {h.x1, y, z}, {h.x0, y, z}, -facing);
        quad({h.x0 - w, y, z}, {h.x1 + w, y, z}, {h.x1 + w, y, z + out}, {h.x0 - w, y, z + out},
             {0, 1, 0});
        quad({h.x0 - w, 0, z + out}, {h.x1 + w, 0, z + out}, {h.x1 + w, y, z + out},
             {h.x0 - w, y, z + out}, facing);
        // Along z at x0 and x1, between the others.
        const double x = side ? h.x1 : h.x0, outx = side ? w : -w;
        const Vec3 facing_x{side ? 1.0 : -1.0, 0, 0};
        quad({x, 0, h.z0}, {x, 0, h.z1}, {x, y, h.z1}, {x, y, h.z0}, -facing_x);
        quad({x, y, h.z0}, {x, y, h.z1}, {x + outx, y, h.z1}, {x + outx, y, h.z0}, {0, 1, 0});
        quad({x + outx, 0, h.z0}, {x + outx, 0, h.z1}, {x + outx, y, h.z1}, {x + outx, y, h.z0},
             facing_x);
    }
}

} // namespace

Mesh city_ground(const CityPlan& plan)
{
    Mesh m;
    const int road = mesh_material(m, "ut-a4", 40, 40, 42);
    const int cobbles = mesh_material(m, "kovek-1", 90, 80, 70);
    const int slabs = mesh_material(m, "ko-1", 110, 110, 105);

    std::vector<CityRect> covered = city_lots(plan);
    covered.push_back(plan.bunker);
    covered.push_back(plan.hole);
    // Under the ramps, but not where the abutments lean back over the ground.
    const CityRect& w = plan.ramps[0];
    const CityRect& e = plan.ramps[1];
    covered.push_back({w.x0, w.z0, w.x1 - CITY_ABUTMENT_LEAN, w.z1});
    covered.push_back({e.x0 + CITY_ABUTMENT_LEAN, e.z0, e.x1, e.z1});

    // Corners are shared between cells: the ground is most of the scene's vertices.
    std::map<std::pair<int, int>, int> corners;
    auto corner = [&](int i, int j) {
        auto [it, fresh] = corners.try_emplace({i, j}, 0);
        if (fresh) it->second = mesh_vertex(m, {i * CELL, 0.0, j * CELL});
        return it->second;
    };
    const CityRect& g = plan.ground;
    for (int j = int(g.z0 / CELL); j < int(g.z1 / CELL); j++)
        for (int i = int(g.x0 / CELL); i < int(g.x1 / CELL); i++) {
            const double x0 = i * CELL, z0 = j * CELL, x1 = x0 + CELL, z1 = z0 + CELL;
            const double cx = x0 + CELL / 2, cz = z0 + CELL / 2;
            if (inside_any(covered, cx, cz)) continue;
            const int a = corner(i, j + 1), b = corner(i + 1, j + 1), c = corner(i + 1, j),
                      d = corner(i, j);
            const CityStreetPoint s = city_street_distance(plan, cx, cz);
            int material = cobbles;
            TexturePoint t[4] = {{0, 1}, {1, 1}, {1, 0}, {0, 0}};
            if (plan.plaza.contains(cx, cz)) {
                material = slabs;
            } else if (s.distance <= ROAD_HALF && !plan.square.contains(cx, cz)) {
                // Texture across and along the street, from its nearest point.
                material = road;
                const Vec3 across{s.along.z, 0.0, -s.along.x};
                const double phase = std::floor(s.arc / ROAD_ALONG);
                const Vec3 p[4] = {{x0, 0, z1}, {x1, 0, z1}, {x1, 0, z0}, {x0, 0, z0}};
                for (int k = 0; k < 4; k++) {
                    const Vec3 off = p[k] - s.closest;
                    t[k] = {0.5 + dot(off, across) / ROAD_ACROSS,
                            (s.arc + dot(off, s.along)) / ROAD_ALONG - phase};
                }
            }
            mesh_triangle(m, material, a, b, c, t[0], t[1], t[2]);
            mesh_triangle(m, material, a, c, d, t[0], t[2], t[3]);
        }

    // The hole's corners, up to the octagon the tube starts with.
    const CityRect& h = plan.hole;
    const double cx = (h.x0 + h.x1) / 2, cz = (h.z0 + h.z1) / 2, half = (h.x1 - h.x0) / 2;
    const double k = half * std::tan(3.14159265358979323846 / 8);
    for (int q = 0; q < 4; q++) {
        const double sx = q == 0 || q == 3 ? 1 : -1, sz = q < 2 ? 1 : -1;
        const Vec3 corner_point{cx + sx * half, 0, cz + sz * half};
        Vec3 p1{cx + sx * half, 0, cz + sz * k}, p2{cx + sx * k, 0, cz + sz * half};
        if (cross(p2 - corner_point, p1 - corner_point).y < 0) std::swap(p1, p2); // face up
        mesh_triangle(m, cobbles, mesh_vertex(m, corner_point), mesh_vertex(m, p2),
                      mesh_vertex(m, p1), {0, 0}, {0.5, 0}, {0, 0.5});
    }
    hole_kerb(m, slabs, h);
    return m;
}
