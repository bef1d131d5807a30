// What the city and land flights share: the loading of a world's textures and objects, and the
// run along the camera path (flight_path.h), drawing the objects its current row names.
#pragma once

#include "engine3d/object.h"
#include "flightpaths/flight_path.h"
#include "gfx2d/image.h"

#include <cstdint>

// How a world's objects are placed at load time: scaled, rotated, then moved.
struct FlightPlacement {
    float scale;
    float ax, ay, az;
    float tx, ty, tz;
};

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
    int32_t frame_ms;
    bool view_normals;
    int turning_object;
    float turn; // radians per frame
};

// The flight through the loaded world, one path step per frame, until its time is up:
// the objects the current row names are clipped into the render list, projected, sorted and
// drawn perspective-textured. The frame is never cleared: the world covers it.
void flight_run(Image* frame, const FlightWorld& world, const FlightRun& run);
