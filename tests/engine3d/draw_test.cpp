// Drawing objects: the depth sort, the order faces are drawn in, which faces are skipped, and
// what each shading mode hands its filler.
#include "engine3d/draw.h"
#include "engine3d/object.h"
#include "raster/sort.h"
#include "tests/engine3d/object_holder.h"
#include "tests/raster/canvas.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

void set_vertex(Object3D* o, int i, float x, float y, float z, uint8_t light = 0)
{
    o->vertices[i].transformed = {x, y, z, 1};
    o->vertices[i].light = light;
}

void set_face(Object3D* o, int i, int a, int b, int c, uint8_t colour, uint8_t visible = 1)
{
    Face3D& f = o->faces[i];
    f.vertex0 = a, f.vertex1 = b, f.vertex2 = c;
    f.colour = colour;
    f.visible = visible;
}

// Two overlapping squares' worth of triangles: face 0 far (depth 300), face 1 near (100).
ObjectPtr two_layers()
{
    ObjectPtr o = make_object(6, 2);
    set_vertex(o.get(), 0, -10, -10, 100), set_vertex(o.get(), 1, 10, -10, 100);
    set_vertex(o.get(), 2, -10, 10, 100);
    set_vertex(o.get(), 3, -10, -10, 300), set_vertex(o.get(), 4, 10, -10, 300);
    set_vertex(o.get(), 5, -10, 10, 300);
    set_face(o.get(), 0, 0, 1, 2, 1); // near
    set_face(o.get(), 1, 3, 4, 5, 2); // far
    return o;
}

TEST(DepthSort, StableAscendingOnTheLowSixteenBits)
{
    Face3D faces[6];
    DepthSortEntry e[6] = {{0x0003, &faces[0]}, {0x10001, &faces[1]},    {0x0002, &faces[2]},
                           {0x0001, &faces[3]}, {0x7fff0003, &faces[4]}, {0x0100, &faces[5]}};
    sort_faces_by_depth(e, 6);
    const int want[6] = {1, 3, 2, 0, 4, 5}; // 0x10001 counts as 1 and stays before face 3
    for (int i = 0; i < 6; i++) EXPECT_EQ(e[i].face, &faces[want[i]]) << i;
}

TEST(DepthSort, NegativeKeysUseTheirLowBits)
{
    Face3D faces[2];
    DepthSortEntry e[2] = {{-1, &faces[0]}, {0x0000fffe, &faces[1]}}; // 0xffff vs 0xfffe
    sort_faces_by_depth(e, 2);
    EXPECT_EQ(e[0].face, &faces[1]);
}

TEST(DrawOrder, SortedFarToNear)
{
    Canvas c(320, 240);
    ObjectPtr o = two_layers();
    draw_object_flat(nullptr, o.get(), 160, 120, 1);
    EXPECT_EQ(c.at(155, 115), 1); // the near face is drawn last
    EXPECT_EQ(o->sort_buffer[0].face, &o->faces[1]);
    EXPECT_EQ(o->sort_buffer[0].key, 0x8000 - 900);
}

TEST(DrawOrder, SortFlagZeroKeepsStoredOrderWhateverTheKeys)
{
    Canvas c(320, 240);
    ObjectPtr o = two_layers();
    draw_object_flat(nullptr, o.get(), 160, 120, 1); // leaves keys of a sorted frame behind
    c.clear();
    draw_object_flat(nullptr, o.get(), 160, 120, 0);
    EXPECT_EQ(c.at(155, 115), 2); // stored order: the far face is drawn last
    EXPECT_EQ(o->sort_buffer[0].face, &o->faces[0]);
}

TEST(DrawOrder, DepthsDifferingAboveSixteenBitsCountAsEqual)
{
    Canvas c(320, 240);
    ObjectPtr o = two_layers();
    for (int i = 3; i < 6; i++)
        o->vertices[i].transformed.z = 100 + 65536.0f / 3 * (i == 3 ? 3 : 0);
    // Depth sums 300 and 300 + 65536: equal low bits, so stored order decides.
    draw_object_flat(nullptr, o.get(), 160, 120, 1);
    EXPECT_EQ(c.at(155, 115), 2);
}

TEST(DrawOrder, InvisibleFacesAreSkippedButOutlinedOnRequest)
{
    Canvas c(320, 240);
    ObjectPtr o = two_layers();
    o->faces[0].visible = o->faces[1].visible = 0;
    draw_object_flat(nullptr, o.get(), 160, 120, 1);
    EXPECT_EQ(c.count(0), 320 * 240);
    EXPECT_EQ(o->sort_buffer[0].face, &o->faces[1]); // still sorted

    Image img{320, 240, c.pixels.data()};
    draw_object_wireframe(&img, o.get(), 160, 120, 1, 1);
    EXPECT_EQ(c.count(0), 320 * 240);
    draw_object_wireframe(&img, o.get(), 160, 120, 1, 0);
    EXPECT_EQ(c.at(150, 110), 1); // the corner of both outlines, the near one last
    EXPECT_EQ(c.at(155, 115), 0); // outlines only
}

TEST(DrawOrder, BrokenIndicesAndHugeObjectsStayInBounds)
{
    Canvas c(320, 240);
    ObjectPtr o = make_object(DRAW_MAX_VERTICES + 5, DRAW_MAX_FACES + 5);
    for (int i = 0; i < DRAW_MAX_VERTICES + 5; i++) set_vertex(o.get(), i, float(i % 50), 0, 100);
    for (int i = 0; i < DRAW_MAX_FACES + 5; i++) set_face(o.get(), i, i, i + 1, i + 2, 3);
    set_face(o.get(), 0, -1, 5, 7, 3);
    set_vertex(o.get(), 1, 1e30f, -1e30f, 1e30f); // would not fit an integer
    draw_object_flat(nullptr, o.get(), 160, 120, 1);
    SUCCEED();
}

TEST(DrawOrder, FacesBeyondTheLimitsAreCounted)
{
    Canvas c(320, 240);
    ObjectPtr o = make_object(DRAW_MAX_VERTICES + 1, DRAW_MAX_FACES + 3);
    set_face(o.get(), 0, 0, 1, DRAW_MAX_VERTICES, 1);     // a vertex the object has, past the limit
    set_face(o.get(), 1, 0, 1, DRAW_MAX_VERTICES + 1, 1); // broken: not the drawing's to count
    const int64_t before = draw_dropped_faces();
    draw_object_flat(nullptr, o.get(), 160, 120, 0);
    EXPECT_EQ(draw_dropped_faces(), before + 3 + 1);
}

TEST(Modes, FlatColours)
{
    Canvas c(320, 240);
    ShadeTable table;
    for (int i = 0; i < SHADE_LEVELS * 256; i++) table[i] = uint8_t(i / 256 + i % 256);
    ObjectPtr o = two_layers();
    o->faces[0].visible = 0;
    o->faces[1].light = 9;
    draw_object_flat_shaded(nullptr, o.get(), 160, 120, 1, &table);
    EXPECT_EQ(c.at(155, 115), 2 + 9);
    o->faces[1].light = 200; // beyond the table: held on its last row
    draw_object_flat_shaded(nullptr, o.get(), 160, 120, 1, &table);
    EXPECT_EQ(c.at(155, 115), 2 + 63);
    o->faces[1].light = 20;
    draw_object_flat_lit(nullptr, o.get(), 160, 120, 1);
    EXPECT_EQ(c.at(155, 115), 80);
}

TEST(Modes, GouraudRampTakesFourTimesTheVertexLight)
{
    Canvas c(320, 240);
    ObjectPtr o = two_layers();
    o->faces[1].visible = 0;
    for (int i = 0; i < 3; i++) o->vertices[i].light = 10;
    draw_object_gouraud_ramp(nullptr, o.get(), 160, 120, 1);
    EXPECT_EQ(c.at(155, 115), 40);
}

TEST(Modes, EnvmapSpansTheTextureByTheNormal)
{
    Canvas c(320, 240);
    std::vector<uint8_t> pixels(64 * 64);
    for (int r = 0; r < 64; r++)
        for (int col = 0; col < 64; col++) pixels[r * 64 + col] = uint8_t(col + 1);
    Image tex{64, 64, pixels.data()};
    Image* list[1] = {&tex};
    ObjectPtr o = two_layers();
    o->faces[1].visible = 0;
    // Normal x -1 at every corner: u = 0. Normal x 1: u = 64, which wraps to column 0.
    for (float nx : {-1.0f, 1.0f}) {
        for (int i = 0; i < 3; i++) o->vertices[i].transformed_normal = {nx, 0, 0, 0};
        c.clear();
        draw_object_envmap(nullptr, o.get(), 160, 120, 1, list);
        EXPECT_EQ(c.at(155, 115), 1) << nx;
    }
    for (int i = 0; i < 3; i++) o->vertices[i].transformed_normal = {0, 0, 0, 0};
    draw_object_envmap(nullptr, o.get(), 160, 120, 1, list);
    EXPECT_EQ(c.at(155, 115), 33); // the middle column
}

// The fillers take a texture's width for its height: one shorter than wide is never read.
TEST(Modes, TexturesShorterThanWideAreRefused)
{
    Canvas c(320, 240);
    std::vector<uint8_t> pixels(64 * 4, 7);
    Image flat{64, 4, pixels.data()};
    Image* list[1] = {&flat};
    ObjectPtr o = two_layers();
    for (int i = 0; i < 2; i++) o->faces[i].uv = {0, 0, 63, 0, 0, 63};
    draw_object_perspective(nullptr, o.get(), 160, 120, 1, list);
    draw_object_envmap(nullptr, o.get(), 160, 120, 1, list);
    draw_object_textured(nullptr, o.get(), 160, 120, 1, list);
    EXPECT_EQ(c.count(7), 0);
}

TEST(Modes, CentreMovesTheObject)
{
    Canvas c(320, 240);
    ObjectPtr o = two_layers();
    draw_object_flat(nullptr, o.get(), 40, 30, 1);
    EXPECT_EQ(c.at(35, 25), 1);
    EXPECT_EQ(c.at(155, 115), 0);
}

} // namespace
