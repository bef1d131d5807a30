// What the city and land flights share: a camera that follows a scripted path one step per
// frame, the loading of a world's textures and objects, and the drawing of the objects that
// the path's current row names.
#pragma once

#include "engine3d/object.h"
#include "gfx2d/image.h"

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

// How a world's objects are placed at load time: scaled, rotated, then moved.
struct FlightPlacement {
    float scale;
    float ax, ay, az;
    float tx, ty, tz;
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
const CameraStep& flight_camera_advance(FlightCamera& camera, const CameraStep* path, int rows);

// Reads dir/name.pcx for every name into textures, all with one palette (the last file's
// stays); sizes get the widths. A missing or non-square texture ends the program.
void flight_load_textures(const char* dir, const char* const* names, int count, uint8_t* palette,
                          Image** textures, int32_t* sizes);
// Reads dir/name.t3d for every name (corners reversed, textures from the list), bakes the
// placement into the positions and computes the normals. A broken file ends the program.
void flight_load_objects(const char* dir, const char* const* names, int count,
                         const FlightPlacement* placements, const uint8_t* palette,
                         const char* const* texture_names, const int32_t* texture_sizes,
                         int texture_count, Object3D** objects);

// The frame's 3D pass over the objects the mask names: into view space (with the normals too
// when rotation is given), through the render list, projected and drawn textured.
void flight_draw(Image* frame, Object3D* const* objects, int count, const CameraStep& row,
                 const Matrix4& view, const Matrix4* rotation, Image* const* textures);
