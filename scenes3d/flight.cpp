#include "scenes3d/flight.h"

#include "driver/demo.h"
#include "engine3d/pipeline.h"
#include "engine3d/t3d.h"
#include "gfx2d/pcx.h"
#include "raster/draw.h"

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

const CameraStep& flight_camera_advance(FlightCamera& camera, const CameraStep* path, int rows)
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

void flight_load_textures(const char* dir, const char* const* names, int count, uint8_t* palette,
                          Image** textures, int32_t* sizes)
{
    for (int i = 0; i < count; i++) {
        const std::string path = std::string(dir) + names[i] + ".pcx";
        if (pcx_load_image(path.c_str(), &textures[i], palette) != PCX_OK)
            demo_fatal("Can't load image %s !\n", path.c_str());
        // The texture fillers take the width for the height as well.
        if (textures[i]->width != textures[i]->height)
            demo_fatal("Texture %s is not square!\n", path.c_str());
        sizes[i] = int32_t(textures[i]->width);
    }
}

void flight_load_objects(const char* dir, const char* const* names, int count,
                         const FlightPlacement* placements, const uint8_t* palette,
                         const char* const* texture_names, const int32_t* texture_sizes,
                         int texture_count, Object3D** objects)
{
    for (int i = 0; i < count; i++) {
        const std::string path = std::string(dir) + names[i] + ".t3d";
        if (int e = t3d_load(&objects[i], path.c_str(), palette, 1, texture_names, texture_sizes,
                             texture_count))
            demo_fatal("Can't load 3d file %s ! Error code: %d\n", path.c_str(), e);
        Object3D* o = objects[i];
        const FlightPlacement& p = placements[i];
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

void flight_draw(Image* frame, Object3D* const* objects, int count, const CameraStep& row,
                 const Matrix4& view, const Matrix4* rotation, Image* const* textures)
{
    render_list_reset();
    for (int i = 0; i < count; i++) {
        if ((row.mask & 1u << (i < 31 ? i : 31)) == 0) continue;
        object_transform(objects[i], view, TRANSFORM_POSITIONS);
        if (rotation != nullptr)
            object_transform(objects[i], *rotation,
                             TRANSFORM_FACE_NORMALS | TRANSFORM_VERTEX_NORMALS);
        render_list_add(objects[i], NEAR, row.far, FOCAL, 160, 120);
    }
    Object3D* list = render_list_get();
    render_list_project(list, FOCAL);
    draw_object_perspective(frame, list, 160, 120, 1, textures);
}
