#include "scenes3d/land.h"

#include "flightpaths/land_path.h"
#include "scenes3d/flight.h"
#include "timeline/timeline.h"

const char* const land_texture_names[LAND_TEXTURE_COUNT] = {
    "eg",       "fa",     "fenyo", "fenyo2", "fold", "hazelol", "hazhatul",
    "hazoldal", "hegyek", "hird1", "kereg",  "ko1",  "rock1",   "rock4",
    "tegla1",   "teto",   "to",    "ut",     "zold3"};

const char* const land_object_names[LAND_OBJECT_COUNT] = {
    "f1",   "f2",   "f3",   "f4",   "f5",   "f6",   "f7",   "f8",   "ffa0", "ffa1", "ffa2",
    "ffa3", "ffa4", "ffa5", "ffa6", "ffa7", "ffa8", "ffa9", "haz1", "haz2", "haz3", "haz4",
    "ht1",  "k1",   "k2",   "sz1",  "sz2",  "sz3",  "sz4",  "to",   "ut1",  "ut2",  "world"};

namespace {

constexpr int TEXTURE_COUNT = LAND_TEXTURE_COUNT;
const char* const* const texture_names = land_texture_names;
const char* const* const object_names = land_object_names;

constexpr FlightPlacement placement = {10.0f, 0.0f, -1.5707964f, 3.1415927f, 0.0f, 0.0f, 0.0f};

// Along the roads; nothing in the landscape is lit or turns.
constexpr FlightRun land_flight = {
    .path = land_path,
    .rows = LAND_PATH_ROWS,
    .start = {0.0f, -50.0f, -2500.0f, 0.0f, 0.0f, 0.0f, 0, 0},
    .scale_x = 0.4f,
    .scale_y = 0.4f,
    .scale_z = 0.4f,
    .duration = TIMELINE_LAND_TENTHS,
    .frame_ms = TIMELINE_LAND_FRAME_MS,
    .view_normals = false,
    .turning_object = -1,
    .turn = 0.0f,
};

Palette land_palette;
Image* land_textures[TEXTURE_COUNT];
int32_t land_texture_sizes[TEXTURE_COUNT];
Object3D* land_objects[LAND_OBJECT_COUNT];

const FlightWorld land_world = {
    .texture_dir = "3d/land/textu/",
    .texture_names = texture_names,
    .texture_count = TEXTURE_COUNT,
    .object_dir = "3d/land/",
    .object_names = object_names,
    .object_count = LAND_OBJECT_COUNT,
    .placement = placement,
    .palette = land_palette.data(),
    .textures = land_textures,
    .texture_sizes = land_texture_sizes,
    .objects = land_objects,
};

} // namespace

void land_load()
{
    flight_load(land_world);
}

void land_run(Image* frame)
{
    flight_run(frame, land_world, land_flight);
}

void land_free()
{
    flight_free(land_world);
}
