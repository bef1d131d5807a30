// Meshes written as .t3d files come back as they were built, and the side given
// counter-clockwise is the side the scenes show.
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

} // namespace
