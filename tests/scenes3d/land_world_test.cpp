// The landscape's world against the scene that shows it: the names it loads, and the flight's
// eye positions, which the world must enclose and keep on its roads.
#include "content/land/land.h"
#include "content/tools/font.h"
#include "engine3d/math3d.h"
#include "engine3d/pipeline.h"
#include "flightpaths/land_path.h"
#include "gfx2d/pcx.h"
#include "scenes3d/land.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>

namespace {

struct LandEye {
    Vec3 at; // in the object files' coordinates
    int row;
    uint32_t mask;
};

// Every frame of the 61 s scene, replayed the way the scene steps it, the eye taken back
// through the objects' placement (scale 10, then the rotation) into file coordinates.
std::vector<LandEye> land_eyes()
{
    Matrix4 rotation;
    matrix_rotate(rotation, 0.0f, -1.5707964f, 3.1415927f);
    FlightCamera camera = {0.0f, -50.0f, -2500.0f, 0.0f, 0.0f, 0.0f, 0, 0};
    std::vector<LandEye> eyes;
    for (int frame = 0; frame < 872; frame++) {
        const CameraStep& row = flight_camera_advance(camera, land_path, LAND_PATH_ROWS);
        const double w[3] = {camera.px * 0.4 / 10, camera.py * 0.4 / 10, camera.pz * 0.4 / 10};
        double f[3] = {0, 0, 0};
        for (int i = 0; i < 3; i++)
            for (int k = 0; k < 3; k++) f[i] += rotation.at(k, i) * w[k]; // the inverse
        eyes.push_back({{f[0], f[1], f[2]}, int(&row - land_path), row.mask});
    }
    return eyes;
}

TEST(LandWorld, WritesExactlyWhatTheSceneLoads)
{
    Font* bold = font_open("DejaVuSans-Bold.ttf");
    ASSERT_NE(bold, nullptr);
    const std::vector<NamedPicture> textures = land_textures(bold);
    font_close(bold);
    ASSERT_EQ(textures.size(), size_t(LAND_TEXTURE_COUNT));
    for (int i = 0; i < LAND_TEXTURE_COUNT; i++) {
        EXPECT_EQ(textures[size_t(i)].path, land_texture_names[i]);
        const RgbImage& image = textures[size_t(i)].image;
        // Square, and a size with the fast span routines.
        EXPECT_EQ(image.width, image.height) << land_texture_names[i];
        EXPECT_TRUE(image.width == 64 || image.width == 256) << land_texture_names[i];
    }
    const std::set<std::string> names(land_texture_names, land_texture_names + LAND_TEXTURE_COUNT);
    const std::vector<NamedMesh> objects = land_objects();
    ASSERT_EQ(objects.size(), size_t(LAND_OBJECT_COUNT));
    size_t vertices = 0;
    for (int i = 0; i < LAND_OBJECT_COUNT; i++) {
        const NamedMesh& o = objects[size_t(i)];
        EXPECT_EQ(o.name, land_object_names[i]);
        EXPECT_FALSE(o.mesh.triangles.empty()) << o.name;
        for (const MeshMaterial& m : o.mesh.materials)
            EXPECT_TRUE(names.count(m.texture)) << o.name << " uses " << m.texture;
        // Small texture coordinates: the fillers step them in 16.16 fixed point.
        for (const MeshTriangle& t : o.mesh.triangles)
            for (int c = 0; c < 3; c++)
                ASSERT_TRUE(std::fabs(t.u[c]) < 16 && std::fabs(t.v[c]) < 16) << o.name;
        vertices += o.mesh.vertices.size();
    }
    // The path draws every object at the look-out, and the render list copies all of a drawn
    // object's vertices: room must be left for the corners that the near plane cuts. It cuts
    // few faces, eight units out (a few dozen corners at most); the holes test counts any face
    // that is lost all the same.
    EXPECT_LT(vertices, size_t(RENDER_LIST_CAPACITY - 200));
}

// Every eye of a row that draws the world lies inside the mountains, well under the sky and
// over the ground; on the ground it runs on a road.
TEST(LandWorld, EnclosesEveryEyeAndKeepsItOnTheRoads)
{
    int on_ground = 0;
    for (const LandEye& e : land_eyes()) {
        if ((e.mask & 1u << 31) == 0) continue;
        SCOPED_TRACE("row " + std::to_string(e.row));
        EXPECT_TRUE(land_inside_ring(e.at.x, e.at.z, 5.0)) << e.at.x << ", " << e.at.z;
        EXPECT_LT(e.at.y, LAND_SKY_HEIGHT - 5.0);
        EXPECT_GE(e.at.y - land_ground_height(e.at.x, e.at.z), 1.9);
        if (e.at.y < 2.5) {
            on_ground++;
            EXPECT_LT(land_road_distance(e.at.x, e.at.z), 1.0) << e.at.x << ", " << e.at.z;
        }
    }
    EXPECT_GT(on_ground, 600);
}

// Where a point lies by a bridge: along its road from the bridge's middle, and across it.
struct BridgePlace {
    double along, across;
};
BridgePlace bridge_place(const LandBridge& b, double x, double z)
{
    const double dx = x - b.centre.x, dz = z - b.centre.z;
    return {dx * b.along.x + dz * b.along.z, dx * -b.along.z + dz * b.along.x};
}

bool on_a_bridge(const Vec3& p)
{
    for (const LandBridge& b : land_bridges) {
        const BridgePlace at = bridge_place(b, p.x, p.z);
        if (std::fabs(at.along) < b.half_span + 1.0 &&
            std::fabs(at.across) < LAND_ROAD_HALF_WIDTH + 0.1)
            return true;
    }
    return false;
}

// Nothing stands on a road but the bridges' parapets, and the whole world comes out the same
// every time.
TEST(LandWorld, KeepsTheRoadsClearAndIsDeterministic)
{
    const std::set<std::string> ground = {"fold", "ut", "to", "hazhatul"};
    const std::vector<NamedMesh> first = land_objects(), second = land_objects();
    for (size_t i = 0; i < first.size(); i++) {
        const Mesh& mesh = first[i].mesh;
        const std::string& name = first[i].name;
        const std::vector<Vec3>& v = mesh.vertices;
        ASSERT_EQ(v.size(), second[i].mesh.vertices.size()) << name;
        for (size_t k = 0; k < v.size(); k++) {
            const Vec3& w = second[i].mesh.vertices[k];
            ASSERT_TRUE(v[k].x == w.x && v[k].y == w.y && v[k].z == w.z) << name;
        }
        for (const MeshTriangle& t : mesh.triangles) {
            const std::string& texture = mesh.materials[size_t(t.material)].texture;
            if (ground.count(texture)) continue;
            for (int c : t.corner) {
                const Vec3& p = v[size_t(c)];
                if (p.y > 1.0 || (texture == "ko1" && on_a_bridge(p))) continue;
                ASSERT_GT(land_road_distance(p.x, p.z), LAND_ROAD_HALF_WIDTH)
                    << name << " " << texture << " at " << p.x << ", " << p.z;
            }
        }
    }
}

// A road's surface is level, and where the stream's bed lies lower beside it, a bridge's wall
// stands on the road's edge and closes the step: from below the ground outside to above the
// road. Under the arch the water runs through. Anywhere else, the ground meets the road.
TEST(LandWorld, BridgesCloseEveryStepBesideTheRoads)
{
    std::vector<Mesh> walls;
    for (int i = 0; i < 2; i++) walls.push_back(land_bridge(i));
    int steps = 0;
    for (double x = -100; x < 106; x += 0.25)
        for (double z = -100; z < 106; z += 0.25) {
            // Just outside a road's edge.
            const double d = land_road_distance(x, z);
            if (d < LAND_ROAD_HALF_WIDTH || d > LAND_ROAD_HALF_WIDTH + 0.25) continue;
            const double outside = land_terrain_height(x, z);
            if (outside > -0.02) continue;
            steps++;
            SCOPED_TRACE("the ground at " + std::to_string(x) + ", " + std::to_string(z));
            int bridge = -1;
            for (int i = 0; i < 2; i++) {
                const BridgePlace at = bridge_place(land_bridges[i], x, z);
                if (std::fabs(at.along) <= land_bridges[i].half_span &&
                    std::fabs(at.across) < LAND_ROAD_HALF_WIDTH + 0.3)
                    bridge = i;
            }
            ASSERT_GE(bridge, 0) << "the road's edge stands over lower ground without a bridge";
            const BridgePlace at = bridge_place(land_bridges[bridge], x, z);
            if (std::fabs(at.along) < 2.0) continue; // the arch
            // Where the wall's faces in the edge's plane cross the upright line at this point.
            double low = 1e9, high = -1e9;
            const Mesh& m = walls[size_t(bridge)];
            for (const MeshTriangle& t : m.triangles) {
                BridgePlace q[3];
                double y[3];
                bool in_plane = true;
                for (int c = 0; c < 3; c++) {
                    const Vec3& p = m.vertices[size_t(t.corner[c])];
                    q[c] = bridge_place(land_bridges[bridge], p.x, p.z), y[c] = p.y;
                    in_plane = in_plane &&
                               std::fabs(std::fabs(q[c].across) - LAND_ROAD_HALF_WIDTH) < 1e-6 &&
                               (q[c].across > 0) == (at.across > 0);
                }
                for (int c = 0; c < 3 && in_plane; c++) {
                    const double a0 = q[c].along, a1 = q[(c + 1) % 3].along;
                    if (a0 == a1 || (at.along - a0) * (at.along - a1) > 0) continue;
                    const double h = y[c] + (y[(c + 1) % 3] - y[c]) * (at.along - a0) / (a1 - a0);
                    low = std::min(low, h), high = std::max(high, h);
                }
            }
            EXPECT_LT(low, outside);
            EXPECT_GT(high, 0.5);
        }
    EXPECT_GT(steps, 20) << "the stream passes under no bridge";
}

} // namespace

// The ground and the roads tile the land inside the mountains exactly once: a point covered
// twice would be fought over by the depth sort, a point not covered would be a hole. And all
// of it faces up, while the sky and the mountains face in.
TEST(LandWorld, GroundAndRoadsCoverEveryPointOnceFacingUp)
{
    const LandGround ground = land_ground();
    struct Flat {
        double ax, az, bx, bz, cx, cz;
    };
    std::vector<Flat> flats;
    for (const Mesh* m : {&ground.world, &ground.road[0], &ground.road[1]})
        for (const MeshTriangle& t : m->triangles) {
            const Vec3 a = m->vertices[size_t(t.corner[0])], b = m->vertices[size_t(t.corner[1])];
            const Vec3 c = m->vertices[size_t(t.corner[2])];
            ASSERT_GT(cross(b - a, c - a).y, 0.0) << "a ground triangle faces down";
            flats.push_back({a.x, a.z, b.x, b.z, c.x, c.z});
        }
    auto side = [](double px, double pz, double ax, double az, double bx, double bz) {
        return (bx - ax) * (pz - az) - (bz - az) * (px - ax);
    };
    int samples = 0;
    for (double z = -127.311; z < 100; z += 1.3573) // off the tiling's lines and diagonals
        for (double x = -119.123; x < 106; x += 1.3719) {
            if (!land_inside_ring(x, z, 9.0)) continue;
            int covered = 0;
            for (const Flat& f : flats) {
                const double s0 = side(x, z, f.ax, f.az, f.bx, f.bz);
                const double s1 = side(x, z, f.bx, f.bz, f.cx, f.cz);
                const double s2 = side(x, z, f.cx, f.cz, f.ax, f.az);
                covered += (s0 < 0 && s1 < 0 && s2 < 0) || (s0 > 0 && s1 > 0 && s2 > 0);
            }
            samples++;
            EXPECT_EQ(covered, 1) << "at " << x << ", " << z;
        }
    EXPECT_GT(samples, 10000);

    const Mesh sky = land_sky();
    const Vec3 centre{land_ring_centre.x, 10.0, land_ring_centre.z};
    for (const MeshTriangle& t : sky.triangles) {
        const Vec3 a = sky.vertices[size_t(t.corner[0])], b = sky.vertices[size_t(t.corner[1])];
        const Vec3 c = sky.vertices[size_t(t.corner[2])];
        ASSERT_GT(dot(cross(b - a, c - a), centre - a), 0.0) << "a sky triangle faces out";
    }
}

// The ground's pieces meet edge to edge: every edge inside the land is shared by two of its
// triangles (seen from above; beside a bridge the two lie at different heights, which the
// bridge closes). An edge that a neighbour's corner splits would open a crack in the ground.
// And every piece wears what covers the ground under it.
TEST(LandWorld, GroundPiecesMeetEdgeToEdgeAndWearTheirCover)
{
    const LandGround ground = land_ground();
    using Plan = std::pair<double, double>;
    std::map<std::pair<Plan, Plan>, int> edges;
    for (const Mesh* m : {&ground.world, &ground.road[0], &ground.road[1]})
        for (const MeshTriangle& t : m->triangles) {
            Vec3 c[3];
            for (int k = 0; k < 3; k++) c[k] = m->vertices[size_t(t.corner[k])];
            for (int k = 0; k < 3; k++) {
                Plan a{c[k].x, c[k].z}, b{c[(k + 1) % 3].x, c[(k + 1) % 3].z};
                if (b < a) std::swap(a, b);
                edges[{a, b}]++;
            }
            const std::string& texture = m->materials[size_t(t.material)].texture;
            const double x = (c[0].x + c[1].x + c[2].x) / 3, z = (c[0].z + c[1].z + c[2].z) / 3;
            // Near an edge a piece may fall either side of it, as far as the cuts' straight
            // lines stray from a curved edge or a bend's inner corner.
            const double road = land_road_distance(x, z) - LAND_ROAD_HALF_WIDTH;
            const double water = std::min(-land_lake_depth(x, z),
                                          land_stream_distance(x, z) - LAND_STREAM_HALF_WIDTH);
            SCOPED_TRACE(texture + " at " + std::to_string(x) + ", " + std::to_string(z));
            constexpr double STRAY = 0.4;
            if (texture == "ut") {
                EXPECT_LT(road, STRAY);
                continue;
            }
            EXPECT_GT(road, -STRAY);
            if (texture == "to") {
                EXPECT_LT(water, STRAY);
            } else {
                EXPECT_GT(water, -STRAY);
            }
            if (texture != "to") {
                // Fields lie on the 4-unit grid, which no piece straddles.
                EXPECT_EQ(texture == "hazhatul", land_cover(x, z).crop != LAND_NO_CROP);
            }
        }
    int inner = 0;
    for (const auto& [edge, uses] : edges) {
        const double x = (edge.first.first + edge.second.first) / 2;
        const double z = (edge.first.second + edge.second.second) / 2;
        if (!land_inside_ring(x, z, 6.0)) continue; // the ground's rim, behind the mountains
        inner++;
        EXPECT_EQ(uses, 2) << "the edge at " << x << ", " << z;
    }
    EXPECT_GT(inner, 8000);
}

// The trees' crowns and cones are closed: every edge of their foliage is shared by two of its
// faces, so no gap shows the sky through a tree.
TEST(LandWorld, TreesAreClosed)
{
    const std::set<std::string> foliage = {"fa", "zold3", "fenyo", "fenyo2"};
    const std::vector<NamedMesh> objects = land_objects();
    for (int i = 0; i < 18; i++) { // the forests
        const Mesh& m = objects[size_t(i)].mesh;
        std::map<std::pair<int, int>, int> edges;
        for (const MeshTriangle& t : m.triangles) {
            if (!foliage.count(m.materials[size_t(t.material)].texture)) continue;
            for (int k = 0; k < 3; k++) edges[std::minmax(t.corner[k], t.corner[(k + 1) % 3])]++;
        }
        ASSERT_FALSE(edges.empty()) << objects[size_t(i)].name;
        for (const auto& [edge, uses] : edges) {
            const Vec3 p = m.vertices[size_t(edge.first)];
            ASSERT_EQ(uses, 2) << objects[size_t(i)].name << " near " << p.x << ", " << p.y << ", "
                               << p.z;
        }
    }
}

// From the last eye of the flight the closing billboard's picture fills most of the screen,
// all of it on the screen.
TEST(LandWorld, TheEndCardFillsTheLastView)
{
    FlightCamera camera = {0.0f, -50.0f, -2500.0f, 0.0f, 0.0f, 0.0f, 0, 0};
    for (int frame = 0; frame < 860; frame++)
        flight_camera_advance(camera, land_path, LAND_PATH_ROWS);
    ASSERT_EQ(camera.row, 46);
    Matrix4 view, rotation, scale, turn, placed, m;
    camera_build_view(camera.px, camera.py, camera.pz, 0.4f, 0.4f, 0.4f, camera.ax, camera.ay,
                      camera.az, view, rotation);
    matrix_scale(scale, 10, 10, 10);
    matrix_rotate(turn, 0.0f, -1.5707964f, 3.1415927f);
    matrix_multiply(scale, turn, placed); // scaled, then turned
    matrix_multiply(placed, view, m);
    const Mesh board = land_billboard();
    double left = 1e9, right = -1e9, top = 1e9, bottom = -1e9;
    for (const MeshTriangle& t : board.triangles) {
        if (board.materials[size_t(t.material)].texture != "hird1") continue;
        for (int c : t.corner) {
            const Vec3 p = board.vertices[size_t(c)];
            double v[3];
            for (int i = 0; i < 3; i++)
                v[i] = m.at(i, 0) * p.x + m.at(i, 1) * p.y + m.at(i, 2) * p.z + m.at(i, 3);
            ASSERT_GT(v[2], 80.0);
            const double sx = 160 + 400 * v[0] / v[2], sy = 120 + 400 * v[1] / v[2];
            left = std::min(left, sx), right = std::max(right, sx);
            top = std::min(top, sy), bottom = std::max(bottom, sy);
        }
    }
    EXPECT_GE(left, 0.0);
    EXPECT_LE(right, 320.0);
    EXPECT_GE(top, 0.0);
    EXPECT_LE(bottom, 240.0);
    EXPECT_GT(right - left, 0.8 * 320);
    EXPECT_GT(bottom - top, 0.8 * 240);
}

// The written textures share one palette, and none of them uses its last two entries: the
// holes check refills the frame with those and counts what is left of them.
TEST(LandWorld, TexturesShareOnePaletteAndLeaveTheSentinelsFree)
{
    uint8_t first[768] = {};
    for (int i = 0; i < LAND_TEXTURE_COUNT; i++) {
        const std::string path =
            std::string(LAND_SHOW_DIR) + "/3d/land/textu/" + land_texture_names[i] + ".pcx";
        Image* image = nullptr;
        uint8_t palette[768];
        ASSERT_EQ(pcx_load_image(path.c_str(), &image, palette), PCX_OK) << path;
        if (i == 0) std::copy(palette, palette + 768, first);
        EXPECT_TRUE(std::equal(palette, palette + 768, first)) << path;
        const size_t n = size_t(image->width) * image->height;
        EXPECT_EQ(
            std::count_if(image->pixels, image->pixels + n, [](uint8_t p) { return p >= 254; }), 0)
            << path;
        image_destroy(&image);
    }
}
