#include "scenes3d/land.h"

#include "display/display.h"
#include "driver/clock.h"
#include "engine3d/pipeline.h"
#include "scenes3d/land_path.h"

namespace {

constexpr int TEXTURE_COUNT = 19;
constexpr const char* texture_names[TEXTURE_COUNT] = {
    "eg",       "fa",     "fenyo", "fenyo2", "fold", "hazelol", "hazhatul",
    "hazoldal", "hegyek", "hird1", "kereg",  "ko1",  "rock1",   "rock4",
    "tegla1",   "teto",   "to",    "ut",     "zold3"};

constexpr const char* object_names[LAND_OBJECT_COUNT] = {
    "f1",   "f2",   "f3",   "f4",   "f5",   "f6",   "f7",   "f8",   "ffa0", "ffa1", "ffa2",
    "ffa3", "ffa4", "ffa5", "ffa6", "ffa7", "ffa8", "ffa9", "haz1", "haz2", "haz3", "haz4",
    "ht1",  "k1",   "k2",   "sz1",  "sz2",  "sz3",  "sz4",  "to",   "ut1",  "ut2",  "world"};

constexpr FlightPlacement placement = {10.0f, 0.0f, -1.5707964f, 3.1415927f, 0.0f, 0.0f, 0.0f};

constexpr float CAMERA_SCALE = 0.4f;
constexpr int FRAME_MS = 70;
constexpr double DURATION = 610.0; // tenths of a second

Palette land_palette;
Image* land_textures[TEXTURE_COUNT];
int32_t land_texture_sizes[TEXTURE_COUNT];
Object3D* land_objects[LAND_OBJECT_COUNT];

} // namespace

void land_load()
{
    flight_load_textures("3d/land/textu/", texture_names, TEXTURE_COUNT, land_palette.data(),
                         land_textures, land_texture_sizes);
    FlightPlacement placements[LAND_OBJECT_COUNT];
    for (FlightPlacement& p : placements) p = placement;
    flight_load_objects("3d/land/", object_names, LAND_OBJECT_COUNT, placements,
                        land_palette.data(), texture_names, land_texture_sizes, TEXTURE_COUNT,
                        land_objects);
}

void land_run(Image* frame)
{
    clock_restart();
    int32_t frame_start = clock_now_ms();
    display_set_palette(land_palette.data());

    FlightCamera camera = {0.0f, -50.0f, -2500.0f, 0.0f, 0.0f, 0.0f, 0, 0};
    while (clock_elapsed_ms() * 0.01 < DURATION) {
        const CameraStep& row = flight_camera_advance(camera, land_path, LAND_PATH_ROWS);
        Matrix4 view, rotation;
        camera_build_view(camera.px, camera.py, camera.pz, CAMERA_SCALE, CAMERA_SCALE, CAMERA_SCALE,
                          camera.ax, camera.ay, camera.az, view, rotation);
        // Nothing in the landscape is lit: the normals stay in object space.
        flight_draw(frame, land_objects, LAND_OBJECT_COUNT, row, view, nullptr, land_textures);
        display_present(frame);
        wait_frame(frame_start, FRAME_MS);
        frame_start = clock_now_ms();
    }
}

void land_free()
{
    for (Object3D*& o : land_objects) object_destroy(&o);
    for (Image*& t : land_textures) image_destroy(&t);
}
