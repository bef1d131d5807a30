// The land flight: 49 rows of camera steps over the 33 objects. Row 46 shows only the closing
// billboard for longer than the scene lasts; rows 47 and 48 are never reached.
#pragma once

#include "flightpaths/flight_path.h"
#include "flightpaths/path_constants.h"

constexpr int LAND_OBJECT_COUNT = 33;
constexpr int LAND_PATH_ROWS = 49;
constexpr uint32_t LAND_ALL = flight_objects(0, LAND_OBJECT_COUNT - 1);

// clang-format off
constexpr CameraStep land_path[LAND_PATH_ROWS] = {
    // frames, dx, dy, dz, dax, day, daz, far, objects drawn; row number
    {20, 0.0f, 0.0f, 20.0f, 0.0f, path_pi(1, 40), 0.0f, 5000.0f, LAND_ALL & ~(flight_object(22))}, // 0
    {10, -20.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 5000.0f, LAND_ALL & ~(flight_object(22))}, // 1
    {20, -20.0f, 0.0f, 0.0f, 0.0f, path_pi(-1, 118), 0.0f, 5000.0f, LAND_ALL & ~(flight_objects(18, 22))}, // 2
    {39, -25.0f, 0.0f, 22.4358978f, 0.0f, path_pi(-1, 118), 0.0f, 5000.0f, LAND_ALL & ~(flight_objects(18, 22))}, // 3
    {20, 0.0f, 0.0f, 40.0f, 0.0f, 0.0f, 0.0f, 5000.0f, LAND_ALL & ~(flight_objects(8, 22))}, // 4
    {20, 0.0f, 0.0f, 30.0f, 0.0f, 0.0f, 0.0f, 5000.0f, LAND_ALL & ~(flight_objects(8, 22) | flight_object(29))}, // 5
    {20, 3.0f, 0.0f, 20.0f, 0.0f, 0.0f, 0.0f, 5000.0f, LAND_ALL & ~(flight_objects(8, 22) | flight_object(29))}, // 6
    {20, 0.0f, 0.0f, 30.0f, 0.0f, path_pi(-1, 40), 0.0f, 5000.0f, LAND_ALL & ~(flight_objects(8, 17) | flight_object(29))}, // 7
    {30, 30.0f, 0.0f, -4.0f, 0.0f, 0.0f, 0.0f, 5000.0f, LAND_ALL & ~(flight_objects(8, 17) | flight_object(29))}, // 8
    {15, 25.0f, 0.0f, -2.0f, 0.0f, 0.0f, 0.0f, 5000.0f, LAND_ALL & ~(flight_objects(8, 17) | flight_object(29))}, // 9
    {10, 20.0f, -30.0f, 0.0f, 0.0f, 0.0f, path_pi(1, 80), 5000.0f, LAND_ALL & ~(flight_objects(8, 17) | flight_object(29))}, // 10
    {5, 30.0f, -30.0f, 0.0f, 0.0f, 0.0f, path_pi(-1, 40), 5000.0f, LAND_ALL & ~(flight_objects(8, 17) | flight_object(29))}, // 11
    {80, 0.0f, 0.0f, 0.0f, 0.0f, path_pi(-1, 80), 0.0f, 5000.0f, LAND_ALL}, // 12
    {5, -30.0f, 30.0f, 0.0f, 0.0f, 0.0f, path_pi(1, 40), 5000.0f, LAND_ALL & ~(flight_objects(8, 17) | flight_object(29))}, // 13
    {10, -20.0f, 30.0f, 0.0f, 0.0f, 0.0f, path_pi(-1, 80), 5000.0f, LAND_ALL & ~(flight_objects(8, 17) | flight_object(29))}, // 14
    {11, -30.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 5000.0f, LAND_ALL & ~(flight_objects(8, 22))}, // 15
    {10, -30.0f, 0.0f, 0.0f, 0.0f, path_pi(1, 40), 0.0f, 5000.0f, LAND_ALL & ~(flight_objects(8, 22))}, // 16
    {10, -25.0f, 0.0f, 0.0f, 0.0f, path_pi(1, 40), 0.0f, 5000.0f, LAND_ALL & ~(flight_objects(18, 22))}, // 17
    {10, 0.0f, 0.0f, -25.0f, 0.0f, 0.0f, 0.0f, 5000.0f, LAND_ALL & ~(flight_objects(18, 22))}, // 18
    {35, 0.0f, 0.0f, -25.0f, 0.0f, path_pi(1, 70), 0.0f, 5000.0f, LAND_ALL & ~(flight_objects(1, 7))}, // 19
    {20, 25.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 5000.0f, flight_objects(18, 22) | flight_objects(29, 32)}, // 20
    {20, 25.0f, 0.0f, 0.0f, 0.0f, path_pi(1, 40), 0.0f, 5000.0f, flight_objects(18, 32)}, // 21
    {5, 0.0f, 0.0f, 25.0f, 0.0f, 0.0f, 0.0f, 5000.0f, flight_objects(18, 19) | flight_objects(23, 28) | flight_objects(30, 32)}, // 22
    {20, 0.0f, 0.0f, 25.0f, 0.0f, path_pi(-1, 40), 0.0f, 5000.0f, flight_objects(18, 21) | flight_objects(23, 32)}, // 23
    {20, 25.0f, 0.0f, 0.0f, 0.0f, path_pi(-1, 40), 0.0f, 5000.0f, LAND_ALL & ~(flight_objects(0, 7) | flight_object(22))}, // 24
    {5, 0.0f, 0.0f, -25.0f, 0.0f, 0.0f, 0.0f, 5000.0f, LAND_ALL & ~(flight_objects(0, 7) | flight_object(18) | flight_objects(21, 22))}, // 25
    {20, 0.0f, 0.0f, -25.0f, 0.0f, path_pi(1, 40), 0.0f, 5000.0f, LAND_ALL & ~(flight_objects(0, 7) | flight_object(18))}, // 26
    {20, 30.0f, -10.0f, -1.0f, 0.0f, 0.0f, 0.0f, 5000.0f, LAND_ALL & ~(flight_objects(8, 19))}, // 27
    {20, 30.0f, 0.0f, 0.0f, path_pi(1, 10), 0.0f, 0.0f, 5000.0f, flight_object(22) | flight_object(28) | flight_objects(30, 32)}, // 28
    {10, 30.0f, 20.0f, 1.0f, 0.0f, 0.0f, 0.0f, 5000.0f, flight_object(22) | flight_object(28) | flight_objects(30, 32)}, // 29
    {10, 30.0f, 0.0f, 1.0f, 0.0f, path_pi(1, 20), 0.0f, 5000.0f, flight_objects(23, 32)}, // 30
    {10, 5.0f, 0.0f, 27.0f, 0.0f, path_pi(1, 20), 0.0f, 5000.0f, flight_object(7) | flight_object(21) | flight_object(25) | flight_objects(29, 32)}, // 31
    {18, -30.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 5000.0f, flight_object(7) | flight_object(21) | flight_object(25) | flight_objects(29, 32)}, // 32
    {10, -25.0f, 0.0f, 0.0f, 0.0f, path_pi(-1, 20), 0.0f, 5000.0f, flight_object(21) | flight_objects(23, 28) | flight_objects(30, 32)}, // 33
    {10, 0.0f, 0.0f, 30.0f, 0.0f, 0.0f, 0.0f, 5000.0f, flight_objects(25, 26) | flight_objects(30, 32)}, // 34
    {10, 0.0f, 0.0f, 30.0f, 0.0f, path_pi(-1, 40), 0.0f, 5000.0f, flight_objects(25, 26) | flight_objects(30, 32)}, // 35
    {10, 30.0f, 0.0f, 30.0f, 0.0f, path_pi(1, 40), 0.0f, 5000.0f, flight_objects(30, 32)}, // 36
    {20, 0.0f, 0.0f, 30.0f, 0.0f, path_pi(1, 40), 0.0f, 5000.0f, LAND_ALL & ~(flight_objects(8, 22) | flight_object(29))}, // 37
    {20, -35.0f, 0.0f, 12.0f, 0.0f, 0.0f, 0.0f, 5000.0f, LAND_ALL & ~(flight_objects(8, 22) | flight_object(29))}, // 38
    {7, -30.0f, 0.0f, 12.0f, 0.0f, 0.0f, 0.0f, 5000.0f, LAND_ALL & ~(flight_objects(8, 22) | flight_object(29))}, // 39
    {20, -30.0f, 0.0f, 12.0f, 0.0f, path_pi(1, 40), 0.0f, 5000.0f, LAND_ALL & ~(flight_objects(19, 20) | flight_object(22))}, // 40
    {20, -16.0f, 0.0f, -30.0f, 0.0f, 0.0f, 0.0f, 5000.0f, LAND_ALL & ~(flight_objects(0, 7) | flight_object(22))}, // 41
    {33, 0.0f, 0.0f, -35.0f, 0.0f, 0.0f, 0.0f, 5000.0f, LAND_ALL & ~(flight_objects(0, 7) | flight_objects(20, 22))}, // 42
    {20, 0.0f, 0.0f, -30.0f, 0.0f, path_pi(1, 40), 0.0f, 5000.0f, LAND_ALL & ~(flight_objects(0, 7) | flight_objects(23, 28))}, // 43
    {6, 33.0f, -4.0f, -0.075f, 0.0f, 0.0f, 0.0f, 5000.0f, flight_objects(20, 22) | flight_objects(29, 32)}, // 44
    {44, 33.0f, -4.0f, -0.075f, path_pi(-1, 11), 0.0f, 0.0f, 5000.0f, flight_object(0) | flight_objects(20, 22) | flight_objects(29, 32)}, // 45
    {1000, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 5000.0f, flight_object(22)}, // 46
    {5000, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 5000.0f, LAND_ALL}, // 47
    {5000, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 5000.0f, LAND_ALL}, // 48
};
// clang-format on
