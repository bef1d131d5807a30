// The city flight: 30 rows of camera steps over the seven objects. Row 29 holds the last view
// for longer than the scene lasts.
#pragma once

#include "flightpaths/flight_path.h"
#include "flightpaths/path_constants.h"

constexpr int CITY_OBJECT_COUNT = 7;
constexpr int CITY_PATH_ROWS = 30;
// Where the flight starts (high above the city, looking down by pi/8) and the camera's scale:
// world units per position unit.
constexpr FlightCamera CITY_START = {0.0f, -2000.0f, -2210.0f, 0.3926991f, 0.0f, 0.0f, 0, 0};
constexpr float CITY_SCALE_XY = 0.4f, CITY_SCALE_Z = 1.0f;

constexpr uint32_t CITY_ALL = flight_objects(0, CITY_OBJECT_COUNT - 1);

// clang-format off
constexpr CameraStep city_path[CITY_PATH_ROWS] = {
    //  frames  dx        dy         dz        dax              day               daz
    {30,    0.0f,     0.0f,      0.0f,     path_pi(1, 240), 0.0f,             0.0f,             5000.0f, CITY_ALL & ~(flight_object(2))},
    {30,    0.0f,     65.0f,     40.0f,    path_pi(-1, 120), 0.0f,            0.0f,             5000.0f, CITY_ALL & ~(flight_object(2))},
    {25,    0.0f,     0.0f,      36.0f,    0.0f,            0.0f,             0.0f,             5000.0f, CITY_ALL & ~(flight_objects(1, 2) | flight_object(5))},
    {10,    0.0f,     0.0f,      30.0f,    0.0f,            path_pi(1, 20),   0.0f,             5000.0f, CITY_ALL & ~(flight_objects(1, 2) | flight_object(6))},
    {10,    -51.0f,   -30.0f,    0.0f,     0.0f,            0.0f,             path_pi(1, 40),   5000.0f, CITY_ALL & ~(flight_objects(1, 2) | flight_object(6))},
    {10,    -51.0f,   -15.0f,    -3.0f,    0.0f,            0.0f,             path_pi(1, 40),   5000.0f, CITY_ALL & ~(flight_object(1) | flight_object(6))},
    {12,    0.0f,     37.5f,     0.0f,     0.0f,            0.0f,             path_pi(1, 64),   5000.0f, CITY_ALL & ~(flight_object(1) | flight_object(4) | flight_object(6))},
    {15,    13.3333f, 33.3333f,  -4.0f,    0.0f,            0.0f,             path_pi(1, 60),   5000.0f, flight_object(2)},
    {7,     28.57f,   28.57f,    -4.286f,  0.0f,            0.0f,             path_pi(1, 70),   5000.0f, flight_object(2)},
    {7,     42.857f,  14.2857f,  -7.143f,  0.0f,            0.0f,             path_pi(1, 70),   5000.0f, CITY_ALL & ~(flight_object(0) | flight_object(3) | flight_object(6))},
    {12,    37.5f,    6.25f,     -5.0f,    0.0f,            0.0f,             path_pi(1, 70),   5000.0f, CITY_ALL & ~(flight_object(0) | flight_object(3) | flight_object(6))},
    {15,    40.0f,    -26.6666f, -5.333f,  0.0f,            0.0f,             path_pi(1, 600),  5000.0f, CITY_ALL & ~(flight_object(0) | flight_object(3) | flight_object(6))},
    {7,     21.429f,  -42.857f,  -5.714f,  0.0f,            0.0f,             0.0f,             5000.0f, CITY_ALL & ~(flight_object(0) | flight_object(3) | flight_object(6))},
    {10,    22.0f,    -36.0f,    -3.8f,    0.0f,            0.0f,             0.0f,             5000.0f, CITY_ALL & ~(flight_object(0) | flight_object(3) | flight_object(6))},
    {10,    0.0f,     0.0f,      0.0f,     0.0f,            path_pi(-1, 20),  path_pi(1, 15),   5000.0f, CITY_ALL & ~(flight_object(2))},
    {10,    30.0f,    18.5f,     30.0f,    0.0f,            path_pi(1, 40),   0.0f,             5000.0f, CITY_ALL & ~(flight_object(2) | flight_objects(5, 6))},
    {10,    0.0f,     0.0f,      30.0f,    0.0f,            path_pi(1, 40),   0.0f,             5000.0f, CITY_ALL & ~(flight_object(2) | flight_objects(5, 6))},
    {10,    -30.0f,   0.0f,      30.0f,    0.0f,            0.0f,             0.0f,             5000.0f, CITY_ALL & ~(flight_object(2) | flight_objects(5, 6))},
    {15,    -40.0f,   0.0f,      0.0f,     0.0f,            0.0f,             0.0f,             5000.0f, CITY_ALL & ~(flight_object(2) | flight_objects(5, 6))},
    {7,     -42.86f,  0.0f,      14.3f,    0.0f,            path_pi(1, 98),   0.0f,             5000.0f, CITY_ALL & ~(flight_object(2) | flight_objects(5, 6))},
    {15,    -40.0f,   0.0f,      0.0f,     0.0f,            path_pi(1, 105),  0.0f,             5000.0f, CITY_ALL & ~(flight_object(2) | flight_object(6))},
    {15,    -40.0f,   0.0f,      -13.3333f, 0.0f,           path_pi(1, 105),  0.0f,             5000.0f, CITY_ALL & ~(flight_object(2) | flight_object(6))},
    {15,    -40.0f,   0.0f,      -26.6666f, 0.0f,           path_pi(2, 105),  0.0f,             5000.0f, CITY_ALL & ~(flight_object(2) | flight_object(6))},
    {15,    0.0f,     0.0f,      -40.0f,   0.0f,            path_pi(1, 45),   0.0f,             5000.0f, CITY_ALL & ~(flight_object(2))},
    {15,    46.6666f, 0.0f,      0.0f,     0.0f,            0.0f,             0.0f,             5000.0f, CITY_ALL & ~(flight_object(2))},
    {7,     42.85f,   0.0f,      0.0f,     0.0f,            0.0f,             0.0f,             5000.0f, CITY_ALL & ~(flight_object(2))},
    {10,    36.0f,    -12.0f,    0.0f,     0.0f,            0.0f,             0.0f,             5000.0f, CITY_ALL & ~(flight_object(2))},
    {5,     36.0f,    0.0f,      0.0f,     0.0f,            0.0f,             0.0f,             5000.0f, CITY_ALL & ~(flight_object(2))},
    {20,    0.0f,     0.0f,      0.0f,     0.0f,            path_pi(1, 40),   0.0f,             5000.0f, CITY_ALL & ~(flight_object(2))},
    {1500,  0.0f,     0.0f,      0.0f,     0.0f,            0.0f,             0.0f,             5000.0f, CITY_ALL},
};
// clang-format on
