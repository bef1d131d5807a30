#include "scenes3d/flight.h"

#include "engine3d/draw.h"
#include "engine3d/pipeline.h"
#include "engine3d/t3d.h"
#include "gfx2d/pcx.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "platform/exit.h"

#include <string>

namespace {

constexpr float NEAR = 80.0f;
constexpr float FOCAL = 400.0f;

// position = m position, for good.
void flight_bake(Object3D* object, const Matrix4& m)
{
    object_transform(object, m, TRANSFORM_POSITIONS | BAKE_POSITIONS);
}

} // namespace

static void flight_load_textures(const FlightWorld& w)
{
    for (int i = 0; i < w.texture_count; i++) {
        const std::string path = std::string(w.texture_dir) + w.texture_names[i] + ".pcx";
        if (pcx_load_image(path.c_str(), &w.textures[i], w.palette) != PCX_OK)
            demo_fatal("Can't load image %s !\n", path.c_str());
        // The texture fillers take the width for the height as well.
        if (w.textures[i]->width != w.textures[i]->height)
            demo_fatal("Texture %s is not square!\n", path.c_str());
        w.texture_sizes[i] = int32_t(w.textures[i]->width);
    }
}

static void flight_load_objects(const FlightWorld& w)
{
    const FlightPlacement& p = w.placement;
    for (int i = 0; i < w.object_count; i++) {
        const std::string path = std::string(w.object_dir) + w.object_names[i] + ".t3d";
        if (int e = t3d_load(&w.objects[i], path.c_str(), w.palette, 1, w.texture_names,
                             w.texture_sizes, w.texture_count))
            demo_fatal("Can't load 3d file %s ! Error code: %d\n", path.c_str(), e);
        Object3D* o = w.objects[i];
        matrix_scale(o->matrix, 1.0f, 1.0f, 1.0f);
        Matrix4 m;
        matrix_scale(m, p.scale, p.scale, p.scale);
        flight_bake(o, m);
        matrix_rotate(m, p.ax, p.ay, p.az);
        flight_bake(o, m);
        matrix_translate(m, p.tx, p.ty, p.tz);
        flight_bake(o, m);
        object_compute_normals(o);
    }
}

void flight_load(const FlightWorld& world)
{
    flight_load_textures(world);
    flight_load_objects(world);
}

void flight_free(const FlightWorld& world)
{
    for (int i = 0; i < world.object_count; i++) object_destroy(&world.objects[i]);
    for (int i = 0; i < world.texture_count; i++) image_destroy(&world.textures[i]);
}

// The frame's 3D pass over the objects the row names: into view space (with the normals too
// when rotation is given), through the render list, projected and drawn textured.
static void flight_draw(Image* frame, const FlightWorld& w, const CameraStep& row,
                        const Matrix4& view, const Matrix4* rotation)
{
    render_list_reset();
    for (int i = 0; i < w.object_count; i++) {
        if ((row.mask & flight_object(i)) == 0) continue;
        object_transform(w.objects[i], view, TRANSFORM_POSITIONS);
        if (rotation != nullptr)
            object_transform(w.objects[i], *rotation,
                             TRANSFORM_FACE_NORMALS | TRANSFORM_VERTEX_NORMALS);
        render_list_add(w.objects[i], NEAR, row.far, FOCAL, 160, 120);
    }
    Object3D* list = render_list_get();
    render_list_project(list, FOCAL);
    draw_object_perspective(frame, list, 160, 120, 1, w.textures);
}

void flight_run(Image* frame, const FlightWorld& world, const FlightRun& run)
{
    clock_restart();
    int32_t frame_start = clock_now_ms();
    display_set_palette(world.palette);

    Matrix4 turn;
    matrix_rotate_y(turn, run.turn);
    FlightCamera camera = run.start;
    while (clock_elapsed_ms() * 0.01 < run.duration) {
        const CameraStep& row = flight_camera_advance(camera, run.path, run.rows);
        Matrix4 view, rotation;
        camera_build_view(camera.px, camera.py, camera.pz, run.scale_x, run.scale_y, run.scale_z,
                          camera.ax, camera.ay, camera.az, view, rotation);
        // Turns pile up: about the world's vertical axis, as the placement is baked.
        if (run.turning_object >= 0) {
            Object3D* o = world.objects[run.turning_object];
            matrix_multiply(o->matrix, turn, o->matrix);
        }
        flight_draw(frame, world, row, view, run.view_normals ? &rotation : nullptr);
        display_present(frame);
        wait_frame(frame_start, run.frame_ms);
        frame_start = clock_now_ms();
    }
}
