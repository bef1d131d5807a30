// The land's ground, cut from one tiling of 8-unit blocks. A block that a road, the lake or the
// stream crosses goes by quarters, and a quarter where such an edge curves (round the lake,
// along the stream and its falling banks, where a road bends) by 2-unit cells. Each of these
// is cut along the edges that cross it, so that a road ends on a straight line and every piece
// goes to the grass, a road, the lake bed or the stream. Whole blocks are fans round their
// centre; every outline takes the corners of its finer neighbours (no cracks). Most of the
// land is open meadow, so most of it costs a fan.
#include "content/land/land.h"

#include <cmath>
#include <cstdint>

namespace {

constexpr double BLOCK = 8.0, CELL = 2.0;
constexpr double X0 = -120.0, Z0 = -128.0;
constexpr int BLOCKS = 29, CELLS = BLOCKS * 4;

// The edges that cut the tiling, in the order they cut: negative on the inside of each.
enum GroundEdge : int { EDGE_ROAD, EDGE_LAKE, EDGE_STREAM, EDGES };
double ground_edge(int which, double x, double z)
{
    switch (which) {
    case EDGE_ROAD:
        return land_road_distance(x, z) - LAND_ROAD_HALF_WIDTH;
    case EDGE_LAKE:
        return -land_lake_depth(x, z);
    default:
        return land_stream_distance(x, z) - LAND_STREAM_HALF_WIDTH;
    }
}

struct Leaf {
    int ix, iz, size; // in cells
    bool cut;         // an edge crosses it
};

struct Tiling {
    std::vector<int> leaf = std::vector<int>(size_t(CELLS) * CELLS, -1);
    std::vector<Leaf> leaves;
    int at(int ix, int iz) const
    {
        return ix < 0 || iz < 0 || ix >= CELLS || iz >= CELLS ? -1 : leaf[size_t(ix) * CELLS + iz];
    }
    void add(int ix, int iz, int size, bool cut)
    {
        for (int i = 0; i < size; i++)
            for (int k = 0; k < size; k++)
                leaf[size_t(ix + i) * CELLS + iz + k] = int(leaves.size());
        leaves.push_back({ix, iz, size, cut});
    }
};

double cell_x(int ix)
{
    return X0 + ix * CELL;
}
double cell_z(int iz)
{
    return Z0 + iz * CELL;
}

// Every half unit from the first cell's corner: which side of each edge it is on (a bit each),
// and flags where the stream's banks fall, where a road bends and by water.
constexpr int SAMPLES = CELLS * 4 + 1;
constexpr uint8_t SIDE_BITS = 7, BANK_FLAG = 8, BEND_FLAG = 16, WATER_FLAG = 32;
constexpr uint8_t WATER_SIDES = 1 << EDGE_LAKE | 1 << EDGE_STREAM;
std::vector<uint8_t> ground_samples()
{
    std::vector<uint8_t> code(size_t(SAMPLES) * SAMPLES);
    for (int i = 0; i < SAMPLES; i++)
        for (int j = 0; j < SAMPLES; j++) {
            const double x = X0 + 0.5 * i, z = Z0 + 0.5 * j;
            uint8_t c = 0;
            for (int e = 0; e < EDGES; e++) c |= uint8_t(ground_edge(e, x, z) < 0 ? 1 << e : 0);
            if (land_stream_distance(x, z) < LAND_STREAM_HALF_WIDTH + LAND_STREAM_BANK)
                c |= BANK_FLAG;
            if (land_road_bend_distance(x, z) < LAND_ROAD_HALF_WIDTH + 1.0) c |= BEND_FLAG;
            if ((c & WATER_SIDES) != 0) c |= WATER_FLAG;
            code[size_t(i) * SAMPLES + j] = c;
        }
    return code;
}

// What the samples on a square of n cells (its sides too) say: does an edge cross it, and
// does it need 2-unit cells (a curved edge, or the stream's banks)?
struct SquareLook {
    bool changes, curved;
};
SquareLook square_look(const std::vector<uint8_t>& samples, int ix, int iz, int n)
{
    const uint8_t first = samples[size_t(4 * ix) * SAMPLES + 4 * iz] & SIDE_BITS;
    SquareLook look{false, false};
    bool water = false;
    for (int i = 4 * ix; i <= 4 * (ix + n); i++)
        for (int j = 4 * iz; j <= 4 * (iz + n); j++) {
            const uint8_t c = samples[size_t(i) * SAMPLES + j];
            look.changes = look.changes || (c & SIDE_BITS) != first;
            look.curved = look.curved || (c & (BANK_FLAG | BEND_FLAG)) != 0;
            water = water || (c & WATER_FLAG) != 0;
        }
    look.curved = look.curved || (look.changes && water);
    return look;
}

// The block's corners: is any of its land inside the mountains' foot?
bool block_is_used(int bx, int bz)
{
    for (int j = 0; j <= 8; j++)
        for (int i = 0; i <= 8; i++)
            if (land_inside_ring(X0 + bx * BLOCK + i, Z0 + bz * BLOCK + j, -1.0)) return true;
    return false;
}

LandCrop quarter_crop(int ix, int iz)
{
    return land_cover(cell_x(ix) + CELL, cell_z(iz) + CELL).crop;
}

// Blocks where nothing changes stay whole; the others go by quarters, and quarters with a
// curved edge or a bank by cells.
Tiling ground_tiling()
{
    Tiling t;
    const std::vector<uint8_t> samples = ground_samples();
    for (int bx = 0; bx < BLOCKS; bx++)
        for (int bz = 0; bz < BLOCKS; bz++) {
            if (!block_is_used(bx, bz)) continue;
            const SquareLook block = square_look(samples, bx * 4, bz * 4, 4);
            const LandCrop crop = quarter_crop(bx * 4, bz * 4);
            bool one_crop = true;
            for (int q = 1; q < 4; q++)
                one_crop =
                    one_crop && quarter_crop(bx * 4 + (q & 1) * 2, bz * 4 + (q >> 1) * 2) == crop;
            if (!block.changes && !block.curved && one_crop) {
                t.add(bx * 4, bz * 4, 4, false);
                continue;
            }
            for (int q = 0; q < 4; q++) {
                const int qx = bx * 4 + (q & 1) * 2, qz = bz * 4 + (q >> 1) * 2;
                const SquareLook quarter = square_look(samples, qx, qz, 2);
                if (!quarter.curved) {
                    t.add(qx, qz, 2, quarter.changes);
                    continue;
                }
                for (int c = 0; c < 4; c++) {
                    const int x = qx + (c & 1), z = qz + (c >> 1);
                    t.add(x, z, 1, square_look(samples, x, z, 1).changes);
                }
            }
        }
    return t;
}

struct GroundPiece {
    LandKind kind;
    std::vector<LandPoint> corners; // convex, in order round it
};

// Where an edge crosses from a to b; always searched from the lower end, so that the two cells
// that share a side find the same point. Within a twentieth of a unit of an end, the end.
LandPoint edge_crossing(int which, LandPoint a, LandPoint b)
{
    if (b.x < a.x || (b.x == a.x && b.z < a.z)) std::swap(a, b);
    const bool a_in = ground_edge(which, a.x, a.z) < 0;
    double lo = 0, hi = 1;
    for (int i = 0; i < 48; i++) {
        const double mid = 0.5 * (lo + hi);
        const bool in = ground_edge(which, a.x + (b.x - a.x) * mid, a.z + (b.z - a.z) * mid) < 0;
        (in == a_in ? lo : hi) = mid;
    }
    const double len = std::hypot(b.x - a.x, b.z - a.z), t = 0.5 * (lo + hi);
    if (t * len < 0.05) return a;
    if ((1 - t) * len < 0.05) return b;
    return {a.x + (b.x - a.x) * t, a.z + (b.z - a.z) * t};
}

// Cuts a convex piece along an edge that crosses it: in two where the edge crosses two of its
// sides, in three where a band (a road, the stream) runs through it and crosses four. A piece
// that an edge crosses more often stays whole.
void piece_cut(std::vector<GroundPiece>& pieces, int which)
{
    std::vector<GroundPiece> out;
    for (const GroundPiece& p : pieces) {
        const size_t n = p.corners.size();
        std::vector<bool> in(n);
        for (size_t i = 0; i < n; i++)
            in[i] = ground_edge(which, p.corners[i].x, p.corners[i].z) < 0;
        std::vector<size_t> changes;
        for (size_t i = 0; i < n; i++)
            if (in[i] != in[(i + 1) % n]) changes.push_back(i);
        if (changes.size() != 2 && changes.size() != 4) {
            out.push_back(p);
            continue;
        }
        const size_t m = changes.size();
        std::vector<LandPoint> cross;
        for (size_t i : changes)
            cross.push_back(edge_crossing(which, p.corners[i], p.corners[(i + 1) % n]));
        // run(k): the corners between crossing k and the next, with both crossings round them.
        auto run = [&](size_t k, std::vector<LandPoint>& to) {
            to.push_back(cross[k]);
            for (size_t i = (changes[k] + 1) % n;; i = (i + 1) % n) {
                to.push_back(p.corners[i]);
                if (i == changes[(k + 1) % m]) break;
            }
            to.push_back(cross[(k + 1) % m]);
        };
        if (m == 2) {
            for (size_t k = 0; k < 2; k++) {
                out.push_back({p.kind, {}});
                run(k, out.back().corners);
            }
            continue;
        }
        // A band: its middle is the side the piece's centre is on, two runs joined by the two
        // cuts; the other two runs are caps, each closed by one cut.
        double cx = 0, cz = 0;
        for (const LandPoint& c : p.corners) cx += c.x / double(n), cz += c.z / double(n);
        const bool middle_in = ground_edge(which, cx, cz) < 0;
        const size_t first = in[(changes[0] + 1) % n] == middle_in ? 0 : 1;
        GroundPiece middle{p.kind, {}};
        run(first, middle.corners);
        run(first + 2, middle.corners);
        out.push_back(middle);
        for (size_t k : {first + 1, (first + 3) % 4}) {
            out.push_back({p.kind, {}});
            run(k, out.back().corners);
        }
    }
    pieces = std::move(out);
}

// The piece's cover: each edge's side taken where the piece lies farthest from it.
LandKind piece_kind(const GroundPiece& p)
{
    bool inside[EDGES];
    for (int e = 0; e < EDGES; e++) {
        double farthest = 0;
        for (const LandPoint& c : p.corners) {
            const double v = ground_edge(e, c.x, c.z);
            if (std::fabs(v) > std::fabs(farthest)) farthest = v;
        }
        inside[e] = farthest < 0;
    }
    if (inside[EDGE_ROAD]) {
        double cx = 0, cz = 0;
        for (const LandPoint& c : p.corners) cx += c.x, cz += c.z;
        int road = 0;
        land_road_distance(cx / double(p.corners.size()), cz / double(p.corners.size()), &road);
        return road == 0 ? LAND_ROAD_NORTH : LAND_ROAD_SOUTH;
    }
    return inside[EDGE_LAKE] ? LAND_LAKE : inside[EDGE_STREAM] ? LAND_STREAM : LAND_GRASS;
}

// One upward triangle, textured once per block: its material by what covers it.
void ground_triangle(LandGround& g, LandKind kind, LandPoint pa, LandPoint pb, LandPoint pc)
{
    auto lift = [&](LandPoint p) {
        const bool road = kind == LAND_ROAD_NORTH || kind == LAND_ROAD_SOUTH;
        return Vec3{p.x, road ? 0.0 : land_terrain_height(p.x, p.z), p.z};
    };
    const Vec3 a = lift(pa), b = lift(pb), c = lift(pc);
    if (std::fabs(cross(b - a, c - a).y) < 1e-9) return; // no area
    const double mx = (a.x + b.x + c.x) / 3, mz = (a.z + b.z + c.z) / 3;
    // Ground past the mountains' foot would sort over the wall in front of it.
    if (!land_inside_ring(mx, mz, 0.0)) return;
    const double x0 = X0 + BLOCK * std::floor((mx - X0) / BLOCK);
    const double z0 = Z0 + BLOCK * std::floor((mz - Z0) / BLOCK);
    auto uv = [&](Vec3 p) { return TexturePoint{(p.x - x0) / BLOCK, (p.z - z0) / BLOCK}; };
    TexturePoint ta = uv(a), tb = uv(b), tc = uv(c);
    Mesh* mesh = &g.world;
    const char* texture = "fold";
    if (kind == LAND_ROAD_NORTH || kind == LAND_ROAD_SOUTH) {
        mesh = &g.road[kind == LAND_ROAD_NORTH ? 0 : 1];
        texture = "ut";
    } else if (kind == LAND_LAKE || kind == LAND_STREAM) {
        texture = "to";
    } else if (const LandCover cover = land_cover(mx, mz); cover.crop != LAND_NO_CROP) {
        // A quarter of the crops' texture, the rows turned to run as the field's do.
        texture = "hazhatul";
        const double qu = (cover.crop & 1) * 0.5, qv = (cover.crop >> 1) * 0.5;
        for (TexturePoint* t : {&ta, &tb, &tc}) {
            const TexturePoint s = cover.rows_along_x ? *t : TexturePoint{t->v, t->u};
            const double span = 0.5 - 2 * LAND_CROP_MARGIN;
            *t = {qu + LAND_CROP_MARGIN + s.u * span, qv + LAND_CROP_MARGIN + s.v * span};
        }
    }
    land_triangle_facing(*mesh, mesh_material(*mesh, texture), a, b, c, ta, tb, tc,
                         {a.x, -1000.0, a.z});
}

// The leaf's outline counter-clockwise from its first corner: its own corners and every corner
// of the leaves beside it, where two of them meet on its side.
std::vector<LandPoint> leaf_rim(const Tiling& t, const Leaf& leaf)
{
    const int n = leaf.size;
    // Each side: start corner, step, and the offset of the row or column of cells outside.
    struct Side {
        int x, z, dx, dz, ox, oz;
    };
    const Side sides[4] = {{leaf.ix, leaf.iz, 1, 0, 0, -1},
                           {leaf.ix + n, leaf.iz, 0, 1, 0, 0},
                           {leaf.ix + n, leaf.iz + n, -1, 0, 0, 0},
                           {leaf.ix, leaf.iz + n, 0, -1, -1, 0}};
    std::vector<LandPoint> rim;
    for (const Side& s : sides)
        for (int k = 0; k < n; k++) {
            const int px = s.x + s.dx * k, pz = s.z + s.dz * k;
            if (k > 0) {
                const int c0 = s.dx != 0 ? t.at(px - 1, pz + s.oz) : t.at(px + s.ox, pz - 1);
                const int c1 = s.dx != 0 ? t.at(px, pz + s.oz) : t.at(px + s.ox, pz);
                if (c0 == c1) continue;
            }
            rim.push_back({cell_x(px), cell_z(pz)});
        }
    return rim;
}

// A convex outline in triangles that use every one of its points (points on a straight side
// too, so that a neighbour's corner there is no T-junction): ears are cut off at true corners.
void ground_polygon(LandGround& g, LandKind kind, std::vector<LandPoint> p)
{
    auto turn = [](LandPoint a, LandPoint b, LandPoint c) {
        return (b.x - a.x) * (c.z - b.z) - (b.z - a.z) * (c.x - b.x);
    };
    // An ear at a true corner whose cut leaves some point off the cut's line: otherwise the
    // cut would run over the points left on it.
    auto is_ear = [&](size_t i) {
        const size_t n = p.size();
        const LandPoint a = p[(i + n - 1) % n], c = p[(i + 1) % n];
        if (std::fabs(turn(a, p[i], c)) <= 1e-9) return false;
        if (n == 3) return true;
        for (size_t k = 2; k + 1 < n; k++)
            if (std::fabs(turn(a, c, p[(i + k) % n])) > 1e-9) return true;
        return false;
    };
    // A crossing that fell on a corner repeats it.
    for (size_t i = 0; i < p.size() && p.size() > 1;) {
        const LandPoint a = p[i], b = p[(i + 1) % p.size()];
        if (a.x == b.x && a.z == b.z)
            p.erase(p.begin() + long(i));
        else
            i++;
    }
    while (p.size() >= 3) {
        size_t ear = p.size();
        for (size_t i = 0; i < p.size() && ear == p.size(); i++)
            if (is_ear(i)) ear = i;
        if (ear == p.size()) return; // nothing left but a line
        const size_t n = p.size();
        ground_triangle(g, kind, p[(ear + n - 1) % n], p[ear], p[(ear + 1) % n]);
        p.erase(p.begin() + long(ear));
    }
}

// A leaf that no edge crosses is one piece (a whole block a fan round its centre, so that its
// triangles stay small enough to sort well against the trees on them); the others are cut
// along every edge that crosses them.
void ground_leaf(LandGround& g, const Tiling& t, const Leaf& leaf)
{
    const std::vector<LandPoint> rim = leaf_rim(t, leaf);
    const LandPoint centre{cell_x(leaf.ix) + leaf.size * CELL / 2,
                           cell_z(leaf.iz) + leaf.size * CELL / 2};
    if (!leaf.cut) {
        const LandKind kind = land_cover(centre.x, centre.z).kind;
        if (leaf.size < 4) {
            ground_polygon(g, kind, rim);
            return;
        }
        for (size_t k = 0; k < rim.size(); k++)
            ground_triangle(g, kind, centre, rim[k], rim[(k + 1) % rim.size()]);
        return;
    }
    std::vector<GroundPiece> pieces = {{LAND_GRASS, rim}};
    for (int e = 0; e < EDGES; e++) piece_cut(pieces, e);
    for (GroundPiece& p : pieces) ground_polygon(g, piece_kind(p), p.corners);
}

} // namespace

LandGround land_ground()
{
    const Tiling t = ground_tiling();
    LandGround g;
    for (const Leaf& leaf : t.leaves) ground_leaf(g, t, leaf);
    return g;
}

void land_triangle_facing(Mesh& mesh, int material, Vec3 a, Vec3 b, Vec3 c, TexturePoint ta,
                          TexturePoint tb, TexturePoint tc, Vec3 away_from)
{
    const Vec3 n = cross(b - a, c - a);
    const Vec3 centre = (a + b + c) * (1.0 / 3);
    const int ia = mesh_vertex(mesh, a), ib = mesh_vertex(mesh, b), ic = mesh_vertex(mesh, c);
    // Counter-clockwise from the visible side: the normal points away from away_from.
    if (dot(n, centre - away_from) >= 0)
        mesh_triangle(mesh, material, ia, ib, ic, ta, tb, tc);
    else
        mesh_triangle(mesh, material, ia, ic, ib, ta, tc, tb);
}

void land_quad_facing(Mesh& mesh, int material, Vec3 p0, Vec3 p1, Vec3 p2, Vec3 p3, TexturePoint t0,
                      TexturePoint t1, TexturePoint t2, TexturePoint t3, Vec3 away_from)
{
    land_triangle_facing(mesh, material, p0, p1, p2, t0, t1, t2, away_from);
    land_triangle_facing(mesh, material, p0, p2, p3, t0, t2, t3, away_from);
}
