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

// A world on disk and the scene's places for it once loaded: textures read from
// texture_dir + name + ".pcx", all into one palette (the last file's stays), their widths into
// texture_sizes; objects from object_dir + name + ".t3d", each placed the same way.
struct FlightWorld {
    const char* texture_dir;
    const char* const* texture_names;
    int texture_count;
    const char* object_dir;
    const char* const* object_names;
    int object_count;
    FlightPlacement placement;
    uint8_t* palette;
    Image** textures;
    int32_t* texture_sizes;
    Object3D** objects;
};

// Reads the textures, then the objects (corners reversed, textures from the list), bakes the
// placement into their positions and computes their normals. A missing or broken file, or a
// texture that is not square, ends the program.
void flight_load(const FlightWorld& world);
void flight_free(const FlightWorld& world);

// How a flight runs: its path from its start, the camera's scale (world units per position
// unit), how long it lasts, whether normals go into view space, and which object turns about
// the world's vertical axis each frame (-1 for none).
struct FlightRun {
    const CameraStep* path;
    int rows;
    FlightCamera start;
    float scale_x, scale_y, scale_z;
    double duration; // tenths of a second
    bool view_normals;
    int turning_object;
    float turn; // radians per frame
};

// The flight through the loaded world, one path step per 70 ms frame, until its time is up:
// the objects the current row names are clipped into the render list, projected, sorted and
// drawn perspective-textured. The frame is never cleared: the world covers it.
void flight_run(Image* frame, const FlightWorld& world, const FlightRun& run);
