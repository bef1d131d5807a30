#include "scenes3d/city.h"

#include "engine3d/pipeline.h"
#include "flightpaths/city_path.h"
#include "scenes3d/flight.h"
#include "timeline/timeline.h"

namespace {

constexpr int TEXTURE_COUNT = 12;
constexpr const char* texture_names[TEXTURE_COUNT] = {"none",  "ablak-1", "ablak-2", "ablak-3",
                                                      "fal-2", "felho-1", "kovek-1", "ko-1",
                                                      "teto",  "ut-a4",   "fire1",   "plasma"};
constexpr int FIRE_TEXTURE = 10, PLASMA_TEXTURE = 11;

constexpr const char* object_names[CITY_OBJECT_COUNT] = {"hazak",   "pipemove", "cso", "talaj",
                                                         "environ", "bunker",   "hid"};
constexpr int PIPE = 1, TUBE = 2;

constexpr float PI = 3.1415927f;
constexpr FlightPlacement placement = {10.0f, PI, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f};

// From high above the city; the pipe turns by -pi/35 a frame.
constexpr FlightRun city_flight = {
    .path = city_path,
    .rows = CITY_PATH_ROWS,
    .start = CITY_START,
    .scale_x = CITY_SCALE_XY,
    .scale_y = CITY_SCALE_XY,
    .scale_z = CITY_SCALE_Z,
    .duration = TIMELINE_CITY_TENTHS,
    .frame_ms = TIMELINE_CITY_FRAME_MS,
    .view_normals = true,
    .turning_object = PIPE,
    .turn = -0.08975979f, // -pi/35
};

Palette city_palette;
Image* city_textures[TEXTURE_COUNT];
int32_t city_texture_sizes[TEXTURE_COUNT];
Object3D* city_objects[CITY_OBJECT_COUNT];

const FlightWorld city_world = {
    .texture_dir = "3d/city/textu/",
    .texture_names = texture_names,
    .texture_count = TEXTURE_COUNT,
    .object_dir = "3d/city/",
    .object_names = object_names,
    .object_count = CITY_OBJECT_COUNT,
    .placement = placement,
    .palette = city_palette.data(),
    .textures = city_textures,
    .texture_sizes = city_texture_sizes,
    .objects = city_objects,
};

} // namespace

void city_load()
{
    flight_load(city_world);
    // The pipe and the tube are wrapped in moving patterns of their own.
    object_planar_texture(city_objects[PIPE], city_textures, FIRE_TEXTURE, 3.0f);
    object_planar_texture(city_objects[TUBE], city_textures, PLASMA_TEXTURE, 2.0f);
}

void city_run(Image* frame)
{
    flight_run(frame, city_world, city_flight);
}

void city_free()
{
    flight_free(city_world);
}
