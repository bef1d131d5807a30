// The village's houses (plastered walls with their doors and windows painted on, brick gables
// and chimney, a tiled roof) and the closing billboard, a framed picture on two posts over the
// road south.
#include "content/land/land.h"

#include <cmath>

namespace {

struct HouseShape {
    double width, depth, wall, ridge;
};

constexpr HouseShape house_shapes[4] = {
    {8.0, 6.0, 4.0, 7.0}, {9.0, 6.0, 4.2, 7.2}, {7.0, 5.5, 3.8, 6.6}, {8.5, 6.5, 4.4, 7.6}};

} // namespace

Mesh land_house(LandPoint centre, double facing, int index)
{
    Mesh mesh;
    const HouseShape& h = house_shapes[index & 3];
    // The front and back walls share a texture, the side walls share one with the church's.
    const int walls = mesh_material(mesh, "hazelol"), side = mesh_material(mesh, "hazoldal");
    const int roof = mesh_material(mesh, "teto");
    const int brick = mesh_material(mesh, "tegla1");
    const double y0 = land_ground_height(centre.x, centre.z) - 0.3;
    const Vec3 f{std::cos(facing), 0, std::sin(facing)}, s{-std::sin(facing), 0, std::cos(facing)};
    const Vec3 c{centre.x, y0, centre.z};
    auto at = [&](double a, double b, double y) { return c + s * a + f * b + Vec3{0, y, 0}; };
    const double w = h.width / 2, d = h.depth / 2, top = h.wall + 0.3;
    const Vec3 inside = at(0, 0, top / 2);
    land_panel(mesh, walls, at(-w, d, 0), at(w, d, 0), at(w, d, top), at(-w, d, top), inside, 0,
               LAND_UPPER_WALL);
    land_panel(mesh, walls, at(w, -d, 0), at(-w, -d, 0), at(-w, -d, top), at(w, -d, top), inside, 0,
               LAND_LOWER_WALL);
    land_panel(mesh, side, at(w, d, 0), at(w, -d, 0), at(w, -d, top), at(w, d, top), inside, 0,
               LAND_UPPER_WALL);
    land_panel(mesh, side, at(-w, -d, 0), at(-w, d, 0), at(-w, d, top), at(-w, -d, top), inside, 0,
               LAND_UPPER_WALL);
    // Brick gables under the ridge, which runs from side to side.
    const double ridge = h.ridge + 0.3;
    for (double a : {-w, w})
        land_triangle_facing(mesh, brick, at(a, d, top), at(a, -d, top), at(a, 0, ridge), {0, 1},
                             {1.5, 1}, {0.75, 0}, inside);
    // The roof, past the walls on every side.
    constexpr double EAVES = 0.35;
    const double drop = EAVES * (ridge - top) / d;
    for (double sign : {1.0, -1.0}) {
        const Vec3 e0 = at(-w - EAVES, sign * (d + EAVES), top - drop);
        const Vec3 e1 = at(w + EAVES, sign * (d + EAVES), top - drop);
        const Vec3 r1 = at(w + EAVES, 0, ridge), r0 = at(-w - EAVES, 0, ridge);
        land_panel(mesh, roof, e0, e1, r1, r0, at(0, 0, top), 2.5);
    }
    // A chimney through the back slope.
    const double cx = w * 0.45, cb = -d * 0.45, ch = ridge + 0.8;
    const Vec3 chimney = at(cx, cb, ch - 1);
    const double q = 0.45;
    const Vec3 p[4] = {at(cx - q, cb - q, 0), at(cx + q, cb - q, 0), at(cx + q, cb + q, 0),
                       at(cx - q, cb + q, 0)};
    for (int i = 0; i < 4; i++) {
        const Vec3 a = p[i] + Vec3{0, top, 0}, b = p[(i + 1) % 4] + Vec3{0, top, 0};
        land_quad_facing(mesh, brick, a, b, Vec3{b.x, y0 + ch, b.z}, Vec3{a.x, y0 + ch, a.z},
                         {0, 1}, {0.5, 1}, {0.5, 0}, {0, 0}, chimney);
    }
    land_quad_facing(mesh, brick, Vec3{p[0].x, y0 + ch, p[0].z}, Vec3{p[1].x, y0 + ch, p[1].z},
                     Vec3{p[2].x, y0 + ch, p[2].z}, Vec3{p[3].x, y0 + ch, p[3].z}, {0, 0}, {0.3, 0},
                     {0.3, 0.3}, {0, 0.3}, chimney);
    mesh_weld(mesh, MESH_WELD_EXACT);
    return mesh;
}

// The board stands across the road's end, its picture towards the north, where the flight's
// last look comes from.
Mesh land_billboard()
{
    Mesh mesh;
    const int picture = mesh_material(mesh, "hird1"), wood = mesh_material(mesh, "kereg");
    constexpr double CX = 5.0, CY = 10.0, Z = -83.4, W = 7.2, H = 5.4, BEAM = 0.6;
    const Vec3 behind{CX, CY, Z - 50};
    land_panel(mesh, picture, {CX - W, CY - H, Z}, {CX + W, CY - H, Z}, {CX + W, CY + H, Z},
               {CX - W, CY + H, Z}, behind);
    land_panel(mesh, wood, {CX + W, CY - H, Z - 0.1}, {CX - W, CY - H, Z - 0.1},
               {CX - W, CY + H, Z - 0.1}, {CX + W, CY + H, Z - 0.1}, {CX, CY, Z + 50}, 2.0);
    // Frame beams and posts: boxes of bark-brown wood.
    auto beam = [&](Vec3 lo, Vec3 hi) {
        const Vec3 mid = (lo + hi) * 0.5;
        const Vec3 c[8] = {{lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, hi.y, lo.z},
                           {lo.x, hi.y, lo.z}, {lo.x, lo.y, hi.z}, {hi.x, lo.y, hi.z},
                           {hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z}};
        const int quads[6][4] = {{0, 4, 7, 3}, {5, 1, 2, 6}, {0, 1, 5, 4},
                                 {7, 6, 2, 3}, {1, 0, 3, 2}, {4, 5, 6, 7}};
        for (const auto& q : quads) {
            const double len = std::max(length(c[q[1]] - c[q[0]]), length(c[q[3]] - c[q[0]]));
            land_quad_facing(mesh, wood, c[q[0]], c[q[1]], c[q[2]], c[q[3]], {0, 0}, {0.25, 0},
                             {0.25, len / 4}, {0, len / 4}, mid);
        }
    };
    beam({CX - W - BEAM, CY + H, Z - 0.2}, {CX + W + BEAM, CY + H + BEAM, Z + 0.35});
    beam({CX - W - BEAM, CY - H - BEAM, Z - 0.2}, {CX + W + BEAM, CY - H, Z + 0.35});
    beam({CX - W - BEAM, CY - H, Z - 0.2}, {CX - W, CY + H, Z + 0.35});
    beam({CX + W, CY - H, Z - 0.2}, {CX + W + BEAM, CY + H, Z + 0.35});
    for (double x : {CX - W - 1.2, CX + W + 0.6})
        beam({x, land_ground_height(x, Z) - 0.5, Z - 0.6}, {x + 0.6, CY + H + BEAM, Z - 0.2});
    mesh_weld(mesh, MESH_WELD_EXACT);
    return mesh;
}

void land_panel(Mesh& mesh, int material, Vec3 p0, Vec3 p1, Vec3 p2, Vec3 p3, Vec3 away_from,
                double tile, LandTexturePart part)
{
    const double lu = length(p1 - p0), lv = length(p3 - p0);
    const int nu = lu > 4.5 ? 3 : 2, nv = lv > 3 ? 2 : 1;
    const double ru = tile > 0 ? lu / tile : 1.0, rv = tile > 0 ? lv / tile : 1.0;
    auto at = [&](double s, double t) { return mix(mix(p0, p1, s), mix(p3, p2, s), t); };
    auto uv = [&](double s, double t) {
        return TexturePoint{part.u0 + s * ru * part.du, part.v0 + (1 - t * rv) * part.dv};
    };
    for (int b = 0; b < nv; b++)
        for (int a = 0; a < nu; a++) {
            const double s0 = double(a) / nu, s1 = double(a + 1) / nu;
            const double t0 = double(b) / nv, t1 = double(b + 1) / nv;
            land_quad_facing(mesh, material, at(s0, t0), at(s1, t0), at(s1, t1), at(s0, t1),
                             uv(s0, t0), uv(s1, t0), uv(s1, t1), uv(s0, t1), away_from);
        }
}
