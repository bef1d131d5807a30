// The land's two landmarks, seen from afar: the church in the village square, its tower and
// spire over the roofs, and the windmill on the rise north-east of the first bend.
#include "content/land/land.h"

#include <cmath>

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr double INSET = LAND_TEXEL;

// The church's half of its texture: the nave's side, a plain stretch between its windows, the
// tower's face, and the tower's face without the door at its foot.
constexpr LandTexturePart NAVE{0.0, 0.5 + INSET, 0.8 - INSET, 0.5 - 2 * INSET};
constexpr LandTexturePart PLAIN{0.3, 0.5 + INSET, 0.2, 0.5 - 2 * INSET};
constexpr LandTexturePart TOWER{0.8 + INSET, 0.5 + INSET, 0.2 - 2 * INSET, 0.5 - 2 * INSET};
constexpr LandTexturePart TOWER_SIDE{0.8 + INSET, 0.5 + INSET, 0.2 - 2 * INSET, 0.34};

// A gable: the triangle under a ridge that runs across it, plastered.
void church_gable(Mesh& mesh, int wall, Vec3 a, Vec3 b, Vec3 apex, Vec3 inside)
{
    const double u0 = PLAIN.u0, u1 = PLAIN.u0 + PLAIN.du, v = 0.5 + 0.45;
    land_triangle_facing(mesh, wall, a, b, apex, {u0, v}, {u1, v}, {(u0 + u1) / 2, 0.58}, inside);
}

} // namespace

Mesh land_church()
{
    Mesh mesh;
    const int wall = mesh_material(mesh, "hazoldal"), roof = mesh_material(mesh, "teto");
    const double cz = LAND_CHURCH.z, y0 = land_ground_height(LAND_CHURCH.x, cz) - 0.3;
    // The nave runs east from the tower; the tower stands at its west end, a hair apart.
    const double x0 = LAND_CHURCH.x - 4.0, x1 = LAND_CHURCH.x + 5.5, z0 = cz - 2.75, z1 = cz + 2.75;
    const double top = y0 + 4.7, ridge = y0 + 7.9;
    const Vec3 inside{(x0 + x1) / 2, y0 + 2, cz};
    land_panel(mesh, wall, {x0, y0, z1}, {x1, y0, z1}, {x1, top, z1}, {x0, top, z1}, inside, 0,
               NAVE);
    land_panel(mesh, wall, {x1, y0, z0}, {x0, y0, z0}, {x0, top, z0}, {x1, top, z0}, inside, 0,
               NAVE);
    land_panel(mesh, wall, {x1, y0, z1}, {x1, y0, z0}, {x1, top, z0}, {x1, top, z1}, inside, 0,
               PLAIN);
    land_panel(mesh, wall, {x0, y0, z0}, {x0, y0, z1}, {x0, top, z1}, {x0, top, z0}, inside, 0,
               PLAIN);
    for (double x : {x0, x1})
        church_gable(mesh, wall, {x, top, z0}, {x, top, z1}, {x, ridge, cz}, inside);
    constexpr double EAVES = 0.4;
    const double drop = EAVES * (ridge - top) / (z1 - cz);
    for (double side : {-1.0, 1.0}) {
        const double ze = cz + side * (z1 - cz + EAVES);
        land_panel(mesh, roof, {x0, top - drop, ze}, {x1 + EAVES, top - drop, ze},
                   {x1 + EAVES, ridge, cz}, {x0, ridge, cz}, {inside.x, top, cz}, 2.5);
    }
    // The tower, three units square, and its spire.
    const double t0 = x0 - 3.05, t1 = x0 - 0.05, s0 = cz - 1.5, s1 = cz + 1.5;
    const double tower_top = y0 + 10.5, apex = y0 + 16.0;
    const Vec3 core{(t0 + t1) / 2, y0 + 5, cz};
    land_panel(mesh, wall, {t0, y0, s0}, {t0, y0, s1}, {t0, tower_top, s1}, {t0, tower_top, s0},
               core, 0, TOWER);
    land_panel(mesh, wall, {t0, y0, s1}, {t1, y0, s1}, {t1, tower_top, s1}, {t0, tower_top, s1},
               core, 0, TOWER_SIDE);
    land_panel(mesh, wall, {t1, y0, s0}, {t0, y0, s0}, {t0, tower_top, s0}, {t1, tower_top, s0},
               core, 0, TOWER_SIDE);
    land_panel(mesh, wall, {t1, y0, s1}, {t1, y0, s0}, {t1, tower_top, s0}, {t1, tower_top, s1},
               core, 0, TOWER_SIDE);
    const Vec3 corners[4] = {
        {t0, tower_top, s0}, {t0, tower_top, s1}, {t1, tower_top, s1}, {t1, tower_top, s0}};
    const Vec3 peak{core.x, apex, cz};
    for (int i = 0; i < 4; i++)
        land_triangle_facing(mesh, roof, corners[i], corners[(i + 1) % 4], peak, {0, 2.2},
                             {1.2, 2.2}, {0.6, 0}, core);
    mesh_weld(mesh, MESH_WELD_EXACT);
    return mesh;
}

Mesh land_windmill()
{
    Mesh mesh;
    const int wall = mesh_material(mesh, "hazelol"), cap = mesh_material(mesh, "kereg");
    const int cloth = mesh_material(mesh, "hazoldal");
    constexpr int SIDES = 8;
    constexpr double FOOT = 2.1, NECK = 1.4, HEIGHT = 7.5;
    const LandPoint c = LAND_WINDMILL;
    double y0 = 1e9;
    for (int i = 0; i < SIDES; i++) {
        const double a = 2 * PI * i / SIDES;
        y0 = std::min(y0, land_ground_height(c.x + FOOT * std::cos(a), c.z + FOOT * std::sin(a)));
    }
    y0 -= 0.3;
    // The sails face the south-east, where the flight first sees the mill.
    const double facing = std::atan2(-0.8, 0.6);
    auto ring = [&](int i, double r, double y) {
        const double a = facing + 2 * PI * (i + 0.5) / SIDES;
        return Vec3{c.x + r * std::cos(a), y, c.z + r * std::sin(a)};
    };
    const Vec3 axis{c.x, y0 + HEIGHT / 2, c.z};
    // Plaster from the house's front wall, and its door on the side to the sails.
    constexpr LandTexturePart PLASTER_LOW{0.375, 0.25, 0.05, 0.25 - INSET};
    constexpr LandTexturePart PLASTER_HIGH{0.375, INSET, 0.05, 0.22};
    constexpr LandTexturePart DOOR{0.39, 0.16, 0.22, 0.5 - INSET - 0.16};
    const double mid = y0 + HEIGHT * 0.45, top = y0 + HEIGHT;
    for (int i = 0; i < SIDES; i++) {
        const double r_mid = FOOT + (NECK - FOOT) * 0.45;
        const LandTexturePart low = i == SIDES - 1 ? DOOR : PLASTER_LOW;
        land_panel(mesh, wall, ring(i, FOOT, y0), ring(i + 1, FOOT, y0), ring(i + 1, r_mid, mid),
                   ring(i, r_mid, mid), {axis.x, mid * 0.5 + y0 * 0.5, axis.z}, 0, low);
        land_panel(mesh, wall, ring(i, r_mid, mid), ring(i + 1, r_mid, mid), ring(i + 1, NECK, top),
                   ring(i, NECK, top), {axis.x, mid, axis.z}, 0, PLASTER_HIGH);
    }
    // The cap: a wooden cone over an overhanging rim.
    const Vec3 apex{c.x, top + 2.0, c.z};
    for (int i = 0; i < SIDES; i++) {
        const Vec3 a = ring(i, NECK + 0.35, top - 0.15), b = ring(i + 1, NECK + 0.35, top - 0.15);
        land_triangle_facing(mesh, cap, a, b, apex, {0, 1}, {0.5, 1}, {0.25, 0}, axis);
        land_quad_facing(mesh, cap, ring(i, NECK, top), ring(i + 1, NECK, top), b, a, {0, 0},
                         {0.5, 0}, {0.5, 0.1}, {0, 0.1}, {c.x, top + 5, c.z});
    }
    // Four sails on their stocks, across the front of the cap, seen from either side.
    const Vec3 out{std::cos(facing), 0, std::sin(facing)}, side{-out.z, 0, out.x};
    const Vec3 hub = Vec3{c.x, top + 0.4, c.z} + out * (NECK + 0.9);
    for (int k = 0; k < 4; k++) {
        const double a = PI / 4 + k * PI / 2;
        const Vec3 along = side * std::cos(a) + Vec3{0, std::sin(a), 0};
        const Vec3 across = side * -std::sin(a) + Vec3{0, std::cos(a), 0};
        const Vec3 p0 = hub + along * 1.2, p1 = hub + along * 6.5;
        const Vec3 q0 = p0 + across * 1.1, q1 = p1 + across * 1.1;
        const Vec3 s0 = hub + across * 0.08, s1 = hub + along * 6.7 + across * 0.08;
        for (const Vec3 from : {hub + out * 5, hub - out * 5}) {
            land_quad_facing(mesh, cloth, p0, p1, q1, q0, {0.31, 0.6}, {0.31, 0.92}, {0.49, 0.92},
                             {0.49, 0.6}, from);
            land_quad_facing(mesh, cap, hub, hub + along * 6.7, s1, s0, {0, 0}, {0, 1}, {0.1, 1},
                             {0.1, 0}, from);
        }
    }
    mesh_weld(mesh, MESH_WELD_EXACT);
    return mesh;
}
