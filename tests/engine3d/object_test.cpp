// The object record: lifetime, normals, vertex search, planar texture coordinates and the
// transformation flags.
#include "engine3d/object.h"
#include "engine3d/pipeline.h"
#include "tests/engine3d/object_holder.h"

#include <cmath>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

TEST(Lifetime, CreateSetsCountsAndZeroMatrix)
{
    ObjectPtr o = make_object(5, 3);
    EXPECT_EQ(o->vertex_count, 5);
    EXPECT_EQ(o->face_count, 3);
    for (float e : o->matrix.m) EXPECT_EQ(e, 0.0f);
}

TEST(Lifetime, CreateOverAnExistingRecordReleasesIt)
{
    Object3D* o = nullptr;
    ASSERT_EQ(object_create(&o, 4, 4), 0);
    ASSERT_EQ(object_create(&o, 8, 2), 0); // the first is freed (the sanitizer build checks)
    EXPECT_EQ(o->vertex_count, 8);
    object_destroy(&o);
    EXPECT_EQ(o, nullptr);
    object_destroy(&o); // harmless
}

TEST(Lifetime, EmptyAndFailedCreates)
{
    ObjectPtr empty = make_object(0, 0);
    EXPECT_EQ(empty->vertex_count, 0);
    Object3D* o = nullptr;
    EXPECT_EQ(object_create(&o, -1, 3), -2);
    EXPECT_EQ(o, nullptr);
    EXPECT_EQ(object_create(&o, 3, -1), -3);
    EXPECT_EQ(o, nullptr);
}

TEST(Normals, UnitFaceNormalsAndVertexMeans)
{
    ObjectPtr o = make_object(5, 3);
    const Vec4 p[5] = {{0, 0, 0, 0}, {1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {9, 9, 9, 0}};
    for (int i = 0; i < 5; i++) o->vertices[i].position = p[i];
    o->faces[0].vertex0 = 0, o->faces[0].vertex1 = 1, o->faces[0].vertex2 = 2; // in z = 0
    o->faces[1].vertex0 = 0, o->faces[1].vertex1 = 3, o->faces[1].vertex2 = 1; // in y = 0
    o->faces[2].vertex0 = 1, o->faces[2].vertex1 = 1, o->faces[2].vertex2 = 2; // degenerate
    object_compute_normals(o.get());
    const Vec4 n0 = o->faces[0].normal;
    EXPECT_FLOAT_EQ(n0.x, 0);
    EXPECT_FLOAT_EQ(n0.y, 0);
    EXPECT_FLOAT_EQ(std::fabs(n0.z), 1);
    EXPECT_EQ(n0.w, 0);
    const Vec4 n2 = o->faces[2].normal; // no area: (1, 1, 1), still counted
    EXPECT_FLOAT_EQ(n2.x, 1);
    EXPECT_FLOAT_EQ(n2.y, 1);
    EXPECT_FLOAT_EQ(n2.z, 1);
    const Vec4 v0 = o->vertices[0].normal; // mean of faces 0 and 1
    EXPECT_EQ(v0.w, 2);
    EXPECT_FLOAT_EQ(v0.x, (n0.x + o->faces[1].normal.x) / 2);
    EXPECT_FLOAT_EQ(v0.z, (n0.z + o->faces[1].normal.z) / 2);
    const Vec4 v1 = o->vertices[1].normal; // faces 0, 1 and twice face 2
    EXPECT_EQ(v1.w, 4);
    const Vec4 v4 = o->vertices[4].normal; // used by no face
    EXPECT_EQ(v4.x, 0);
    EXPECT_EQ(v4.y, 0);
    EXPECT_EQ(v4.z, 0);
    EXPECT_EQ(v4.w, 0);
}

TEST(Normals, ViewNormalsFollowTheTransformedPositions)
{
    ObjectPtr o = make_object(3, 1);
    o->vertices[0].transformed = {0, 0, 5, 1};
    o->vertices[1].transformed = {0, 1, 5, 1};
    o->vertices[2].transformed = {1, 0, 5, 1};
    o->faces[0].vertex0 = 0, o->faces[0].vertex1 = 1, o->faces[0].vertex2 = 2;
    object_compute_view_normals(o.get());
    EXPECT_FLOAT_EQ(std::fabs(o->faces[0].transformed_normal.z), 1);
    EXPECT_EQ(o->vertices[2].transformed_normal.w, 1);
}

TEST(FindVertex, StrictlyCloserThanEpsilon)
{
    ObjectPtr empty = make_object(0, 0);
    EXPECT_EQ(object_find_vertex(empty.get(), 0, 0, 0, 1, -1, 8), -1);
    ObjectPtr o = make_object(3, 0);
    o->vertices[0].position = {0, 0, 0, 0};
    o->vertices[1].position = {5, 5, 5, 0};
    o->vertices[2].position = {5, 5, 5.25f, 0};
    EXPECT_EQ(object_find_vertex(o.get(), 5, 5, 5.2f, 0.5f, -1, 8), 1);  // the first match
    EXPECT_EQ(object_find_vertex(o.get(), 5.5f, 5, 5, 0.5f, -1, 8), -1); // exactly epsilon
    EXPECT_EQ(object_find_vertex(o.get(), 5, 5, 5.25f, 0.1f, -1, 8), 2);
}

TEST(PlanarTexture, SpansRepeatTimesTheTexture)
{
    uint8_t px[64 * 64] = {};
    Image tex{64, 64, px};
    Image* list[2] = {nullptr, &tex};
    ObjectPtr o = make_object(4, 2);
    const Vec4 p[4] = {{-1, -1, 0, 0}, {1, -1, 0, 0}, {1, 1, 0, 0}, {-1, 1, 0, 0}};
    for (int i = 0; i < 4; i++) o->vertices[i].position = p[i];
    o->faces[0] = Face3D{};
    o->faces[1] = Face3D{};
    o->faces[0].vertex0 = 0, o->faces[0].vertex1 = 1, o->faces[0].vertex2 = 2;
    o->faces[1].vertex0 = 0, o->faces[1].vertex1 = 2, o->faces[1].vertex2 = 3;
    object_planar_texture(o.get(), list, 1, 2.0f);
    EXPECT_EQ(o->faces[0].texture, 1);
    const TextureCoords& a = o->faces[0].uv;
    EXPECT_EQ(a.u0, 0);
    EXPECT_EQ(a.v0, 0);
    EXPECT_EQ(a.u1, 128);
    EXPECT_EQ(a.v1, 0);
    EXPECT_EQ(a.u2, 128);
    EXPECT_EQ(a.v2, 128);
    EXPECT_EQ(o->faces[1].uv.u2, 0);
    EXPECT_EQ(o->faces[1].uv.v2, 128);
}

TEST(PlanarTexture, FlatObjectGetsZeroInsteadOfDividingByZero)
{
    uint8_t px[16 * 16] = {};
    Image tex{16, 16, px};
    Image* list[1] = {&tex};
    ObjectPtr o = make_object(3, 1);
    for (int i = 0; i < 3; i++) o->vertices[i].position = {float(i), 0, 0, 0};
    o->faces[0] = Face3D{};
    o->faces[0].vertex0 = 0, o->faces[0].vertex1 = 1, o->faces[0].vertex2 = 2;
    object_planar_texture(o.get(), list, 0, 1.0f);
    EXPECT_EQ(o->faces[0].uv.u2, 16);
    EXPECT_EQ(o->faces[0].uv.v2, 0);
}

TEST(Transform, FlagsInOrder)
{
    ObjectPtr o = make_object(1, 1);
    o->vertices[0].position = {1, 2, 3, 0};
    o->vertices[0].normal = {0, 0, 1, 0};
    o->faces[0].normal = {1, 0, 0, 0};
    matrix_translate(o->matrix, 10, 0, 0);
    Matrix4 view;
    matrix_scale(view, 2, 2, 2);
    object_transform(o.get(), view,
                     TRANSFORM_POSITIONS | TRANSFORM_FACE_NORMALS | TRANSFORM_VERTEX_NORMALS);
    const Vec4 t = o->vertices[0].transformed; // model first, then view
    EXPECT_FLOAT_EQ(t.x, 22);
    EXPECT_FLOAT_EQ(t.y, 4);
    EXPECT_FLOAT_EQ(t.z, 6);
    EXPECT_FLOAT_EQ(t.w, 1);
    EXPECT_FLOAT_EQ(o->faces[0].transformed_normal.x, 2); // no translation for directions
    EXPECT_FLOAT_EQ(o->vertices[0].transformed_normal.z, 2);

    object_transform(o.get(), view, TRANSFORM_POSITIONS | BAKE_POSITIONS);
    EXPECT_FLOAT_EQ(o->vertices[0].position.x, 22);
    object_transform(o.get(), view, COPY_POSITIONS | COPY_FACE_NORMALS | COPY_VERTEX_NORMALS);
    EXPECT_FLOAT_EQ(o->vertices[0].transformed.x, 22);
    EXPECT_FLOAT_EQ(o->faces[0].transformed_normal.x, 1);
    EXPECT_FLOAT_EQ(o->vertices[0].transformed_normal.z, 1);
}

} // namespace

namespace {

// A face naming a vertex the object lacks is skipped, and counted, by every stage that
// indexes vertices through faces; the good faces around it are handled as usual.
TEST(BrokenFaces, AreSkippedAndCountedEverywhere)
{
    ObjectPtr o = make_object(3, 3);
    const Vec4 p[3] = {{0, 0, 100, 0}, {10, 0, 100, 0}, {0, 10, 100, 0}};
    for (int i = 0; i < 3; i++) o->vertices[i].position = o->vertices[i].transformed = p[i];
    o->faces[0].vertex0 = 0, o->faces[0].vertex1 = 1, o->faces[0].vertex2 = 2;
    o->faces[1].vertex0 = 0, o->faces[1].vertex1 = 3, o->faces[1].vertex2 = 2; // past the end
    o->faces[2].vertex0 = -1, o->faces[2].vertex1 = 1, o->faces[2].vertex2 = 2;
    std::vector<uint8_t> pixels(16 * 16);
    Image texture{16, 16, pixels.data()};
    Image* textures[1] = {&texture};

    const int64_t before = object_broken_faces();
    object_compute_normals(o.get());
    object_planar_texture(o.get(), textures, 0, 1.0f);
    render_list_reset();
    render_list_add(o.get(), 80, 5000, 400, 160, 120);
    EXPECT_EQ(object_broken_faces() - before, 6);
    EXPECT_EQ(render_list_get()->face_count, 1);
    EXPECT_EQ(o->vertices[0].normal.w, 1.0f); // only the good face counts toward its corners
    EXPECT_EQ(o->faces[0].uv.u1, 16);
}

} // namespace
