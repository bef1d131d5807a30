// The flights' camera paths: rows of steps that move the camera once per frame. Kept apart
// from the scenes so that the worlds' generator can replay a flight exactly as it runs.
#pragma once

#include <cstdint>

// One row of a camera path: for `frames` frames the deltas are added to the camera's position
// and angles once per frame; far is the far distance and mask names the objects drawn (bit i
// for object i; objects from 31 on all hang on bit 31).
struct CameraStep {
    int32_t frames;
    float dx, dy, dz, dax, day, daz;
    float far;
    uint32_t mask;
};

struct FlightCamera {
    float px, py, pz; // position, in world units divided by the camera's scale
    float ax, ay, az; // angles, radians
    int32_t row, step;
};

// The rows' lists of objects, written the way the paths name them.
constexpr uint32_t flight_objects(int first, int last)
{
    uint32_t m = 0;
    for (int i = first; i <= last; i++) m |= 1u << (i < 31 ? i : 31);
    return m;
}
constexpr uint32_t flight_object(int i)
{
    return flight_objects(i, i);
}

// One frame's step: adds the current row's deltas and counts the step; the row it returns
// (mask and far) is the one the step belonged to. Past the last row the last one holds.
inline const CameraStep& flight_camera_advance(FlightCamera& camera, const CameraStep* path,
                                               int rows)
{
    if (camera.row >= rows) camera.row = rows - 1;
    const CameraStep& row = path[camera.row];
    camera.px += row.dx, camera.py += row.dy, camera.pz += row.dz;
    camera.ax += row.dax, camera.ay += row.day, camera.az += row.daz;
    if (++camera.step == row.frames) {
        camera.step = 0;
        camera.row++;
    }
    return row;
}
