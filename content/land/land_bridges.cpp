// The stone bridges that carry the roads over the stream. The road's own ground is the deck,
// level with the road on either side; beside it the stream's bed and banks lie lower, and the
// bridge's walls stand on the road's edges, from below the bed up to the parapets, so that
// the step between them is closed. The water runs through an arch under the deck.
#include "content/land/land.h"

#include <cmath>

namespace {

constexpr double PARAPET_TOP = 0.75, PARAPET_THICK = 0.4;
constexpr double ARCH_HALF = 1.6, ARCH_CROWN = -0.15;
constexpr double WALL_REACH = 0.6; // past the span, into the banks
constexpr double STONE_REPEAT = 1.6;
constexpr int ARCH_PIECES = 6;

struct BridgeFrame {
    LandPoint centre, along, across; // across points away from the road's middle, to one side
    double length;                   // half, along the road
    Vec3 at(double s, double off, double y) const
    {
        return {centre.x + along.x * s + across.x * off, y,
                centre.z + along.z * s + across.z * off};
    }
};

// The arch over the water: a circle's segment from the water at its springing to the crown.
double bridge_arch(double s, double water)
{
    const double rise = ARCH_CROWN - water;
    const double radius = (ARCH_HALF * ARCH_HALF + rise * rise) / (2 * rise);
    return ARCH_CROWN - radius + std::sqrt(std::max(0.0, radius * radius - s * s));
}

// A band of wall between a lower and an upper line, over the stretch s0..s1 in pieces, facing
// away from the road's middle.
template <class Low>
void bridge_wall_band(Mesh& mesh, int stone, const BridgeFrame& f, double s0, double s1, int pieces,
                      Low low)
{
    const double off = LAND_ROAD_HALF_WIDTH;
    const Vec3 inside = f.at(0, 0, 0);
    for (int k = 0; k < pieces; k++) {
        const double a = s0 + (s1 - s0) * k / pieces, b = s0 + (s1 - s0) * (k + 1) / pieces;
        const double la = low(a), lb = low(b);
        land_quad_facing(
            mesh, stone, f.at(a, off, la), f.at(b, off, lb), f.at(b, off, PARAPET_TOP),
            f.at(a, off, PARAPET_TOP), {a / STONE_REPEAT, -la / STONE_REPEAT},
            {b / STONE_REPEAT, -lb / STONE_REPEAT}, {b / STONE_REPEAT, -PARAPET_TOP / STONE_REPEAT},
            {a / STONE_REPEAT, -PARAPET_TOP / STONE_REPEAT}, Vec3{inside.x, la, inside.z});
    }
}

// One side's wall with its arch, and the parapet.
void bridge_side(Mesh& mesh, const BridgeFrame& f, double water)
{
    const int stone = mesh_material(mesh, "ko1");
    const double reach = f.length + WALL_REACH, edge = LAND_ROAD_HALF_WIDTH;
    // Down to below the ground just outside the wall, so no gap shows under it.
    auto ground = [&](double s) {
        const Vec3 p = f.at(s, edge + 0.05, 0);
        return land_terrain_height(p.x, p.z) - 0.3;
    };
    const int piers = int(std::ceil(reach - ARCH_HALF));
    bridge_wall_band(mesh, stone, f, -reach, -ARCH_HALF, piers, ground);
    bridge_wall_band(mesh, stone, f, -ARCH_HALF, ARCH_HALF, ARCH_PIECES,
                     [&](double s) { return bridge_arch(s, water); });
    bridge_wall_band(mesh, stone, f, ARCH_HALF, reach, piers, ground);
    // The parapet: its face to the road, its top, and its ends.
    const double in = edge - PARAPET_THICK;
    const int pieces = int(std::ceil(2 * reach / 1.5));
    for (int k = 0; k < pieces; k++) {
        const double a = -reach + 2 * reach * k / pieces, b = -reach + 2 * reach * (k + 1) / pieces;
        const double ua = a / STONE_REPEAT, ub = b / STONE_REPEAT;
        land_quad_facing(mesh, stone, f.at(a, in, -0.05), f.at(b, in, -0.05),
                         f.at(b, in, PARAPET_TOP), f.at(a, in, PARAPET_TOP), {ua, 0.5}, {ub, 0.5},
                         {ub, 0}, {ua, 0}, f.at((a + b) / 2, edge + 10, PARAPET_TOP / 2));
        land_quad_facing(mesh, stone, f.at(a, in, PARAPET_TOP), f.at(b, in, PARAPET_TOP),
                         f.at(b, edge, PARAPET_TOP), f.at(a, edge, PARAPET_TOP), {ua, 0}, {ub, 0},
                         {ub, 0.25}, {ua, 0.25}, f.at((a + b) / 2, edge - 0.2, -10));
    }
    for (double s : {-reach, reach}) {
        const double low = ground(s);
        land_quad_facing(mesh, stone, f.at(s, in, low), f.at(s, edge, low),
                         f.at(s, edge, PARAPET_TOP), f.at(s, in, PARAPET_TOP), {0, 0.6},
                         {0.25, 0.6}, {0.25, 0}, {0, 0}, f.at(0, edge - 0.2, PARAPET_TOP / 2));
    }
}

// Under the deck: the arch's vault from wall to wall, on the corners of the walls' arches, and
// the water under it, so that the arch is open from every side.
void bridge_vault(Mesh& mesh, const BridgeFrame& f, double water)
{
    const int stone = mesh_material(mesh, "ko1"), flow = mesh_material(mesh, "to");
    const double edge = LAND_ROAD_HALF_WIDTH;
    for (int k = 0; k < ARCH_PIECES; k++) {
        const double a = -ARCH_HALF + 2 * ARCH_HALF * k / ARCH_PIECES;
        const double b = -ARCH_HALF + 2 * ARCH_HALF * (k + 1) / ARCH_PIECES;
        const double ya = bridge_arch(a, water), yb = bridge_arch(b, water);
        land_quad_facing(mesh, stone, f.at(a, -edge, ya), f.at(b, -edge, yb), f.at(b, edge, yb),
                         f.at(a, edge, ya), {a / STONE_REPEAT, 0}, {b / STONE_REPEAT, 0},
                         {b / STONE_REPEAT, 2 * edge / STONE_REPEAT},
                         {a / STONE_REPEAT, 2 * edge / STONE_REPEAT}, f.at(0, 0, 10));
    }
    // Anchored to the land, as the stream's water is, so that the two meet texel for texel.
    const Vec3 mid = f.at(0, 0, water);
    auto uv = [&](Vec3 p) {
        return TexturePoint{p.x / 8 - std::floor(mid.x / 8), p.z / 8 - std::floor(mid.z / 8)};
    };
    const Vec3 w[4] = {f.at(-ARCH_HALF, -edge, water), f.at(ARCH_HALF, -edge, water),
                       f.at(ARCH_HALF, edge, water), f.at(-ARCH_HALF, edge, water)};
    land_quad_facing(mesh, flow, w[0], w[1], w[2], w[3], uv(w[0]), uv(w[1]), uv(w[2]), uv(w[3]),
                     f.at(0, 0, -10));
}

} // namespace

Mesh land_bridge(int index)
{
    const LandBridge& b = land_bridges[index];
    const double water = land_water_level(b.centre.x, b.centre.z);
    Mesh mesh;
    for (double side : {1.0, -1.0}) {
        BridgeFrame f{b.centre, b.along, {-b.along.z * side, b.along.x * side}, b.half_span};
        bridge_side(mesh, f, water);
    }
    bridge_vault(mesh, {b.centre, b.along, {-b.along.z, b.along.x}, b.half_span}, water);
    mesh_weld(mesh, MESH_WELD_EXACT);
    return mesh;
}
