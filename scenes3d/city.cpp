#include "scenes3d/city.h"

#include "display/display.h"
#include "driver/clock.h"
#include "engine3d/pipeline.h"
#include "scenes3d/city_path.h"

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

constexpr float CAMERA_SCALE_XY = 0.4f, CAMERA_SCALE_Z = 1.0f;
constexpr int FRAME_MS = 70;
constexpr double DURATION = 280.0; // tenths of a second

Palette city_palette;
Image* city_textures[TEXTURE_COUNT];
int32_t city_texture_sizes[TEXTURE_COUNT];
Object3D* city_objects[CITY_OBJECT_COUNT];

} // namespace

void city_load()
{
    flight_load_textures("3d/city/textu/", texture_names, TEXTURE_COUNT, city_palette.data(),
                         city_textures, city_texture_sizes);
    FlightPlacement placements[CITY_OBJECT_COUNT];
    for (FlightPlacement& p : placements) p = placement;
    flight_load_objects("3d/city/", object_names, CITY_OBJECT_COUNT, placements,
                        city_palette.data(), texture_names, city_texture_sizes, TEXTURE_COUNT,
                        city_objects);
    // The pipe and the tube are wrapped in moving patterns of their own.
    object_planar_texture(city_objects[PIPE], city_textures, FIRE_TEXTURE, 3.0f);
    object_planar_texture(city_objects[TUBE], city_textures, PLASMA_TEXTURE, 2.0f);
}

void city_run(Image* frame)
{
    clock_restart();
    int32_t frame_start = clock_now_ms();
    display_set_palette(city_palette.data());

    Matrix4 pipe_turn;
    matrix_rotate_y(pipe_turn, -0.08975979f); // -pi/35 a frame
    FlightCamera camera = {0.0f, -2000.0f, -2210.0f, 0.3926991f, 0.0f, 0.0f, 0, 0};

    while (clock_elapsed_ms() * 0.01 < DURATION) {
        const CameraStep& row = flight_camera_advance(camera, city_path, CITY_PATH_ROWS);
        Matrix4 view, rotation;
        camera_build_view(camera.px, camera.py, camera.pz, CAMERA_SCALE_XY, CAMERA_SCALE_XY,
                          CAMERA_SCALE_Z, camera.ax, camera.ay, camera.az, view, rotation);

        // Turns pile up on the pipe: about the world's vertical axis, as its placement is baked.
        matrix_multiply(city_objects[PIPE]->matrix, pipe_turn, city_objects[PIPE]->matrix);

        flight_draw(frame, city_objects, CITY_OBJECT_COUNT, row, view, &rotation, city_textures);
        display_present(frame);
        wait_frame(frame_start, FRAME_MS);
        frame_start = clock_now_ms();
    }
}

void city_free()
{
    for (Object3D*& o : city_objects) object_destroy(&o);
    for (Image*& t : city_textures) image_destroy(&t);
}
