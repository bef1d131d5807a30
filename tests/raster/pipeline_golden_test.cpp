// The whole 3D pipeline on objects made here: a textured floor that reaches through the near
// plane, a subdivided cube and a sphere go through the camera, transformation, render
// list, projection and every drawing mode into a 320x240 frame. Each frame's hash guards the
// look; the frames are written as PNGs beside the test so a person can look at them.
#include "capture/capture.h"
#include "engine3d/draw.h"
#include "engine3d/pipeline.h"
#include "gfx2d/image.h"
#include "gfx2d/palette.h"
#include "platform/show.h"
#include "raster/target.h"
#include "tests/engine3d/object_holder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

struct ImageDeleter {
    void operator()(Image* i) const { image_destroy(&i); }
};
using ImagePtr = std::unique_ptr<Image, ImageDeleter>;

ImagePtr make_image(uint32_t w, uint32_t h)
{
    Image* img = nullptr;
    EXPECT_EQ(image_create(&img, w, h), 0);
    return ImagePtr(img);
}

// Four ramps of 64 colours from black up: grey, orange, teal, violet - so that the shade
// table finds darker and brighter versions of every colour.
Palette make_palette()
{
    const float base[4][3] = {{255, 255, 255}, {255, 150, 40}, {60, 230, 200}, {170, 90, 255}};
    Palette p{};
    for (int i = 0; i < 256; i++) {
        const float t = float(i % 64 + 1) / 64.0f;
        for (int c = 0; c < 3; c++) p[3 * i + c] = uint8_t(std::min(255.0f, base[i / 64][c] * t));
    }
    return p;
}

// A checkerboard of two ramps with a dark border, 64x64.
ImagePtr make_texture()
{
    ImagePtr t = make_image(64, 64);
    for (int y = 0; y < 64; y++)
        for (int x = 0; x < 64; x++) {
            const bool border = x < 2 || y < 2 || x > 61 || y > 61;
            const bool check = ((x >> 3) ^ (y >> 3)) & 1;
            t->pixels[y * 64 + x] = uint8_t(border  ? 20
                                            : check ? 96 + (x + y) / 8
                                                    : 160 + (x ^ y) / 4);
        }
    return t;
}

// A cube of side 2 centred on the origin, each side cut into n x n squares of two triangles,
// wound so that the outside faces the viewer; texture coordinates span each side once.
ObjectPtr make_cube(int n)
{
    const int per_side = (n + 1) * (n + 1);
    ObjectPtr o = make_object(6 * per_side, 6 * n * n * 2);
    int f = 0;
    for (int side = 0; side < 6; side++) {
        const int axis = side / 2;
        const float sign = side % 2 ? 1.0f : -1.0f;
        for (int j = 0; j <= n; j++)
            for (int i = 0; i <= n; i++) {
                float p[3];
                const float a = -1 + 2.0f * i / n, b = -1 + 2.0f * j / n;
                p[axis] = sign;
                p[(axis + 1) % 3] = a * sign;
                p[(axis + 2) % 3] = b;
                Vertex3D& v = o->vertices[side * per_side + j * (n + 1) + i];
                v = Vertex3D{};
                v.position = {p[0], p[1], p[2], 0};
            }
        for (int j = 0; j < n; j++)
            for (int i = 0; i < n; i++) {
                const int v00 = side * per_side + j * (n + 1) + i, v10 = v00 + 1;
                const int v01 = v00 + n + 1, v11 = v01 + 1;
                const int u0 = 64 * i / n, u1 = 64 * (i + 1) / n;
                const int w0 = 64 * j / n, w1 = 64 * (j + 1) / n;
                Face3D& a = o->faces[f++];
                a = Face3D{};
                a.vertex0 = v00, a.vertex1 = v01, a.vertex2 = v10;
                a.uv = {u0, w0, u0, w1, u1, w0};
                a.colour = uint8_t(64 * (side % 3 + 1) + 44);
                Face3D& b = o->faces[f++];
                b = Face3D{};
                b.vertex0 = v10, b.vertex1 = v01, b.vertex2 = v11;
                b.uv = {u1, w0, u0, w1, u1, w1};
                b.colour = uint8_t(64 * (side % 3 + 1) + 44);
            }
    }
    object_compute_normals(o.get());
    return o;
}

// A unit sphere of latitude-longitude bands.
ObjectPtr make_sphere(int rings, int segments)
{
    ObjectPtr o = make_object((rings + 1) * (segments + 1), rings * segments * 2);
    for (int r = 0; r <= rings; r++)
        for (int s = 0; s <= segments; s++) {
            const float th = 3.14159265f * r / rings, ph = 6.2831853f * s / segments;
            Vertex3D& v = o->vertices[r * (segments + 1) + s];
            v = Vertex3D{};
            v.position = {std::sin(th) * std::cos(ph), -std::cos(th), std::sin(th) * std::sin(ph),
                          0};
        }
    int f = 0;
    for (int r = 0; r < rings; r++)
        for (int s = 0; s < segments; s++) {
            const int a = r * (segments + 1) + s, b = a + 1, c = a + segments + 1, d = c + 1;
            const int tris[2][3] = {{a, c, b}, {b, c, d}};
            for (const auto& t : tris) {
                Face3D& face = o->faces[f++];
                face = Face3D{};
                face.vertex0 = t[0], face.vertex1 = t[1], face.vertex2 = t[2];
                face.colour = uint8_t(224 + (r * 7 + s * 3) % 32);
            }
        }
    object_compute_normals(o.get());
    o->face_count = f;
    return o;
}

// A floor of n x n squares in the plane y = 0 from -1 to 1 in x and z, seen from above; every
// square spans the texture once.
ObjectPtr make_floor(int n)
{
    ObjectPtr o = make_object((n + 1) * (n + 1), n * n * 2);
    for (int j = 0; j <= n; j++)
        for (int i = 0; i <= n; i++) {
            Vertex3D& v = o->vertices[j * (n + 1) + i];
            v = Vertex3D{};
            v.position = {-1 + 2.0f * i / n, 0, -1 + 2.0f * j / n, 0};
        }
    int f = 0;
    for (int j = 0; j < n; j++)
        for (int i = 0; i < n; i++) {
            const int a = j * (n + 1) + i, b = a + 1, c = a + n + 1, d = c + 1;
            const int tris[2][3] = {{a, b, c}, {b, d, c}};
            const TextureCoords uv[2] = {{0, 0, 64, 0, 0, 64}, {64, 0, 64, 64, 0, 64}};
            for (int k = 0; k < 2; k++) {
                Face3D& face = o->faces[f++];
                face = Face3D{};
                face.vertex0 = tris[k][0], face.vertex1 = tris[k][1], face.vertex2 = tris[k][2];
                face.uv = uv[k];
                face.colour = uint8_t((i + j) % 2 ? 40 : 170);
            }
        }
    object_compute_normals(o.get());
    return o;
}

// Light levels 4..63 from the view-space normals: the light comes from above left, behind
// the viewer.
void light_object(Object3D* o)
{
    const float lx = -0.4f, ly = -0.6f, lz = -0.69f;
    auto level = [&](const Vec4& n) {
        const float d = n.x * lx + n.y * ly + n.z * lz;
        return uint8_t(std::clamp(int(34 + 29 * d), 4, 63));
    };
    for (int i = 0; i < o->vertex_count; i++)
        o->vertices[i].light = level(o->vertices[i].transformed_normal);
    for (int i = 0; i < o->face_count; i++)
        o->faces[i].light = level(o->faces[i].transformed_normal);
}

struct Scene {
    ImagePtr frame = make_image(320, 240);
    ImagePtr texture = make_texture();
    Palette palette = make_palette();
    ShadeTable table;
    ObjectPtr floor = make_floor(8);
    ObjectPtr cube = make_cube(3);
    ObjectPtr sphere = make_sphere(12, 20);

    Scene()
    {
        Image* list[1] = {texture.get()};
        object_planar_texture(sphere.get(), list, 0, 2.0f);
        shade_table_build(palette.data(), table.data());
        set_render_target(frame->pixels, 320, 240);
    }
    ~Scene() { set_render_target(nullptr, 0, 0); }

    // One frame's pipeline up to the projected render list.
    Object3D* build_frame()
    {
        image_clear(frame.get(), 0);
        Matrix4 view, rotation;
        camera_build_view(0, -60, 0, 1, 1, 1, 0.18f, -0.1f, 0.0f, view, rotation);
        render_list_reset();
        // A floor that reaches from behind the viewer far ahead: cut by the near plane, and
        // its nearest squares project far beyond the screen's sides.
        place(floor.get(), 1000, 0, 0, 0, 0, 0, 900);
        place(cube.get(), 60, 0.5f, 0.7f, 0.2f, -70, -90, 420);
        place(sphere.get(), 70, 0.3f, 0.0f, 0.0f, 110, -75, 560);
        for (Object3D* o : {floor.get(), cube.get(), sphere.get()}) add(o, view);
        Object3D* list = render_list_get();
        render_list_project(list, 400.0f);
        return list;
    }
    // Model matrix: scale, then rotate, then move.
    static void place(Object3D* o, float size, float ax, float ay, float az, float x, float y,
                      float z)
    {
        Matrix4 r, s, t, rs;
        matrix_rotate(r, ax, ay, az);
        matrix_scale(s, size, size, size);
        matrix_multiply(s, r, rs);
        matrix_translate(t, x, y, z);
        matrix_multiply(rs, t, o->matrix);
    }
    void add(Object3D* o, const Matrix4& view)
    {
        object_transform(o, view,
                         TRANSFORM_POSITIONS | TRANSFORM_FACE_NORMALS | TRANSFORM_VERTEX_NORMALS);
        // The model scale is 70-1000: bring the normals back to unit length for lighting and
        // the environment map.
        for (int i = 0; i < o->vertex_count; i++) normalise(o->vertices[i].transformed_normal);
        for (int i = 0; i < o->face_count; i++) normalise(o->faces[i].transformed_normal);
        light_object(o);
        render_list_add(o, 80.0f, 5000.0f, 400.0f, 160, 120);
    }
    static void normalise(Vec4& n)
    {
        const float l = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
        if (l > 0) n.x /= l, n.y /= l, n.z /= l;
    }

    std::vector<uint8_t> rgb() const
    {
        std::vector<uint8_t> out(320 * 240 * 3);
        for (int i = 0; i < 320 * 240; i++)
            for (int c = 0; c < 3; c++) out[3 * i + c] = palette[3 * frame->pixels[i] + c];
        return out;
    }
};

struct Mode {
    const char* name;
    uint64_t hash;
    std::function<void(Scene&, Object3D*)> draw;
};

TEST(PipelineGolden, EveryShadingMode)
{
    Scene sc;
    Image* textures[1] = {sc.texture.get()};
    Image* f = sc.frame.get();
    const ShadeTable* tb = &sc.table;
    const Mode modes[] = {
        {"wireframe", 0xf1606033f0ca246bull,
         [&](Scene&, Object3D* l) { draw_object_wireframe(f, l, 160, 120, 1, 0); }},
        {"flat", 0x87fb9e3e4a17ae4bull,
         [&](Scene&, Object3D* l) { draw_object_flat(f, l, 160, 120, 1); }},
        {"flat-shaded", 0x6694c768274deb57ull,
         [&](Scene&, Object3D* l) { draw_object_flat_shaded(f, l, 160, 120, 1, tb); }},
        {"gouraud-shaded", 0x6290cd7e1556cd84ull,
         [&](Scene&, Object3D* l) { draw_object_gouraud_shaded(f, l, 160, 120, 1, tb); }},
        {"perspective", 0x2831c79c827195e4ull,
         [&](Scene&, Object3D* l) { draw_object_perspective(f, l, 160, 120, 1, textures); }},
        {"perspective-shaded", 0x5ede896ae5826d17ull,
         [&](Scene&, Object3D* l) {
             draw_object_perspective_shaded(f, l, 160, 120, 1, textures, tb);
         }},
        {"envmap", 0xbd2ac26754f14015ull,
         [&](Scene&, Object3D* l) { draw_object_envmap(f, l, 160, 120, 1, textures); }},
        {"envmap-shaded", 0xa23de012a44d45e0ull,
         [&](Scene&, Object3D* l) { draw_object_envmap_shaded(f, l, 160, 120, 1, textures, tb); }},
        {"flat-lit", 0xf8d9039c4630adacull,
         [&](Scene&, Object3D* l) { draw_object_flat_lit(f, l, 160, 120, 1); }},
        {"gouraud-ramp", 0x580ca78b6187bcc3ull,
         [&](Scene&, Object3D* l) { draw_object_gouraud_ramp(f, l, 160, 120, 1); }},
        {"textured", 0xda9ffca061a3e440ull,
         [&](Scene&, Object3D* l) { draw_object_textured(f, l, 160, 120, 1, textures); }},
        {"textured-shaded", 0xee823c57a1933b87ull,
         [&](Scene&, Object3D* l) {
             draw_object_textured_shaded(f, l, 160, 120, 1, textures, tb);
         }},
    };
    for (const Mode& m : modes) {
        Object3D* list = sc.build_frame();
        m.draw(sc, list);
        const std::vector<uint8_t> rgb = sc.rgb();
        const std::string png = std::string("pipeline-") + m.name + ".png";
        EXPECT_TRUE(capture_write_png(png.c_str(), rgb.data(), 320, 240)) << png;
        const uint64_t h = demo_frame_hash(rgb.data(), rgb.size() / 3, 3);
        char got[32];
        std::snprintf(got, sizeof got, "0x%016llxull", static_cast<unsigned long long>(h));
        EXPECT_EQ(h, m.hash) << m.name << " now hashes to " << got << "; look at " << png;
    }
}

// The floor reaches through the near plane: the render list holds cut faces.
TEST(PipelineGolden, SceneExercisesTheNearClip)
{
    Scene sc;
    const int64_t dropped = render_list_dropped_faces();
    Object3D* list = sc.build_frame();
    int cut = 0;
    for (int i = 0; i < list->vertex_count; i++) cut += list->vertices[i].transformed.z == 80.0f;
    EXPECT_GT(cut, 0);
    EXPECT_EQ(render_list_dropped_faces(), dropped);
}

} // namespace
