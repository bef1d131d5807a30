// The land's ground: rolling hills that flatten along the roads, by the houses and round the
// lake, cut into 8-unit blocks. Blocks that a road or the lake touches are cut finer (2-unit
// cells, each cell split along the diagonal that follows the road) and every triangle goes to
// the grass, a road or the lake bed, so the roads lie in the ground without overlapping it;
// the other blocks are fans that meet their finer neighbours vertex for vertex (no cracks).
#include "content/land/land.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

// The roads' centre lines, as the flight drives them.
constexpr LandPoint road_north[] = {{99.2, 0.0},   {84.0, 0.0},  {84.0, 24.0},
                                    {49.0, 63.0},  {-7.0, 63.0}, {-23.0, 60.6},
                                    {-47.0, 60.6}, {-41.0, 9.6}, {-41.0, -7.0}};
constexpr LandPoint road_south[] = {{-41.0, 9.6},   {-41.0, 44.8},  {4.0, 44.8},    {4.0, 4.2},
                                    {-21.0, 4.2},   {-21.0, -15.2}, {4.0, -15.2},   {4.4, -75.2},
                                    {4.0, -87.2},   {-6.8, -89.2},  {-6.8, -57.6},  {-30.8, -57.6},
                                    {-42.8, -69.6}, {-66.8, -69.6}, {-76.4, -41.6}, {-89.4, -9.2},
                                    {-65.4, 4.2},   {4.8, 4.2},     {4.4, -15.2}};

// The point of segment a-b nearest to p.
LandPoint segment_nearest(LandPoint p, LandPoint a, LandPoint b)
{
    const double ex = b.x - a.x, ez = b.z - a.z;
    const double t =
        std::clamp(((p.x - a.x) * ex + (p.z - a.z) * ez) / (ex * ex + ez * ez), 0.0, 1.0);
    return {a.x + t * ex, a.z + t * ez};
}

double segment_distance(LandPoint p, LandPoint a, LandPoint b)
{
    const LandPoint q = segment_nearest(p, a, b);
    return std::hypot(p.x - q.x, p.z - q.z);
}

template <size_t N>
void polyline_nearest(LandPoint p, const LandPoint (&line)[N], double& best, LandPoint& at)
{
    for (size_t i = 0; i + 1 < N; i++) {
        const LandPoint q = segment_nearest(p, line[i], line[i + 1]);
        const double d = std::hypot(p.x - q.x, p.z - q.z);
        if (d < best) best = d, at = q;
    }
}

// The nearest point of any road's centre line; road says which road.
double road_nearest(double x, double z, LandPoint& at, int& road)
{
    double best = 1e9;
    polyline_nearest({x, z}, road_north, best, at);
    const double north = best;
    polyline_nearest({x, z}, road_south, best, at);
    road = best < north ? 1 : 0;
    return best;
}

double lake_radius(double angle)
{
    return 8.0 + 1.3 * std::sin(3 * angle + 1.0) + 0.7 * std::sin(5 * angle);
}

// How far inside the lake's shore (negative outside).
double lake_depth(double x, double z)
{
    const double dx = x - LAND_LAKE_CENTRE.x, dz = z - LAND_LAKE_CENTRE.z;
    return lake_radius(std::atan2(dz, dx)) - std::hypot(dx, dz);
}

} // namespace

// The mountains' foot: every eye position of the flight lies at least six units inside, and
// no part of it is farther than the far distance (200 units of depth) from any eye that looks
// at it; within that, as far out as it goes, so the mountains look far away.
const LandPoint land_ring[20] = {{105.3, 0.0},   {105.0, 1.9},     {90.8, 29.7},    {66.4, 91.1},
                                 {65.7, 94.9},   {9.6, 99.5},      {-58.5, 80.3},   {-56.8, 74.1},
                                 {-65.8, 50.3},  {-95.1, -7.3},    {-95.4, -9.2},   {-91.4, -34.5},
                                 {-99.8, -95.7}, {-116.6, -112.8}, {-60.9, -126.4}, {-9.6, -115.0},
                                 {5.1, -104.0},  {23.9, -83.8},    {104.1, -3.6},   {105.0, -1.9}};
const LandPoint land_ring_centre = {5.0, -12.0};

double land_road_distance(double x, double z, int* road)
{
    LandPoint at;
    int which = 0;
    const double d = road_nearest(x, z, at, which);
    if (road != nullptr) *road = which;
    return d;
}

bool land_inside_ring(double x, double z, double margin)
{
    constexpr int n = int(std::size(land_ring));
    bool inside = false;
    for (int i = 0; i < n; i++) {
        const LandPoint a = land_ring[i], b = land_ring[(i + 1) % n];
        if ((a.z > z) != (b.z > z) && x < a.x + (b.x - a.x) * (z - a.z) / (b.z - a.z))
            inside = !inside;
        if (segment_distance({x, z}, a, b) < margin) return false;
    }
    return inside;
}

bool land_in_lake(double x, double z)
{
    return lake_depth(x, z) > 0;
}

double land_ground_height(double x, double z)
{
    double open = land_road_distance(x, z) - LAND_ROAD_HALF_WIDTH;
    open = std::min(open, -lake_depth(x, z));
    for (const LandPoint& h : land_house_sites)
        open = std::min(open, std::hypot(x - h.x, z - h.z) - 7);
    const double hills = 1.4 * (1 + std::sin(0.061 * x + 0.7) * std::sin(0.077 * z + 1.9)) +
                         0.7 * (1 + std::sin(0.13 * x - 0.09 * z + 0.4));
    // Rising in the last stretch before the mountains' foot, over the wall's lower edge.
    double rim = 1e9;
    constexpr int n = int(std::size(land_ring));
    for (int i = 0; i < n; i++)
        rim = std::min(rim, segment_distance({x, z}, land_ring[i], land_ring[(i + 1) % n]));
    const double lift = 3.0 * smoothstep(20.0, 0.0, rim);
    if (open < 0 && lake_depth(x, z) > 0) return -0.4 * smoothstep(0.0, 2.0, lake_depth(x, z));
    return (hills + lift) * smoothstep(2.0, 16.0, open);
}

namespace {

constexpr double BLOCK = 8.0, CELL = 2.0;
constexpr double X0 = -120.0, Z0 = -128.0;
constexpr int BLOCKS_X = 29, BLOCKS_Z = 29, CELLS = int(BLOCK / CELL);

enum Kind { GRASS, ROAD0, ROAD1, LAKE };

Kind ground_kind(double x, double z)
{
    int road = 0;
    if (land_road_distance(x, z, &road) < LAND_ROAD_HALF_WIDTH) return road == 0 ? ROAD0 : ROAD1;
    return land_in_lake(x, z) ? LAKE : GRASS;
}

struct GroundBuild {
    LandGround out;
    int material[4];
    bool fine[BLOCKS_X][BLOCKS_Z];
    bool used[BLOCKS_X][BLOCKS_Z];
};

// A corner of the tiling; corners near a road's edge move onto it, so the road's triangles
// end on a straight edge instead of a staircase.
Vec3 ground_point(double x, double z)
{
    LandPoint at;
    int road = 0;
    const double d = road_nearest(x, z, at, road);
    const double off = d - LAND_ROAD_HALF_WIDTH;
    if (std::fabs(off) < 0.9 * CELL / 2 && d > 1e-6) {
        x = at.x + (x - at.x) * LAND_ROAD_HALF_WIDTH / d;
        z = at.z + (z - at.z) * LAND_ROAD_HALF_WIDTH / d;
    }
    return {x, land_ground_height(x, z), z};
}

// One upward triangle of the block at (x0, z0), textured once per block.
void ground_triangle(GroundBuild& g, Kind kind, Vec3 a, Vec3 b, Vec3 c, double x0, double z0)
{
    if (std::fabs(cross(b - a, c - a).y) < 1e-9) return; // folded flat where corners snapped
    // Ground past the mountains' foot would sort over the wall in front of it.
    if (!land_inside_ring((a.x + b.x + c.x) / 3, (a.z + b.z + c.z) / 3, 0.0)) return;
    Mesh& mesh = kind == ROAD0 ? g.out.road[0] : kind == ROAD1 ? g.out.road[1] : g.out.world;
    const int material = kind == GRASS ? 0 : kind == LAKE ? 3 : 1;
    const int slot = mesh_material(mesh, material == 0 ? "fold" : material == 3 ? "to" : "ut");
    auto uv = [&](Vec3 p) { return TexturePoint{(p.x - x0) / BLOCK, (p.z - z0) / BLOCK}; };
    land_triangle_facing(mesh, slot, a, b, c, uv(a), uv(b), uv(c), {a.x, -1000.0, a.z});
}

// How well the triangle's kind fits its corners.
int kind_fit(Kind k, Vec3 a, Vec3 b, Vec3 c)
{
    return int(ground_kind(a.x, a.z) == k) + int(ground_kind(b.x, b.z) == k) +
           int(ground_kind(c.x, c.z) == k);
}

void fine_block(GroundBuild& g, double x0, double z0)
{
    for (int j = 0; j < CELLS; j++)
        for (int i = 0; i < CELLS; i++) {
            const double x = x0 + i * CELL, z = z0 + j * CELL;
            const Vec3 p00 = ground_point(x, z), p10 = ground_point(x + CELL, z);
            const Vec3 p01 = ground_point(x, z + CELL), p11 = ground_point(x + CELL, z + CELL);
            const Vec3 split[2][2][3] = {{{p00, p10, p11}, {p00, p11, p01}},
                                         {{p00, p10, p01}, {p10, p11, p01}}};
            int best = 0, best_fit = -1;
            Kind kinds[2][2];
            for (int s = 0; s < 2; s++) {
                int fit = 0;
                for (int t = 0; t < 2; t++) {
                    const Vec3* v = split[s][t];
                    kinds[s][t] =
                        ground_kind((v[0].x + v[1].x + v[2].x) / 3, (v[0].z + v[1].z + v[2].z) / 3);
                    fit += kind_fit(kinds[s][t], v[0], v[1], v[2]);
                    // Corners that snapped past each other fold a triangle over: it would
                    // cover ground twice and leave a hole beside it.
                    if (cross(v[1] - v[0], v[2] - v[0]).y > 1e-9) fit -= 100;
                }
                if (fit > best_fit) best = s, best_fit = fit;
            }
            for (int t = 0; t < 2; t++)
                ground_triangle(g, kinds[best][t], split[best][t][0], split[best][t][1],
                                split[best][t][2], x0, z0);
        }
}

// A fan round the block's centre, its sides cut where a fine neighbour meets it.
void coarse_block(GroundBuild& g, int bx, int bz)
{
    const double x0 = X0 + bx * BLOCK, z0 = Z0 + bz * BLOCK;
    auto fine_at = [&](int x, int z) {
        return x >= 0 && z >= 0 && x < BLOCKS_X && z < BLOCKS_Z && g.fine[x][z] && g.used[x][z];
    };
    const LandPoint corner[4] = {
        {x0, z0}, {x0 + BLOCK, z0}, {x0 + BLOCK, z0 + BLOCK}, {x0, z0 + BLOCK}};
    const bool cut[4] = {fine_at(bx, bz - 1), fine_at(bx + 1, bz), fine_at(bx, bz + 1),
                         fine_at(bx - 1, bz)};
    std::vector<Vec3> rim;
    for (int s = 0; s < 4; s++) {
        const LandPoint a = corner[s], b = corner[(s + 1) % 4];
        const int n = cut[s] ? CELLS : 1;
        for (int k = 0; k < n; k++)
            rim.push_back(ground_point(a.x + (b.x - a.x) * k / n, a.z + (b.z - a.z) * k / n));
    }
    const Vec3 centre = ground_point(x0 + BLOCK / 2, z0 + BLOCK / 2);
    for (size_t k = 0; k < rim.size(); k++)
        ground_triangle(g, GRASS, centre, rim[k], rim[(k + 1) % rim.size()], x0, z0);
}

} // namespace

LandGround land_ground()
{
    GroundBuild g{};
    for (int bx = 0; bx < BLOCKS_X; bx++)
        for (int bz = 0; bz < BLOCKS_Z; bz++) {
            bool inside = false, special = false;
            for (int j = 0; j <= 8; j++)
                for (int i = 0; i <= 8; i++) {
                    const double x = X0 + bx * BLOCK + i, z = Z0 + bz * BLOCK + j;
                    inside = inside || land_inside_ring(x, z, -1.0);
                    special = special || ground_kind(x, z) != GRASS ||
                              land_road_distance(x, z) < LAND_ROAD_HALF_WIDTH + 1.0;
                }
            g.used[bx][bz] = inside;
            g.fine[bx][bz] = special;
        }
    for (int bx = 0; bx < BLOCKS_X; bx++)
        for (int bz = 0; bz < BLOCKS_Z; bz++) {
            if (!g.used[bx][bz]) continue;
            if (g.fine[bx][bz])
                fine_block(g, X0 + bx * BLOCK, Z0 + bz * BLOCK);
            else
                coarse_block(g, bx, bz);
        }
    return g.out;
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
