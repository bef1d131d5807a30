// Meshes written as .t3d files come back as they were built, the side given counter-clockwise
// is the side the scenes show, and welding shares corners without moving a face.
#include "content/tools/shapes.h"
#include "engine3d/pipeline.h"
#include "engine3d/t3d.h"
#include "tests/engine3d/object_holder.h"

#include <cmath>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

struct WrittenMesh {
    std::string path = "/tmp/vantor-mesh-" + std::to_string(getpid()) + ".t3d";
    ~WrittenMesh() { unlink(path.c_str()); }
};

ObjectPtr write_and_load(const Mesh& mesh)
{
    static const char* const names[] = {"none", "brick"};
    static const int32_t sizes[] = {16, 64};
    uint8_t palette[768] = {};
    WrittenMesh file;
    EXPECT_TRUE(t3d_write(file.path, mesh));
    Object3D* o = nullptr;
    EXPECT_EQ(t3d_load(&o, file.path.c_str(), palette, 1, names, sizes, 2), T3D_OK);
    return ObjectPtr(o);
}

TEST(MeshFile, RoundTripKeepsCornersCoordinatesAndTextures)
{
    Mesh mesh;
    const int brick = mesh_material(mesh, "brick");
    mesh_quad(mesh, brick, {0, 0, 0}, {1.5, 0, 0}, {1.5, 2, 0}, {0, 2, 0.1}, {0, 0}, {0.5, 0},
              {0.5, 0.999}, {0, 1.25});
    ObjectPtr o = write_and_load(mesh);
    ASSERT_EQ(o->vertex_count, 4);
    ASSERT_EQ(o->face_count, 2);
    EXPECT_EQ(o->vertices[3].position.z, 0.1f);
    const Face3D& f = o->faces[1]; // p0, p2, p3
    EXPECT_EQ(f.vertex0, 0);
    EXPECT_EQ(f.vertex1, 2);
    EXPECT_EQ(f.vertex2, 3);
    EXPECT_EQ(f.texture, 1);
    EXPECT_EQ(f.uv.u1, 32);
    EXPECT_EQ(f.uv.v1, 63);
    EXPECT_EQ(f.uv.v2, 80);
}

// A box seen from in front of its +z side, placed as the city places its objects (scaled by
// 10, turned half round x): the near side shows, the far side does not; a room shows its far
// wall instead.
TEST(MeshFile, TheCounterClockwiseSideIsTheOneShown)
{
    for (bool inward : {false, true}) {
        Mesh mesh;
        const int brick = mesh_material(mesh, "brick");
        mesh_box(mesh, {-1, -1, -1}, {1, 1, 1}, {{-1, -1, -1, -1, brick, -1}}, {}, 1e9, inward);
        mesh_box(mesh, {-1, -1, -1}, {1, 1, 1}, {{-1, -1, -1, -1, -1, brick}}, {}, 1e9, inward);
        ObjectPtr o = write_and_load(mesh);
        ASSERT_EQ(o->face_count, 4);

        matrix_scale(o->matrix, 1, 1, 1);
        Matrix4 m, view, rotation;
        matrix_scale(m, 10, 10, 10);
        object_transform(o.get(), m, TRANSFORM_POSITIONS | BAKE_POSITIONS);
        matrix_rotate(m, 3.1415927f, 0, 0);
        object_transform(o.get(), m, TRANSFORM_POSITIONS | BAKE_POSITIONS);
        // The eye at (0, 0, 5) in the file, looking down -z.
        camera_build_view(0, 0, -50, 1, 1, 1, 0, 0, 0, view, rotation);
        object_transform(o.get(), view, TRANSFORM_POSITIONS);
        render_list_project(o.get(), 400);

        const int shown = inward ? 0 : 1; // faces 0-1: the -z side; 2-3: the +z side
        for (int f = 0; f < 4; f++)
            EXPECT_EQ(o->faces[f].visible, f / 2 == shown ? 1 : 0)
                << (inward ? "room" : "box") << " face " << f;
    }
}

// Two quads side by side share an edge; one shared corner is a hair apart, as rounding leaves
// corners computed two ways. Welding keeps the first of equal corners, moves no face corner
// and leaves every texture coordinate; only the key decides whether the hair counts.
TEST(MeshWeld, SharedCornersBecomeOneAndNoFaceMoves)
{
    const double hair = std::nextafter(1.0, 2.0);
    for (MeshWeldKey key : {MESH_WELD_AS_STORED, MESH_WELD_EXACT}) {
        Mesh mesh;
        const int brick = mesh_material(mesh, "brick");
        mesh_quad(mesh, brick, {0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0}, {1, 0}, {1, 1},
                  {0, 1});
        mesh_quad(mesh, brick, {1, 0, 0}, {2, 0, 0}, {2, 1, 0}, {hair, 1, 0}, {0, 0}, {0.5, 0},
                  {0.5, 0.25}, {0, 0.25});
        const Mesh before = mesh;
        mesh_weld(mesh, key);

        const bool stored = key == MESH_WELD_AS_STORED;
        EXPECT_EQ(mesh.vertices.size(), stored ? 6u : 7u) << key;
        EXPECT_EQ(mesh.vertices[2].x, 1.0) << "the first of equal corners stays";
        ASSERT_EQ(mesh.triangles.size(), before.triangles.size());
        for (size_t t = 0; t < mesh.triangles.size(); t++)
            for (int c = 0; c < 3; c++) {
                const Vec3 was = before.vertices[size_t(before.triangles[t].corner[c])];
                const Vec3 is = mesh.vertices[size_t(mesh.triangles[t].corner[c])];
                EXPECT_EQ(float(is.x), float(was.x)) << key << " triangle " << t;
                EXPECT_EQ(is.y, was.y);
                EXPECT_EQ(is.z, was.z);
                if (!stored) {
                    EXPECT_EQ(is.x, was.x) << "triangle " << t;
                }
                EXPECT_EQ(mesh.triangles[t].u[c], before.triangles[t].u[c]);
                EXPECT_EQ(mesh.triangles[t].v[c], before.triangles[t].v[c]);
            }
    }
}

} // namespace
