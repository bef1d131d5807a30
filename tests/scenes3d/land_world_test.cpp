// The landscape's world against the scene that shows it: the names it loads, and the flight's
// eye positions, which the world must enclose and keep on its roads.
#include "content/font.h"
#include "content/land.h"
#include "engine3d/math3d.h"
#include "scenes3d/land.h"
#include "scenes3d/land_path.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
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
    for (int i = 0; i < LAND_OBJECT_COUNT; i++) {
        const NamedMesh& o = objects[size_t(i)];
        EXPECT_EQ(o.name, land_object_names[i]);
        EXPECT_FALSE(o.mesh.triangles.empty()) << o.name;
        for (const MeshMaterial& m : o.mesh.materials)
            EXPECT_TRUE(names.count(m.texture)) << o.name << " uses " << m.texture;
    }
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

// Nothing stands on a road, and the whole world comes out the same every time.
TEST(LandWorld, KeepsTheRoadsClearAndIsDeterministic)
{
    const std::vector<NamedMesh> first = land_objects(), second = land_objects();
    for (size_t i = 0; i < first.size(); i++) {
        const std::string& name = first[i].name;
        const std::vector<Vec3>& v = first[i].mesh.vertices;
        ASSERT_EQ(v.size(), second[i].mesh.vertices.size()) << name;
        for (size_t k = 0; k < v.size(); k++) {
            const Vec3& w = second[i].mesh.vertices[k];
            ASSERT_TRUE(v[k].x == w.x && v[k].y == w.y && v[k].z == w.z) << name;
        }
        if (name == "world" || name[0] == 'u' || name == "to") continue;
        for (const Vec3& p : v)
            if (p.y < 1.0) ASSERT_GT(land_road_distance(p.x, p.z), LAND_ROAD_HALF_WIDTH) << name;
    }
}

} // namespace
