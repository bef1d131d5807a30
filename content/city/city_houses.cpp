// The houses ("hazak"): lots of 10 x 10 units along the streets, each a house of two to seven
// floors with windows on its street sides, a gabled tile roof on the low ones and a flat one on
// the tall; where a house rises above its neighbour, a blind brick wall. Inner walls that no one
// sees are left out, and every wall ends at its neighbour's height.
#include "content/city/city_world.h"

#include <cmath>

namespace {

constexpr int LOT = 10;
constexpr double FLOOR = 3.0, FACADE_FLOORS = 4.0, ROOF_RISE = 3.0;
constexpr double DEEPEST = 26.0; // lots farther from a street are yards

uint32_t lot_hash(int i, int j, uint32_t seed)
{
    uint32_t h = uint32_t(i + 1000) * 73856093u ^ uint32_t(j + 1000) * 19349663u ^ seed * 83492791u;
    h ^= h >> 15;
    h *= 2654435761u;
    return h ^ (h >> 13);
}

double lot_unit(int i, int j, uint32_t seed)
{
    return (lot_hash(i, j, seed) >> 8) * (1.0 / 16777216.0);
}

bool overlaps(const CityRect& a, const CityRect& b)
{
    return a.x0 < b.x1 && b.x0 < a.x1 && a.z0 < b.z1 && b.z0 < a.z1;
}

// The lot keeps clear of every street by that street's clearance; how near the nearest is.
bool lot_free(const CityPlan& plan, const CityRect& r, double* nearest)
{
    *nearest = 1e9;
    for (const CityStreet& s : plan.streets)
        for (size_t i = 0; i + 1 < s.points.size(); i++) {
            const Vec3 a = s.points[i], b = s.points[i + 1];
            const int n = std::max(1, int(length(b - a) / 0.5));
            for (int k = 0; k <= n; k++) {
                const Vec3 p = mix(a, b, double(k) / n);
                const double dx = std::max({r.x0 - p.x, 0.0, p.x - r.x1});
                const double dz = std::max({r.z0 - p.z, 0.0, p.z - r.z1});
                const double d = std::sqrt(dx * dx + dz * dz);
                if (d < s.clearance) return false;
                *nearest = std::min(*nearest, d);
            }
        }
    return true;
}

// A wall from a to b (left to right seen from outside) between heights y0 and y1, cut into
// tiles at every `span` units of height so that the texture's rows keep their size.
void wall(Mesh& m, int material, Vec3 a, Vec3 b, double y0, double y1, double span,
          TexturePoint shift)
{
    const double u0 = shift.u, u1 = shift.u + 1.0;
    for (double base = y0; base < y1 - 1e-6; base += span) {
        const double top = std::min(base + span, y1);
        const double v = 1.0 - (top - base) / span + shift.v;
        mesh_quad(m, material, {a.x, base, a.z}, {b.x, base, b.z}, {b.x, top, b.z}, {a.x, top, a.z},
                  {u0, 1.0 + shift.v}, {u1, 1.0 + shift.v}, {u1, v}, {u0, v});
    }
}

struct Lot {
    double height = 0; // eaves; 0: no house
    bool gabled = false, ridge_x = false;
    TexturePoint shift{0, 0}; // where in the facade's pattern of lit windows the walls begin
    int facade = 0;
};

void house_roof(Mesh& m, const CityRect& r, const Lot& lot, int tiles, int flat)
{
    const double h = lot.height, top = h + ROOF_RISE;
    if (!lot.gabled) {
        mesh_quad(m, flat, {r.x0, h, r.z1}, {r.x1, h, r.z1}, {r.x1, h, r.z0}, {r.x0, h, r.z0},
                  {0, 1}, {1, 1}, {1, 0}, {0, 0});
        return;
    }
    if (lot.ridge_x) {
        const double zc = (r.z0 + r.z1) / 2;
        mesh_quad(m, tiles, {r.x1, h, r.z0}, {r.x0, h, r.z0}, {r.x0, top, zc}, {r.x1, top, zc},
                  {0, 1}, {1, 1}, {1, 0}, {0, 0});
        mesh_quad(m, tiles, {r.x0, h, r.z1}, {r.x1, h, r.z1}, {r.x1, top, zc}, {r.x0, top, zc},
                  {0, 1}, {1, 1}, {1, 0}, {0, 0});
        mesh_triangle(m, lot.facade, mesh_vertex(m, {r.x0, h, r.z0}),
                      mesh_vertex(m, {r.x0, h, r.z1}), mesh_vertex(m, {r.x0, top, zc}), {0, 0.3},
                      {1, 0.3}, {0.5, 0.05});
        mesh_triangle(m, lot.facade, mesh_vertex(m, {r.x1, h, r.z1}),
                      mesh_vertex(m, {r.x1, h, r.z0}), mesh_vertex(m, {r.x1, top, zc}), {0, 0.3},
                      {1, 0.3}, {0.5, 0.05});
    } else {
        const double xc = (r.x0 + r.x1) / 2;
        mesh_quad(m, tiles, {r.x0, h, r.z0}, {r.x0, h, r.z1}, {xc, top, r.z1}, {xc, top, r.z0},
                  {0, 1}, {1, 1}, {1, 0}, {0, 0});
        mesh_quad(m, tiles, {r.x1, h, r.z1}, {r.x1, h, r.z0}, {xc, top, r.z0}, {xc, top, r.z1},
                  {0, 1}, {1, 1}, {1, 0}, {0, 0});
        mesh_triangle(m, lot.facade, mesh_vertex(m, {r.x1, h, r.z0}),
                      mesh_vertex(m, {r.x0, h, r.z0}), mesh_vertex(m, {xc, top, r.z0}), {0, 0.3},
                      {1, 0.3}, {0.5, 0.05});
        mesh_triangle(m, lot.facade, mesh_vertex(m, {r.x0, h, r.z1}),
                      mesh_vertex(m, {r.x1, h, r.z1}), mesh_vertex(m, {xc, top, r.z1}), {0, 0.3},
                      {1, 0.3}, {0.5, 0.05});
    }
}

struct LotGrid {
    int i0, j0, ni, nj;
    std::vector<Lot> lots;
    CityRect rect(int i, int j) const
    {
        const double x = (i0 + i) * LOT, z = (j0 + j) * LOT;
        return CityRect{x - LOT / 2.0, z - LOT / 2.0, x + LOT / 2.0, z + LOT / 2.0};
    }
    const Lot* at(int i, int j) const
    {
        return i < 0 || j < 0 || i >= ni || j >= nj ? nullptr : &lots[size_t(j * ni + i)];
    }
};

// Which lots are built, how high, and in which style. facades: the three window materials.
LotGrid plan_lots(const CityPlan& plan, const int* facades)
{
    const CityRect& g = plan.ground;
    LotGrid grid;
    grid.i0 = int(std::ceil((g.x0 + LOT / 2) / LOT));
    grid.j0 = int(std::ceil((g.z0 + LOT / 2) / LOT));
    grid.ni = int(std::floor((g.x1 - LOT / 2) / LOT)) - grid.i0 + 1;
    grid.nj = int(std::floor((g.z1 - LOT / 2) / LOT)) - grid.j0 + 1;
    grid.lots.resize(size_t(grid.ni * grid.nj));
    for (int j = 0; j < grid.nj; j++)
        for (int i = 0; i < grid.ni; i++) {
            const CityRect r = grid.rect(i, j);
            double nearest;
            if (overlaps(r, plan.plaza) || overlaps(r, plan.square) || overlaps(r, plan.yard) ||
                !lot_free(plan, r, &nearest) || nearest > DEEPEST)
                continue;
            // Taller towards the middle of the city, lower at its edge; blocks of one style.
            const double centre = std::exp(-(r.x0 * r.x0 + r.z0 * r.z0) / 9000.0);
            const int floors = 2 + int(lot_unit(i, j, 1) * 4.0 + centre * 2.5 * lot_unit(i, j, 2));
            Lot& lot = grid.lots[size_t(j * grid.ni + i)];
            lot.height = floors * FLOOR;
            lot.gabled = floors <= 4;
            lot.ridge_x = lot_unit(i, j, 3) < 0.5;
            const uint32_t style = lot_hash((i + 100) / 3, (j + 100) / 2, 5) % 3;
            lot.facade = facades[style];
            // Whole bays and floors, so no window is cut at a house's edge.
            const double bays = style == 1 ? 3 : 4;
            lot.shift = {std::floor(lot_unit(i, j, 4) * bays) / bays,
                         std::floor(lot_unit(i, j, 6) * 4) / 4};
        }
    return grid;
}

} // namespace

std::vector<CityRect> city_lots(const CityPlan& plan)
{
    const int facades[3] = {0, 0, 0};
    const LotGrid grid = plan_lots(plan, facades);
    std::vector<CityRect> built;
    for (int j = 0; j < grid.nj; j++)
        for (int i = 0; i < grid.ni; i++)
            if (grid.at(i, j)->height > 0) built.push_back(grid.rect(i, j));
    return built;
}

Mesh city_houses(const CityPlan& plan)
{
    Mesh m;
    const int facades[3] = {mesh_material(m, "ablak-1", 150, 70, 50),
                            mesh_material(m, "ablak-2", 170, 140, 90),
                            mesh_material(m, "ablak-3", 100, 100, 110)};
    const int blind = mesh_material(m, "fal-2", 110, 50, 35);
    const int tiles = mesh_material(m, "teto", 140, 50, 25);
    const int flat = mesh_material(m, "ko-1", 110, 110, 105);
    const LotGrid grid = plan_lots(plan, facades);
    const int ni = grid.ni, nj = grid.nj;

    for (int j = 0; j < nj; j++)
        for (int i = 0; i < ni; i++) {
            const Lot& lot = *grid.at(i, j);
            if (lot.height <= 0) continue;
            const CityRect r = grid.rect(i, j);
            const double h = lot.height;
            // Sides -x, +x, -z, +z: bottom edge left to right as seen from outside.
            const Vec3 ends[4][2] = {{{r.x0, 0, r.z0}, {r.x0, 0, r.z1}},
                                     {{r.x1, 0, r.z1}, {r.x1, 0, r.z0}},
                                     {{r.x1, 0, r.z0}, {r.x0, 0, r.z0}},
                                     {{r.x0, 0, r.z1}, {r.x1, 0, r.z1}}};
            const int di[4] = {-1, 1, 0, 0}, dj[4] = {0, 0, -1, 1};
            for (int s = 0; s < 4; s++) {
                const Lot* n = grid.at(i + di[s], j + dj[s]);
                const double below = n ? n->height : 0.0;
                if (below >= h) continue;
                if (below <= 0.0)
                    wall(m, lot.facade, ends[s][0], ends[s][1], 0.0, h, FLOOR * FACADE_FLOORS,
                         lot.shift);
                else
                    wall(m, blind, ends[s][0], ends[s][1], below, h, 8.0, {0, 0});
            }
            house_roof(m, r, lot, tiles, flat);
        }
    return m;
}
