#include "engine3d/draw.h"

#include "engine3d/object.h"
#include "raster/fixed.h"
#include "raster/sort.h"
#include "raster/triangle.h"

#include <algorithm>
#include <cmath>

namespace {

struct ProjectedVertex {
    int32_t x, y, depth, shade;
};

ProjectedVertex projected[DRAW_MAX_VERTICES];
int64_t dropped_faces;

// What a vertex's shade slot carries.
enum class Shade { none, light, ramp };

// Truncation toward zero, held to a range whose sums and differences stay in 32 bits: a
// vertex far off screen is cut by the fillers' guard box anyway.
int32_t to_int(float v)
{
    constexpr float limit = float(1 << 29);
    if (!(v > -limit)) return v != v ? 0 : -(1 << 29); // NaN gives 0
    return v < limit ? int32_t(v) : (1 << 29);
}

// The shade table has 64 rows: light levels beyond the last one stay on it.
int32_t light_level(uint8_t light)
{
    return std::min<int32_t>(light, SHADE_LEVELS - 1);
}

int32_t project_vertices(const Object3D* object, int32_t cx, int32_t cy, Shade shade)
{
    const int32_t n = std::clamp(object->vertex_count, 0, DRAW_MAX_VERTICES);
    for (int32_t i = 0; i < n; i++) {
        const Vertex3D& v = object->vertices[i];
        ProjectedVertex& p = projected[i];
        p.x = cx + to_int(v.transformed.x);
        p.y = cy + to_int(v.transformed.y);
        p.depth = to_int(v.transformed.z);
        p.shade = shade == Shade::light  ? light_level(v.light)
                  : shade == Shade::ramp ? int32_t(v.light) * 4
                                         : 0;
    }
    return n;
}

// Fills the sort buffer in stored order and sorts it far to near when asked.
int32_t collect_faces(Object3D* object, int32_t vertices, int sort)
{
    const int32_t n = std::clamp(object->face_count, 0, DRAW_MAX_FACES);
    for (int32_t i = 0; i < n; i++) {
        Face3D& f = object->faces[i];
        DepthSortEntry& e = object->sort_buffer[i];
        e.face = &f;
        if (sort != 1) continue;
        uint32_t sum = 0;
        if (object_face_valid(f, vertices))
            sum = uint32_t(projected[f.vertex0].depth) + uint32_t(projected[f.vertex1].depth) +
                  uint32_t(projected[f.vertex2].depth);
        e.key = int32_t(0x8000u - sum); // the farthest face gets the smallest key
    }
    if (sort == 1) sort_faces_by_depth(object->sort_buffer, n);
    return n;
}

// The four steps every mode shares; fill(face, triangle, attributes) draws one face.
template <class Fill>
void draw_faces(Object3D* object, int32_t cx, int32_t cy, int sort, Shade shade,
                bool back_faces_too, Fill&& fill)
{
    const int32_t vertices = project_vertices(object, cx, cy, shade);
    const int32_t faces = collect_faces(object, vertices, sort);
    dropped_faces += std::max(object->face_count - faces, 0);
    for (int32_t i = 0; i < faces; i++) {
        const Face3D& f = *object->sort_buffer[i].face;
        if (f.visible == 0 && !back_faces_too) continue;
        if (!object_face_valid(f, vertices)) {
            // A face the object has, on vertices past the limit (broken faces are counted
            // where they are found).
            if (object_face_valid(f, object->vertex_count)) dropped_faces++;
            continue;
        }
        const ProjectedVertex& a = projected[f.vertex0];
        const ProjectedVertex& b = projected[f.vertex1];
        const ProjectedVertex& c = projected[f.vertex2];
        const ScreenTriangle tri{a.x, a.y, b.x, b.y, c.x, c.y};
        const VertexAttributes attr{a.shade, a.depth, b.shade, b.depth, c.shade, c.depth};
        fill(f, tri, attr);
    }
}

// The fillers read size x size texels with the width as the size: a texture shorter than
// that is left out.
const Image* face_texture(Image* const* textures, const Face3D& f)
{
    const Image* t = textures[f.texture];
    return t != nullptr && t->pixels != nullptr && t->height >= t->width ? t : nullptr;
}

// Environment mapping: the view-space normal's x and y, from -1..1, span the texture once.
TextureCoords envmap_coords(const Object3D* object, const Face3D& f, const Image* texture)
{
    const int32_t hw = int32_t(texture->width >> 1), hh = int32_t(texture->height >> 1);
    auto u = [&](int32_t i) { return to_int(object->vertices[i].transformed_normal.x * hw) + hw; };
    auto v = [&](int32_t i) { return to_int(object->vertices[i].transformed_normal.y * hh) + hh; };
    return {u(f.vertex0), v(f.vertex0), u(f.vertex1), v(f.vertex1), u(f.vertex2), v(f.vertex2)};
}

} // namespace

int64_t draw_dropped_faces()
{
    return dropped_faces;
}

void draw_object_wireframe(Image* target, Object3D* object, int32_t cx, int32_t cy, int sort,
                           int visible_only)
{
    draw_faces(object, cx, cy, sort, Shade::none, visible_only == 0,
               [&](const Face3D& f, const ScreenTriangle& t, const VertexAttributes&) {
                   image_triangle_outline(target, t.x0, t.y0, t.x1, t.y1, t.x2, t.y2, f.colour);
               });
}

void draw_object_flat(Image*, Object3D* object, int32_t cx, int32_t cy, int sort)
{
    draw_faces(object, cx, cy, sort, Shade::none, false,
               [](const Face3D& f, const ScreenTriangle& t, const VertexAttributes&) {
                   fill_flat_triangle(&t, f.colour);
               });
}

void draw_object_flat_shaded(Image*, Object3D* object, int32_t cx, int32_t cy, int sort,
                             const ShadeTable* table)
{
    draw_faces(object, cx, cy, sort, Shade::none, false,
               [&](const Face3D& f, const ScreenTriangle& t, const VertexAttributes&) {
                   fill_flat_triangle(&t, (*table)[f.colour + light_level(f.light) * 256]);
               });
}

void draw_object_gouraud_shaded(Image*, Object3D* object, int32_t cx, int32_t cy, int sort,
                                const ShadeTable* table)
{
    draw_faces(object, cx, cy, sort, Shade::light, false,
               [&](const Face3D& f, const ScreenTriangle& t, const VertexAttributes& a) {
                   fill_gouraud_shaded_triangle(&t, &a, f.colour, table);
               });
}

void draw_object_perspective(Image*, Object3D* object, int32_t cx, int32_t cy, int sort,
                             Image* const* textures)
{
    draw_faces(object, cx, cy, sort, Shade::none, false,
               [&](const Face3D& f, const ScreenTriangle& t, const VertexAttributes& a) {
                   if (const Image* tex = face_texture(textures, f))
                       fill_perspective_textured_triangle(tex->pixels, int32_t(tex->width), &t,
                                                          &f.uv, &a);
               });
}

void draw_object_perspective_shaded(Image*, Object3D* object, int32_t cx, int32_t cy, int sort,
                                    Image* const* textures, const ShadeTable* table)
{
    draw_faces(object, cx, cy, sort, Shade::light, false,
               [&](const Face3D& f, const ScreenTriangle& t, const VertexAttributes& a) {
                   if (const Image* tex = face_texture(textures, f))
                       fill_perspective_textured_shaded_triangle(tex->pixels, int32_t(tex->width),
                                                                 &t, &f.uv, &a, table);
               });
}

void draw_object_envmap(Image*, Object3D* object, int32_t cx, int32_t cy, int sort,
                        Image* const* textures)
{
    draw_faces(object, cx, cy, sort, Shade::none, false,
               [&](const Face3D& f, const ScreenTriangle& t, const VertexAttributes&) {
                   if (const Image* tex = face_texture(textures, f)) {
                       const TextureCoords uv = envmap_coords(object, f, tex);
                       fill_affine_textured_triangle(tex->pixels, int32_t(tex->width), &t, &uv);
                   }
               });
}

void draw_object_envmap_shaded(Image*, Object3D* object, int32_t cx, int32_t cy, int sort,
                               Image* const* textures, const ShadeTable* table)
{
    draw_faces(object, cx, cy, sort, Shade::light, false,
               [&](const Face3D& f, const ScreenTriangle& t, const VertexAttributes& a) {
                   if (const Image* tex = face_texture(textures, f)) {
                       const TextureCoords uv = envmap_coords(object, f, tex);
                       fill_affine_textured_shaded_triangle(tex->pixels, int32_t(tex->width), &t,
                                                            &uv, &a, table);
                   }
               });
}

void draw_object_flat_lit(Image*, Object3D* object, int32_t cx, int32_t cy, int sort)
{
    draw_faces(object, cx, cy, sort, Shade::none, false,
               [](const Face3D& f, const ScreenTriangle& t, const VertexAttributes&) {
                   fill_flat_triangle(&t, uint8_t(f.light * 4));
               });
}

void draw_object_gouraud_ramp(Image*, Object3D* object, int32_t cx, int32_t cy, int sort)
{
    draw_faces(object, cx, cy, sort, Shade::ramp, false,
               [](const Face3D&, const ScreenTriangle& t, const VertexAttributes& a) {
                   fill_gouraud_ramp_triangle(&t, &a);
               });
}

void draw_object_textured(Image*, Object3D* object, int32_t cx, int32_t cy, int sort,
                          Image* const* textures)
{
    draw_faces(object, cx, cy, sort, Shade::none, false,
               [&](const Face3D& f, const ScreenTriangle& t, const VertexAttributes&) {
                   if (const Image* tex = face_texture(textures, f))
                       fill_affine_textured_triangle(tex->pixels, int32_t(tex->width), &t, &f.uv);
               });
}

void draw_object_textured_shaded(Image*, Object3D* object, int32_t cx, int32_t cy, int sort,
                                 Image* const* textures, const ShadeTable* table)
{
    draw_faces(object, cx, cy, sort, Shade::light, false,
               [&](const Face3D& f, const ScreenTriangle& t, const VertexAttributes& a) {
                   if (const Image* tex = face_texture(textures, f))
                       fill_affine_textured_shaded_triangle(tex->pixels, int32_t(tex->width), &t,
                                                            &f.uv, &a, table);
               });
}
