// The bunker ("bunker") where the tube comes up and the bridge ("hid") that carries the north
// street over the main street. The bunker's sides slope back so far that from the tube's last
// stretch below them they face away: none of them can be drawn over the tube's far walls
// (from farther down the tube's own bend hides them).
#include "content/city/city_world.h"

#include <cmath>

namespace {

// A quad turned so that its front faces `towards`.
void facing_quad(Mesh& m, int material, Vec3 p0, Vec3 p1, Vec3 p2, Vec3 p3, Vec3 towards,
                 TexturePoint t0 = {0, 1}, TexturePoint t1 = {1, 1}, TexturePoint t2 = {1, 0},
                 TexturePoint t3 = {0, 0})
{
    if (dot(cross(p1 - p0, p3 - p0), towards) < 0) {
        std::swap(p1, p3);
        std::swap(t1, t3);
    }
    mesh_quad(m, material, p0, p1, p2, p3, t0, t1, t2, t3);
}

constexpr double PARAPET_WIDTH = 0.5, PIECE = 5.0;

} // namespace

Mesh city_bunker(const CityPlan& plan)
{
    Mesh m;
    const int concrete = mesh_material(m, "ko-1", 110, 110, 105);
    const CityRect& b = plan.bunker;
    const double inset = 6.5, top = CITY_BUNKER_HEIGHT;
    const double cx = (b.x0 + b.x1) / 2, cz = (b.z0 + b.z1) / 2;
    const Vec3 low[4] = {{b.x0, 0, b.z0}, {b.x1, 0, b.z0}, {b.x1, 0, b.z1}, {b.x0, 0, b.z1}};
    Vec3 high[4];
    for (int k = 0; k < 4; k++)
        high[k] = {low[k].x + (low[k].x < cx ? inset : -inset), top,
                   low[k].z + (low[k].z < cz ? inset : -inset)};
    // Each sloping side in two tiles across, so it sorts well against the ground.
    for (int k = 0; k < 4; k++) {
        const int l = (k + 1) % 4;
        const Vec3 mid_low = mix(low[k], low[l], 0.5), mid_high = mix(high[k], high[l], 0.5);
        const Vec3 out = mix(low[k], low[l], 0.5) - Vec3{cx, -5, cz};
        facing_quad(m, concrete, low[k], mid_low, mid_high, high[k], out);
        facing_quad(m, concrete, mid_low, low[l], high[l], mid_high, out);
    }
    facing_quad(m, concrete, high[0], high[1], high[2], high[3], {0, 1, 0});
    return m;
}

Mesh city_bridge(const CityPlan& plan)
{
    Mesh m;
    const int road = mesh_material(m, "ut-a4", 40, 40, 42);
    const int stone = mesh_material(m, "ko-1", 110, 110, 105);
    const CityRect& w = plan.ramps[0];
    const CityRect& e = plan.ramps[1];
    const double z0 = w.z0, z1 = w.z1, zc = (z0 + z1) / 2;
    // The road's height along the bridge: up the west ramp, across the deck, down the east.
    auto surface = [&](double x) {
        if (x <= w.x1) return CITY_DECK_HEIGHT * std::clamp((x - w.x0) / (w.x1 - w.x0), 0.0, 1.0);
        if (x >= e.x0) return CITY_DECK_HEIGHT * std::clamp((e.x1 - x) / (e.x1 - e.x0), 0.0, 1.0);
        return CITY_DECK_HEIGHT;
    };
    for (double x = w.x0; x < e.x1 - 1e-6; x += PIECE) {
        const double x1 = x + PIECE, ya = surface(x), yb = surface(x1);
        const bool deck = x >= w.x1 - 1e-6 && x1 <= e.x0 + 1e-6;
        const double bottom_a = deck ? CITY_DECK_UNDER : 0.0,
                     bottom_b = deck ? CITY_DECK_UNDER : 0.0;
        // The road: the texture's middle line along the bridge's middle.
        const double u0 = 0.5 + (z0 - zc) / 20.0, u1 = 0.5 + (z1 - zc) / 20.0;
        facing_quad(m, road, {x, ya, z0}, {x1, yb, z0}, {x1, yb, z1}, {x, ya, z1}, {0, 1, 0},
                    {u0, 0}, {u0, 0.625}, {u1, 0.625}, {u1, 0});
        // Outer sides up to the parapet's top, the parapets' inner faces and tops.
        for (int side = 0; side < 2; side++) {
            const double z = side ? z1 : z0, in = side ? -PARAPET_WIDTH : PARAPET_WIDTH;
            const Vec3 out{0, 0, side ? 1.0 : -1.0};
            facing_quad(m, stone, {x, bottom_a, z}, {x1, bottom_b, z}, {x1, yb + CITY_PARAPET, z},
                        {x, ya + CITY_PARAPET, z}, out, {0, 1}, {1, 1}, {1, 0}, {0, 0});
            facing_quad(m, stone, {x, ya, z + in}, {x1, yb, z + in},
                        {x1, yb + CITY_PARAPET, z + in}, {x, ya + CITY_PARAPET, z + in}, -out,
                        {0, 0.2}, {1, 0.2}, {1, 0}, {0, 0});
            facing_quad(m, stone, {x, ya + CITY_PARAPET, z}, {x1, yb + CITY_PARAPET, z},
                        {x1, yb + CITY_PARAPET, z + in}, {x, ya + CITY_PARAPET, z + in}, {0, 1, 0},
                        {0, 0.1}, {1, 0.1}, {1, 0}, {0, 0});
        }
        if (deck)
            facing_quad(m, stone, {x, CITY_DECK_UNDER, z0}, {x1, CITY_DECK_UNDER, z0},
                        {x1, CITY_DECK_UNDER, z1}, {x, CITY_DECK_UNDER, z1}, {0, -1, 0});
    }
    // The abutments under the deck's ends lean back: seen from the street below
    // they face it, from the deck above they face away and cannot be drawn over the deck.
    const double lean = CITY_ABUTMENT_LEAN;
    facing_quad(m, stone, {w.x1 - lean, 0, z0}, {w.x1 - lean, 0, z1}, {w.x1, CITY_DECK_UNDER, z1},
                {w.x1, CITY_DECK_UNDER, z0}, {1, -1, 0});
    facing_quad(m, stone, {e.x0 + lean, 0, z0}, {e.x0 + lean, 0, z1}, {e.x0, CITY_DECK_UNDER, z1},
                {e.x0, CITY_DECK_UNDER, z0}, {-1, -1, 0});
    return m;
}
