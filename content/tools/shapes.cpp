#include "content/tools/shapes.h"

#include <algorithm>
#include <cmath>

void mesh_grid(Mesh& mesh, int material, Vec3 p0, Vec3 p1, Vec3 p2, Vec3 p3, int nu, int nv,
               TileScale tile)
{
    const double lu = length(p1 - p0), lv = length(p3 - p0);
    auto at = [&](double s, double t) {
        return mix(mix(p0, p1, s), mix(p3, p2, s), t); // bilinear over the quad
    };
    for (int b = 0; b < nv; b++)
        for (int a = 0; a < nu; a++) {
            const double s0 = double(a) / nu, s1 = double(a + 1) / nu;
            const double t0 = double(b) / nv, t1 = double(b + 1) / nv;
            // The texture stands upright on the quad (its top row along p3-p2); coordinates
            // restart in every tile, so they stay small.
            const double du = (s1 - s0) * lu / tile.u, dv = (t1 - t0) * lv / tile.v;
            const double u0 = std::fmod(s0 * lu / tile.u, 1.0);
            const double v1 = std::fmod((1.0 - t1) * lv / tile.v, 1.0), v0 = v1 + dv;
            mesh_quad(mesh, material, at(s0, t0), at(s1, t0), at(s1, t1), at(s0, t1), {u0, v0},
                      {u0 + du, v0}, {u0 + du, v1}, {u0, v1});
        }
}

void mesh_box(Mesh& mesh, Vec3 lo, Vec3 hi, const BoxSides& sides, TileScale tile, double max_tile,
              bool inward)
{
    const Vec3 c[8] = {{lo.x, lo.y, lo.z}, {hi.x, lo.y, lo.z}, {hi.x, hi.y, lo.z},
                       {lo.x, hi.y, lo.z}, {lo.x, lo.y, hi.z}, {hi.x, lo.y, hi.z},
                       {hi.x, hi.y, hi.z}, {lo.x, hi.y, hi.z}};
    // Each side counter-clockwise seen from outside, starting at its lower left.
    const int quads[6][4] = {{0, 4, 7, 3}, {5, 1, 2, 6}, {0, 1, 5, 4},
                             {7, 6, 2, 3}, {1, 0, 3, 2}, {4, 5, 6, 7}};
    for (int s = 0; s < 6; s++) {
        if (sides.material[s] < 0) continue;
        Vec3 p[4] = {c[quads[s][0]], c[quads[s][1]], c[quads[s][2]], c[quads[s][3]]};
        if (inward) std::swap(p[1], p[3]);
        const int nu = std::max(1, int(std::ceil(length(p[1] - p[0]) / max_tile)));
        const int nv = std::max(1, int(std::ceil(length(p[3] - p[0]) / max_tile)));
        mesh_grid(mesh, sides.material[s], p[0], p[1], p[2], p[3], nu, nv, tile);
    }
}

void mesh_cylinder(Mesh& mesh, int material, Vec3 centre, double radius, double height, int sides,
                   double u_repeat, double v_repeat, bool inward)
{
    constexpr double PI = 3.14159265358979323846;
    for (int i = 0; i < sides; i++) {
        const double a0 = 2 * PI * i / sides, a1 = 2 * PI * (i + 1) / sides;
        const Vec3 b0 = centre + Vec3{radius * std::cos(a0), 0, -radius * std::sin(a0)};
        const Vec3 b1 = centre + Vec3{radius * std::cos(a1), 0, -radius * std::sin(a1)};
        const Vec3 up{0, height, 0};
        const double u0 = u_repeat * i / sides, u1 = u_repeat * (i + 1) / sides;
        if (inward)
            mesh_quad(mesh, material, b1, b0, b0 + up, b1 + up, {u1, v_repeat}, {u0, v_repeat},
                      {u0, 0}, {u1, 0});
        else
            mesh_quad(mesh, material, b0, b1, b1 + up, b0 + up, {u0, v_repeat}, {u1, v_repeat},
                      {u1, 0}, {u0, 0});
    }
}
