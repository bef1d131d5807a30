// What grows by the roads: bushes in clumps, some in blossom, and hedges between the roads and
// the fields. Placed by hand where the flight looks along otherwise open stretches; each goes
// with the road it stands by.
#include "content/land/land.h"
#include "content/tools/random.h"

#include <cmath>

namespace {

constexpr double PI = 3.14159265358979323846;

struct Clump {
    LandPoint centre;
    int road, count;
    unsigned seed;
};

constexpr Clump clumps[] = {
    {{8.0, 58.5}, 0, 2, 1},     {{-14.0, 67.0}, 0, 2, 2},   {{-34.0, 57.5}, 0, 2, 3},
    {{60.0, 37.5}, 0, 2, 4},    {{88.0, 12.0}, 0, 2, 5},    {{-44.0, 30.0}, 0, 2, 6},
    {{-8.0, -53.5}, 1, 2, 7},   {{-36.0, -59.0}, 1, 2, 9},  {{-50.0, -65.0}, 1, 3, 10},
    {{-2.0, -93.0}, 1, 2, 12},  {{-11.0, -82.0}, 1, 2, 13}, {{9.0, -82.0}, 1, 2, 14},
    {{-72.0, -50.0}, 1, 2, 15}, {{-84.0, -22.0}, 1, 2, 16}, {{9.0, 30.0}, 1, 2, 18}};

struct Hedge {
    LandPoint a, b;
    int road;
};

constexpr Hedge hedges[] = {{{-34.0, 57.0}, {-12.5, 57.0}, 0},
                            {{-10.0, -61.5}, {-27.5, -61.5}, 1},
                            {{-12.0, 67.0}, {11.0, 67.0}, 0},
                            {{-61.0, -73.5}, {-45.0, -73.5}, 1}};

// A bush: a lump on a ring of five corners at the ground, five round its middle and a top,
// its leaves mapped as a lit ball like the trees' crowns, some of them in blossom.
void roadside_bush(Mesh& mesh, LandPoint p, double r, double h, bool blossom, ContentRandom& rnd)
{
    constexpr int SIDES = 5;
    const LandCrownMap& map = blossom ? LAND_CROWN_BLOSSOM : LAND_CROWN_DARK;
    const int leaves = mesh_material(mesh, map.texture);
    const double y = land_ground_height(p.x, p.z) - 0.25, turn = 2 * PI * rnd.unit();
    double lump[SIDES];
    for (double& l : lump) l = 0.85 + 0.3 * rnd.unit();
    auto at = [&](int k, int ring, double& u) {
        const double a = turn + 2 * PI * (k % SIDES + 0.5 * ring) / SIDES;
        u = (turn + 2 * PI * (k + 0.5 * ring) / SIDES) / (2 * PI); // past a turn, as the crowns
        const double s = ring == 0 ? r : 1.15 * r * lump[k % SIDES];
        return Vec3{p.x + s * std::cos(a), y + (ring == 0 ? 0 : 0.5 * h), p.z + s * std::sin(a)};
    };
    auto uv = [&](double u, double v) { return TexturePoint{u, map.v0 + map.dv * v}; };
    const Vec3 top{p.x, y + h, p.z}, inside{p.x, y + 0.4 * h, p.z};
    for (int k = 0; k < SIDES; k++) {
        double u0, u1, u2, u3;
        const Vec3 a = at(k, 0, u0), b = at(k + 1, 0, u1), c = at(k + 1, 1, u2), d = at(k, 1, u3);
        land_quad_facing(mesh, leaves, a, b, c, d, uv(u0, 0.8), uv(u1, 0.8), uv(u2, 0.45),
                         uv(u3, 0.45), inside);
        land_triangle_facing(mesh, leaves, d, c, top, uv(u3, 0.45), uv(u2, 0.45),
                             uv((u2 + u3) / 2, 0.05), inside);
    }
}

// A clipped hedge along a line: a rounded section drawn along it in steps, its top lit.
void roadside_hedge(Mesh& mesh, const Hedge& hedge)
{
    const LandCrownMap& map = LAND_CROWN_DARK;
    const int leaves = mesh_material(mesh, map.texture);
    constexpr double SECTION[][3] = {// across, up, row of the ball
                                     {-0.5, -0.25, 0.8}, {-0.55, 0.75, 0.55}, {-0.3, 1.3, 0.15},
                                     {0.3, 1.3, 0.15},   {0.55, 0.75, 0.55},  {0.5, -0.25, 0.8}};
    constexpr int POINTS = 6;
    const double len = std::hypot(hedge.b.x - hedge.a.x, hedge.b.z - hedge.a.z);
    const LandPoint along{(hedge.b.x - hedge.a.x) / len, (hedge.b.z - hedge.a.z) / len};
    const int steps = std::max(1, int(std::ceil(len / 3.0)));
    auto row = [&](int k) { return map.v0 + map.dv * SECTION[k][2]; };
    auto at = [&](int i, int k) {
        const double s = len * i / steps;
        const LandPoint c{hedge.a.x + along.x * s, hedge.a.z + along.z * s};
        const double bump = 1.0 + 0.08 * std::sin(3.1 * i) * (k % 5 == 0 ? 0 : 1);
        return Vec3{c.x - along.z * SECTION[k][0],
                    land_ground_height(c.x, c.z) + SECTION[k][1] * bump,
                    c.z + along.x * SECTION[k][0]};
    };
    for (int i = 0; i < steps; i++) {
        const double u0 = len * i / steps / 5, u1 = len * (i + 1) / steps / 5;
        const Vec3 mid = (at(i, 0) + at(i + 1, POINTS - 1)) * 0.5 + Vec3{0, 0.5, 0};
        for (int k = 0; k + 1 < POINTS; k++)
            land_quad_facing(mesh, leaves, at(i, k), at(i + 1, k), at(i + 1, k + 1), at(i, k + 1),
                             {u0, row(k)}, {u1, row(k)}, {u1, row(k + 1)}, {u0, row(k + 1)}, mid);
    }
    // The ends, closed.
    for (int i : {0, steps}) {
        const Vec3 mid = (at(i, 0) + at(i, POINTS - 1)) * 0.5 + Vec3{0, 0.5, 0};
        const Vec3 beyond = mid + Vec3{along.x, 0, along.z} * (i == 0 ? 1.0 : -1.0);
        for (int k = 1; k + 1 < POINTS; k++)
            land_triangle_facing(mesh, leaves, at(i, 0), at(i, k), at(i, k + 1), {0.1, row(0)},
                                 {0.15, row(k)}, {0.2, row(k + 1)}, beyond);
    }
}

} // namespace

Mesh land_roadside(int road)
{
    Mesh mesh;
    for (const Clump& c : clumps) {
        if (c.road != road) continue;
        ContentRandom rnd{c.seed * 2246822519u + 5u};
        int placed = 0;
        for (int attempt = 0; attempt < 40 && placed < c.count; attempt++) {
            const double a = 2 * PI * rnd.unit(), d = 2.5 * std::sqrt(rnd.unit());
            const double r = 0.7 + 0.5 * rnd.unit();
            const LandPoint p{c.centre.x + d * std::cos(a), c.centre.z + d * std::sin(a)};
            if (!land_room_for(p, r, r + 0.3)) continue;
            roadside_bush(mesh, p, r, 1.1 + 0.8 * rnd.unit(), placed % 3 == 1, rnd);
            placed++;
        }
    }
    for (const Hedge& h : hedges)
        if (h.road == road) roadside_hedge(mesh, h);
    mesh_weld(mesh, MESH_WELD_EXACT);
    return mesh;
}
