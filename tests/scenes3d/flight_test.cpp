// The flights' camera paths: the steps a row adds and the objects each row draws.
#include "flightpaths/city_path.h"
#include "flightpaths/land_path.h"

#include <gtest/gtest.h>
#include <numbers>

namespace {

constexpr float pi = std::numbers::pi_v<float>;

int frames_of(const CameraStep* path, int first, int last)
{
    int n = 0;
    for (int r = first; r <= last; r++) n += path[r].frames;
    return n;
}

TEST(FlightPath, CityStepsRowByRow)
{
    FlightCamera camera = {0, -2000, -2210, pi / 8, 0, 0, 0, 0};
    for (int f = 0; f < 30; f++)
        EXPECT_EQ(&flight_camera_advance(camera, city_path, 30), city_path);
    EXPECT_NEAR(camera.ax, pi / 4, 1e-5f); // 30 steps of pi/240
    EXPECT_EQ(camera.row, 1);
    EXPECT_EQ(camera.step, 0);
    EXPECT_EQ(frames_of(city_path, 0, 28), 379); // then row 29 holds past the scene's 400
    // Past the last row, the last one holds.
    FlightCamera end = {0, 0, 0, 0, 0, 0, CITY_PATH_ROWS, 0};
    EXPECT_EQ(&flight_camera_advance(end, city_path, CITY_PATH_ROWS), &city_path[29]);
}

TEST(FlightPath, CityMasks)
{
    EXPECT_EQ(city_path[7].mask, 1u << 2); // inside the tube: the tube alone
    EXPECT_EQ(city_path[8].mask, 1u << 2);
    EXPECT_EQ(city_path[6].mask, 0b0101101u); // houses, tube, ground, bunker: no sky, pipe, bridge
    EXPECT_EQ(city_path[29].mask, 0x7fu);
    for (int r : {0, 1, 14, 23, 28}) EXPECT_EQ(city_path[r].mask, 0x7fu & ~(1u << 2)) << r;
}

TEST(FlightPath, LandMasks)
{
    EXPECT_EQ(frames_of(land_path, 0, 45), 828);
    EXPECT_EQ(land_path[46].mask, 1u << 22); // the closing billboard alone
    // Row 19: object 0 and 8 to 32 (32 hangs on bit 31 with 31).
    EXPECT_EQ(land_path[19].mask, 0xffffff01u);
    EXPECT_EQ(land_path[44].mask, (7u << 20) | (7u << 29));
    EXPECT_EQ(land_path[45].mask, 1u | (7u << 20) | (7u << 29));
    EXPECT_NEAR(44 * land_path[45].dax, -4 * pi, 1e-4f); // two loops backwards
    EXPECT_NEAR(20 * land_path[28].dax, 2 * pi, 1e-4f);  // one loop
}

} // namespace
