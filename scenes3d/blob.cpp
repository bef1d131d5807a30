#include "scenes3d/blob.h"

#include "engine3d/draw.h"
#include "engine3d/pipeline.h"
#include "gfx2d/pcx.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "platform/exit.h"
#include "platform/show.h"
#include "scenes3d/blob_field.h"
#include "timeline/timeline.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr const char* BACKGROUND_FILE = "grafika/e_3dbl_2.pcx";
constexpr const char* TEXTURE_FILE = "grafika/e_3dbl_3.pcx";
constexpr int FRAME_MS = TIMELINE_BLOB_FRAME_MS;
constexpr int32_t DURATION = TIMELINE_BLOB_TENTHS;
constexpr int32_t FLY_IN_END = TIMELINE_BLOB_FLY_TENTHS; // the fly-out is as long
constexpr float BLOB_SCALE = 17.0f;
static_assert(BLOB_MAX_VERTICES <= DRAW_MAX_VERTICES && BLOB_MAX_FACES <= DRAW_MAX_FACES,
              "the drawing takes the blob whole");

Object3D* blob_object;
Palette blob_palette;
Image* blob_background;
Image* blob_texture;
BlobField blob_field;

void blob_load_image(const char* path, Image** image)
{
    if (pcx_load_image(path, image, blob_palette.data()) != PCX_OK)
        demo_fatal("Can't load image %s !\n", path);
}

// Tenths of a second since the scene began.
int32_t blob_time()
{
    return int32_t(clock_elapsed_ms() * 0.01);
}

} // namespace

void blob_load()
{
    if (object_create(&blob_object, BLOB_MAX_VERTICES, BLOB_MAX_FACES) != 0) {
        std::printf("Cann't allocate memory!\n");
        demo_exit(-1);
    }
    blob_field_start(blob_field);
    blob_load_image(BACKGROUND_FILE, &blob_background);
    blob_load_image(TEXTURE_FILE, &blob_texture);
    // The background is copied whole onto the frame, and the environment map is read as a
    // square.
    if (blob_background->width != FRAME_WIDTH || blob_background->height != FRAME_HEIGHT)
        demo_fatal("Can't load image %s !\n", BACKGROUND_FILE);
    if (blob_texture->width != blob_texture->height)
        demo_fatal("Texture %s is not square!\n", TEXTURE_FILE);
}

void blob_run(Image* frame)
{
    clock_restart();
    int32_t frame_start = clock_now_ms();
    display_set_palette(blob_palette.data());
    matrix_scale(blob_object->matrix, BLOB_SCALE, BLOB_SCALE, BLOB_SCALE);
    Image* const textures[2] = {blob_texture, blob_background};

    Matrix4 view, rotation;
    for (int32_t t = blob_time(); t < DURATION; t = blob_time()) {
        std::memcpy(frame->pixels, blob_background->pixels, size_t(frame->width) * frame->height);
        blob_field_move(blob_field);
        blob_field_sample(blob_field);
        blob_polygonize(blob_field, blob_object, 0);

        // In from 2400 to 400 in five seconds, hold, and back out in the last five. Built from
        // the time alone, so a frame that skips the fly-in's last tenth still holds at 400.
        const int32_t approach = std::min({t, FLY_IN_END, DURATION - t});
        camera_build_view(0.0f, -15.0f, float(2400 - 40 * approach), 0.85f, 0.85f, 1.0f, 0.0f,
                          3.1415927f, 0.0f, view, rotation);
        object_transform(blob_object, view, TRANSFORM_POSITIONS);
        object_compute_view_normals(blob_object);
        render_list_project(blob_object, 400.0f);
        draw_object_envmap(frame, blob_object, 160, 120, 1, textures);

        display_present(frame);
        wait_frame(frame_start, FRAME_MS);
        frame_start = clock_now_ms();
    }
}

void blob_free()
{
    object_destroy(&blob_object);
    image_destroy(&blob_texture);
    image_destroy(&blob_background);
}
