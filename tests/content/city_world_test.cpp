// The city's world as the scene will read it: every material names one of the scene's
// textures, the textures share one palette, every row of the path fits the render list, and
// the world keeps clear of the eye where the path runs along the streets.
#include "content/city/city_world.h"
#include "content/content.h"
#include "engine3d/pipeline.h"
#include "engine3d/t3d.h"
#include "flightpaths/city_path.h"
#include "gfx2d/pcx.h"

#include <array>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <set>
#include <string>
#include <unistd.h>

namespace {

constexpr const char* texture_names[12] = {"none",  "ablak-1", "ablak-2", "ablak-3",
                                           "fal-2", "felho-1", "kovek-1", "ko-1",
                                           "teto",  "ut-a4",   "fire1",   "plasma"};
constexpr const char* object_names[CITY_OBJECT_COUNT] = {"hazak",   "pipemove", "cso", "talaj",
                                                         "environ", "bunker",   "hid"};

class CityWorld : public ::testing::Test {
  protected:
    // A folder of this process's own: test programs run side by side (ctest -j, other users).
    static void SetUpTestSuite()
    {
        root = std::filesystem::temp_directory_path() /
               ("vantor-city-test-" + std::to_string(getpid()));
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root);
        written = content_write_city(root);
    }
    static void TearDownTestSuite() { std::filesystem::remove_all(root); }
    static inline std::string root;
    static inline bool written = false;
};

TEST_F(CityWorld, TexturesAreSquareAndShareOnePalette)
{
    ASSERT_TRUE(written);
    uint8_t first[768];
    for (int i = 0; i < 12; i++) {
        const std::string path = root + "/3d/city/textu/" + texture_names[i] + ".pcx";
        Image* img = nullptr;
        uint8_t palette[768];
        ASSERT_EQ(pcx_load_image(path.c_str(), &img, palette), PCX_OK) << path;
        EXPECT_EQ(img->width, img->height) << path;
        EXPECT_TRUE(img->width == 64 || img->width == 256) << path; // the fast span routines
        if (i == 0) std::memcpy(first, palette, 768);
        EXPECT_EQ(std::memcmp(first, palette, 768), 0) << path << " has a palette of its own";
        image_destroy(&img);
    }
}

TEST_F(CityWorld, ObjectsLoadWithTheScenesTexturesAndFitEveryRow)
{
    ASSERT_TRUE(written);
    uint8_t palette[768] = {};
    const int32_t sizes[12] = {256, 256, 256, 256, 256, 256, 256, 256, 256, 256, 256, 256};
    std::array<int32_t, CITY_OBJECT_COUNT> vertices{}, faces{};
    for (int i = 0; i < CITY_OBJECT_COUNT; i++) {
        const std::string path = root + "/3d/city/" + object_names[i] + ".t3d";
        Object3D* o = nullptr;
        // -10 would mean a material whose texture is not in the scene's list.
        ASSERT_EQ(t3d_load(&o, path.c_str(), palette, 1, texture_names, sizes, 12), 0) << path;
        EXPECT_GT(o->face_count, 0) << path;
        vertices[size_t(i)] = o->vertex_count, faces[size_t(i)] = o->face_count;
        object_destroy(&o);
    }
    // The render list takes every vertex of a drawn object and the faces that survive the
    // frustum; leave room for the vertices that near clipping makes.
    for (int r = 0; r < CITY_PATH_ROWS; r++) {
        int32_t v = 0, f = 0;
        for (int i = 0; i < CITY_OBJECT_COUNT; i++)
            if (city_path[r].mask & (1u << i)) v += vertices[size_t(i)], f += faces[size_t(i)];
        EXPECT_LT(v, RENDER_LIST_CAPACITY * 3 / 4) << "row " << r;
        EXPECT_LT(f, RENDER_LIST_CAPACITY * 9 / 10) << "row " << r;
    }
}

TEST_F(CityWorld, IsTheSameEveryTime)
{
    ASSERT_TRUE(written);
    const std::string again = root + "/again";
    std::filesystem::create_directories(again);
    ASSERT_TRUE(content_write_city(again));
    auto bytes = [](const std::filesystem::path& p) {
        std::ifstream in(p, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    int files = 0;
    for (const auto& e : std::filesystem::recursive_directory_iterator(root + "/3d/city")) {
        if (!e.is_regular_file()) continue;
        const auto relative = std::filesystem::relative(e.path(), root);
        EXPECT_EQ(bytes(e.path()), bytes(again / relative)) << relative;
        files++;
    }
    EXPECT_EQ(files, 12 + CITY_OBJECT_COUNT);
}

TEST(CityPlan, ReplaysThePathWhereTheSceneGoes)
{
    const CityPlan plan = city_plan();
    auto near = [](Vec3 a, Vec3 b) { return length(a - b) < 0.2; };
    ASSERT_EQ(plan.eye.size(), 379u); // rows 0 to 28
    EXPECT_TRUE(near(plan.eye[0], {0, 80, 221}));
    EXPECT_TRUE(near(plan.eye[60], {0, 2, 97.4}));
    EXPECT_TRUE(near(plan.eye[200], {44, 9.4, 19.8}));
    EXPECT_TRUE(near(plan.eye.back(), {-2.4, 6.8, 39.8}));
    double deepest = 0;
    for (const Vec3& e : plan.eye) deepest = std::min(deepest, e.y);
    EXPECT_NEAR(deepest, -32.5, 0.5);
}

TEST(CityPlan, HousesKeepClearOfTheEyeOnTheStreets)
{
    const CityPlan plan = city_plan();
    const std::vector<CityRect> lots = city_lots(plan);
    ASSERT_GT(lots.size(), 100u);
    for (size_t f = 0; f < plan.eye.size(); f++) {
        const Vec3 e = plan.eye[f];
        if (e.y < 0) continue; // under ground, in the tube
        for (const CityRect& r : lots) {
            const double dx = std::max({r.x0 - e.x, 0.0, e.x - r.x1});
            const double dz = std::max({r.z0 - e.z, 0.0, e.z - r.z1});
            ASSERT_GE(std::hypot(dx, dz), 4.0)
                << "frame " << f << " by the lot at " << r.x0 << ", " << r.z0;
        }
    }
}

// The houses repeat the tube's mouth so that rows without the tube see a shaft; where both are
// drawn the two must tie in the depth order, so the copies must be the very same faces.
TEST(CityObjects, TheShaftInTheHousesIsTheTubesOwnFaces)
{
    const CityPlan plan = city_plan();
    const Mesh tube = city_tube(plan), mouth = city_tube_mouth(plan);
    ASSERT_GT(mouth.triangles.size(), 50u);
    auto key = [](const Mesh& m, const MeshTriangle& t) {
        std::array<float, 9> k;
        for (int c = 0; c < 3; c++) {
            const Vec3 p = m.vertices[size_t(t.corner[c])];
            k[size_t(c * 3)] = float(p.x), k[size_t(c * 3 + 1)] = float(p.y);
            k[size_t(c * 3 + 2)] = float(p.z);
        }
        return k;
    };
    std::set<std::array<float, 9>> faces;
    for (const MeshTriangle& t : tube.triangles) faces.insert(key(tube, t));
    for (const MeshTriangle& t : mouth.triangles)
        EXPECT_TRUE(faces.count(key(mouth, t))) << "a shaft face the tube does not have";
}

// The pipe is drawn while the descent ends, not from the next step on: in the descent's last
// frame it must hide behind the bridge, however far it has turned.
TEST(CityObjects, ThePipeHidesBehindTheBridgeWhenTheDescentEnds)
{
    const CityPlan plan = city_plan();
    ASSERT_EQ(plan.row[59], 1);
    ASSERT_EQ(plan.row[60], 2);
    const Vec3 eye = plan.eye[59];
    const double face = plan.ramps[0].z1; // the bridge's side towards the eye
    for (const Vec3& p : city_pipe().vertices)
        for (int a = 0; a < 36; a++) {
            const double r = std::hypot(p.x, p.z), angle = a * 3.14159265358979 / 18;
            const Vec3 q{r * std::cos(angle), p.y, r * std::sin(angle)};
            const double t = (eye.z - face) / (eye.z - q.z);
            const Vec3 at = eye + (q - eye) * t;
            EXPECT_GE(at.y, CITY_DECK_UNDER);
            EXPECT_LE(at.y, CITY_DECK_HEIGHT + CITY_PARAPET);
            EXPECT_LE(std::fabs(at.x), plan.ramps[1].x1);
        }
}

// The tube's last stretch rises under the bunker: there its slopes must face away from the eye,
// or they would be drawn over the tube's far walls.
TEST(CityObjects, TheBunkerFacesAwayFromTheTubesLastStretch)
{
    const CityPlan plan = city_plan();
    const Mesh bunker = city_bunker(plan);
    int frames = 0;
    for (size_t f = 0; f < plan.eye.size(); f++) {
        const Vec3 e = plan.eye[f];
        if (plan.row[f] < 9 || plan.row[f] > 13 || e.x < 8.0 || e.y > CITY_BUNKER_HEIGHT) continue;
        frames++;
        for (const MeshTriangle& t : bunker.triangles) {
            const Vec3 a = bunker.vertices[size_t(t.corner[0])];
            const Vec3 n = cross(bunker.vertices[size_t(t.corner[1])] - a,
                                 bunker.vertices[size_t(t.corner[2])] - a);
            EXPECT_LE(dot(n, e - a), 0.0) << "frame " << f;
        }
    }
    EXPECT_GT(frames, 20);
}

} // namespace
