// Where everything lies on the land: the roads as the flight drives them, the lake, the stream
// that comes down from the northern mountains and under two bridges into the lake, the fields,
// the mountains' foot, and the height of the ground over all of it.
#include "content/land/land.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <span>
#include <vector>

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

// The stream's course, smoothed through these points: out of the mountains north of the road,
// straight under the first bridge, down past the village's eastern houses and straight under
// the second bridge into the lake.
constexpr LandPoint stream_course[] = {
    {40.0, 104.0}, {41.0, 92.0},  {39.0, 80.0},  {38.0, 71.0},  {38.0, 66.0},  {38.0, 60.0},
    {38.0, 55.0},  {35.0, 47.0},  {31.0, 38.0},  {26.0, 28.0},  {21.0, 17.0},  {19.0, 8.0},
    {21.0, -2.0},  {26.0, -10.0}, {29.0, -20.0}, {29.5, -30.0}, {27.0, -38.0}, {21.0, -43.0},
    {14.0, -45.0}, {9.0, -45.0},  {4.2, -45.0},  {-1.0, -45.0}, {-5.0, -45.0}, {-10.0, -45.0}};

constexpr double STREAM_LEVEL = -0.35; // the water, below the meadow
constexpr double BRIDGE_LEVEL = -0.9;  // deeper under the bridges, for their arches

// A field: a rectangle on the 4-unit grid, its crop and which way its rows run.
struct Field {
    double x0, z0, x1, z1;
    LandCrop crop;
    bool rows_along_x;
};

constexpr Field fields[] = {
    {56, 44, 72, 60, LAND_WHEAT, false},     {72, 52, 84, 68, LAND_RAPE, true},
    {56, 64, 68, 80, LAND_FURROWS, false},   {88, 4, 100, 24, LAND_GREENS, false},
    {-36, 48, -12, 56, LAND_WHEAT, true},    {-8, 68, 12, 84, LAND_FURROWS, false},
    {-20, 8, -4, 24, LAND_GREENS, false},    {-20, 24, -4, 40, LAND_WHEAT, false},
    {8, 12, 16, 40, LAND_RAPE, false},       {8, 44, 28, 56, LAND_RAPE, true},
    {-44, 64, -28, 80, LAND_GREENS, true},   {12, -84, 32, -68, LAND_WHEAT, false},
    {12, -64, 28, -52, LAND_FURROWS, false}, {-60, -96, -36, -80, LAND_WHEAT, true},
    {-28, -88, -12, -64, LAND_WHEAT, true},  {-72, -64, -56, -40, LAND_GREENS, false},
    {-56, -64, -48, -44, LAND_RAPE, false}};

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

double polyline_distance(LandPoint p, const LandPoint* line, size_t n)
{
    double best = 1e9;
    for (size_t i = 0; i + 1 < n; i++)
        best = std::min(best, segment_distance(p, line[i], line[i + 1]));
    return best;
}

// The course through its points as a Catmull-Rom curve, four pieces to each stretch.
std::vector<LandPoint> stream_line()
{
    constexpr int n = int(std::size(stream_course)), PIECES = 4;
    std::vector<LandPoint> out;
    auto at = [](int i) { return stream_course[std::clamp(i, 0, n - 1)]; };
    for (int i = 0; i + 1 < n; i++)
        for (int k = 0; k < PIECES; k++) {
            const double t = double(k) / PIECES, t2 = t * t, t3 = t2 * t;
            const LandPoint p0 = at(i - 1), p1 = at(i), p2 = at(i + 1), p3 = at(i + 2);
            auto blend = [&](double a, double b, double c, double d) {
                return 0.5 * (2 * b + (c - a) * t + (2 * a - 5 * b + 4 * c - d) * t2 +
                              (3 * b - a - 3 * c + d) * t3);
            };
            out.push_back({blend(p0.x, p1.x, p2.x, p3.x), blend(p0.z, p1.z, p2.z, p3.z)});
        }
    out.push_back(stream_course[n - 1]);
    return out;
}

const std::vector<LandPoint>& stream_points()
{
    static const std::vector<LandPoint> line = stream_line();
    return line;
}

double lake_radius(double angle)
{
    return 8.0 + 1.3 * std::sin(3 * angle + 1.0) + 0.7 * std::sin(5 * angle);
}

double rim_distance(double x, double z)
{
    double rim = 1e9;
    constexpr int n = int(std::size(land_ring));
    for (int i = 0; i < n; i++)
        rim = std::min(rim, segment_distance({x, z}, land_ring[i], land_ring[(i + 1) % n]));
    return rim;
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

namespace {

// A bridge on the straight from a to b of a road, at the given distance from a.
LandBridge bridge_on(int road, LandPoint a, LandPoint b, double from_a)
{
    const double len = std::hypot(b.x - a.x, b.z - a.z);
    const LandPoint along{(b.x - a.x) / len, (b.z - a.z) / len};
    return {road, {a.x + along.x * from_a, a.z + along.z * from_a}, along, 4.0};
}

} // namespace

// Both roads are straight where they cross (the stream's course, straight across there too):
// the bridges carry them over the whole bed.
const LandBridge land_bridges[2] = {bridge_on(0, road_north[3], road_north[4], 11.0),
                                    bridge_on(1, road_south[6], road_south[7], 29.8)};

double land_road_distance(double x, double z, int* road)
{
    const double north = polyline_distance({x, z}, road_north, std::size(road_north));
    const double south = polyline_distance({x, z}, road_south, std::size(road_south));
    if (road != nullptr) *road = south < north ? 1 : 0;
    return std::min(north, south);
}

double land_road_bend_distance(double x, double z)
{
    double best = 1e9;
    for (const auto& line :
         {std::span<const LandPoint>(road_north), std::span<const LandPoint>(road_south)})
        for (size_t i = 0; i < line.size(); i++)
            best = std::min(best, std::hypot(x - line[i].x, z - line[i].z));
    return best;
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

double land_lake_depth(double x, double z)
{
    const double dx = x - LAND_LAKE_CENTRE.x, dz = z - LAND_LAKE_CENTRE.z;
    return lake_radius(std::atan2(dz, dx)) - std::hypot(dx, dz);
}

bool land_in_lake(double x, double z)
{
    return land_lake_depth(x, z) > 0;
}

double land_stream_distance(double x, double z)
{
    const std::vector<LandPoint>& line = stream_points();
    return polyline_distance({x, z}, line.data(), line.size());
}

double land_water_level(double x, double z)
{
    double bridge = 1e9;
    for (const LandBridge& b : land_bridges)
        bridge = std::min(bridge, std::hypot(x - b.centre.x, z - b.centre.z));
    const double level =
        STREAM_LEVEL + (BRIDGE_LEVEL - STREAM_LEVEL) * smoothstep(7.0, 3.0, bridge);
    // Up to the lake's level at its mouth.
    return level * smoothstep(0.0, 8.0, -land_lake_depth(x, z));
}

double land_terrain_height(double x, double z)
{
    const double shore = -land_lake_depth(x, z);
    const double bank = land_stream_distance(x, z) - LAND_STREAM_HALF_WIDTH;
    double open =
        std::min({land_road_distance(x, z) - LAND_ROAD_HALF_WIDTH, shore, bank - LAND_STREAM_BANK});
    for (const LandPoint& h : land_house_sites)
        open = std::min(open, std::hypot(x - h.x, z - h.z) - 7);
    open = std::min(open, std::hypot(x - LAND_CHURCH.x, z - LAND_CHURCH.z) - 9);
    const double hills = 1.4 * (1 + std::sin(0.061 * x + 0.7) * std::sin(0.077 * z + 1.9)) +
                         0.7 * (1 + std::sin(0.13 * x - 0.09 * z + 0.4));
    // Rising in the last stretch before the mountains' foot, over the wall's lower edge.
    const double lift = 3.0 * smoothstep(20.0, 0.0, rim_distance(x, z));
    if (shore < 0) return -0.4 * smoothstep(0.0, 2.0, -shore);
    const double meadow = (hills + lift) * smoothstep(2.0, 16.0, open);
    if (bank >= LAND_STREAM_BANK) return meadow;
    const double water = land_water_level(x, z);
    return water + (meadow - water) * smoothstep(0.0, LAND_STREAM_BANK, bank);
}

double land_ground_height(double x, double z)
{
    // A road's surface is level, over a bridge too.
    if (land_road_distance(x, z) < LAND_ROAD_HALF_WIDTH) return 0.0;
    return land_terrain_height(x, z);
}

bool land_room_for(LandPoint p, double radius, double road_gap)
{
    if (land_road_distance(p.x, p.z) < LAND_ROAD_HALF_WIDTH + road_gap) return false;
    if (land_stream_distance(p.x, p.z) < LAND_STREAM_HALF_WIDTH + LAND_STREAM_BANK + radius)
        return false;
    if (land_lake_depth(p.x, p.z) > -radius || !land_inside_ring(p.x, p.z, 4.0)) return false;
    for (const LandPoint& h : land_house_sites)
        if (std::hypot(p.x - h.x, p.z - h.z) < 8.0) return false;
    for (const LandPoint& h : {LAND_CHURCH, LAND_WINDMILL})
        if (std::hypot(p.x - h.x, p.z - h.z) < 9.0) return false;
    return true;
}

LandCover land_cover(double x, double z)
{
    LandCover c{LAND_GRASS, LAND_NO_CROP, false};
    for (const Field& f : fields)
        if (x >= f.x0 && x < f.x1 && z >= f.z0 && z < f.z1)
            c = {LAND_GRASS, f.crop, f.rows_along_x};
    int road = 0;
    if (land_road_distance(x, z, &road) < LAND_ROAD_HALF_WIDTH)
        c.kind = road == 0 ? LAND_ROAD_NORTH : LAND_ROAD_SOUTH;
    else if (land_in_lake(x, z))
        c.kind = LAND_LAKE;
    else if (land_stream_distance(x, z) < LAND_STREAM_HALF_WIDTH)
        c.kind = LAND_STREAM;
    return c;
}
