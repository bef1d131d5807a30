// The blob's field and its marching-cubes surface.
#include "scenes3d/blob_field.h"
#include "tests/engine3d/object_holder.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <utility>

namespace {

struct BlobFixture : ::testing::Test {
    std::unique_ptr<BlobField> field = std::make_unique<BlobField>();
    ObjectPtr object = make_object(BLOB_MAX_VERTICES, BLOB_MAX_FACES);

    // All outside, with the given points inside; balls placed so that kstart is 2.
    void only_inside(std::initializer_list<int> points)
    {
        field->balls[0] = {5, 5, 1.0f, 0, 0, 0};
        field->balls[1] = field->balls[2] = {5, 5, 9, 0, 0, 0};
        std::fill(std::begin(field->value), std::end(field->value), 1.0f);
        for (int n : points) field->value[n] = -1.0f;
        blob_field_classify(*field);
    }
};

TEST_F(BlobFixture, InsideMeansBelowZeroAndCrossingsLieBetweenTheEnds)
{
    only_inside({});
    field->value[blob_index(4, 4, 4)] = 0.0f; // on the surface: outside
    field->value[blob_index(5, 5, 5)] = -3.0f;
    field->value[blob_index(6, 5, 5)] = 1.0f;
    blob_field_classify(*field);
    EXPECT_EQ(field->inside[blob_index(4, 4, 4)], 0);
    EXPECT_EQ(field->inside[blob_index(5, 5, 5)], 1);
    EXPECT_FLOAT_EQ(field->ex[blob_index(5, 5, 5)], 0.75f); // -3 / (-3 - 1)

    // The last layer of each axis has the edges along the other two: the cells before it use them.
    field->value[blob_index(19, 5, 5)] = -1.0f;
    field->value[blob_index(19, 5, 6)] = 3.0f;
    field->value[blob_index(7, 7, 19)] = -1.0f;
    field->value[blob_index(7, 8, 19)] = 1.0f;
    blob_field_classify(*field);
    EXPECT_FLOAT_EQ(field->ez[blob_index(19, 5, 5)], 0.25f);
    EXPECT_FLOAT_EQ(field->ey[blob_index(19, 4, 5)], 0.5f); // from outside at 1 to inside at -1
    EXPECT_FLOAT_EQ(field->ey[blob_index(7, 7, 19)], 0.5f);
}

// With the lowest ball at z = 1 cells start at k = 2, and a cell is cut only when an inside
// corner lies at its own k: one inside point is surfaced by the cells it is the near corner
// of, never by those it is a far corner of.
TEST_F(BlobFixture, CellsStartAfterTheLowestBallAndNeedANearInsideCorner)
{
    only_inside({blob_index(5, 5, 1)});
    blob_polygonize(*field, object.get(), 0);
    EXPECT_EQ(object->face_count, 0); // its cells at k = 0 and 1 are all skipped

    only_inside({blob_index(5, 5, 2)});
    blob_polygonize(*field, object.get(), 3);
    // The four cells at k = 2 around the point (one triangle each); those at k = 1 see it only
    // among their far corners and are skipped.
    EXPECT_EQ(object->face_count, 4);
    EXPECT_EQ(object->faces[0].texture, 3);
}

// Every shared vertex is stored once, so a closed surface uses every edge exactly twice,
// once in each direction.
TEST_F(BlobFixture, AClosedSurfaceSharesEveryVertexAndEdge)
{
    blob_field_start(*field);
    for (BlobBall& b : field->balls) b = {9.5f, 9.3f, 9.7f, 0, 0, 0};
    blob_field_sample(*field);
    blob_polygonize(*field, object.get(), 0, {.every_cell = true});
    ASSERT_GT(object->face_count, 100);

    std::map<std::pair<int, int>, int> directed;
    for (int f = 0; f < object->face_count; f++) {
        const Face3D& face = object->faces[f];
        const int v[3] = {face.vertex0, face.vertex1, face.vertex2};
        for (int e = 0; e < 3; e++) directed[{v[e], v[(e + 1) % 3]}]++;
    }
    for (const auto& [edge, uses] : directed) {
        EXPECT_EQ(uses, 1);
        EXPECT_EQ(directed.count({edge.second, edge.first}), 1u);
    }
    for (int a = 0; a < object->vertex_count; a++)
        for (int b = a + 1; b < object->vertex_count; b++) {
            const Vec4 p = object->vertices[a].position, q = object->vertices[b].position;
            ASSERT_FALSE(p.x == q.x && p.y == q.y && p.z == q.z) << a << " and " << b;
        }
}

// The edge lookup builds exactly what the scan of all vertices builds, order included, and
// the real flight of the balls never overflows the object.
TEST_F(BlobFixture, FastLookupMatchesTheFullSearchAndNothingIsDropped)
{
    ObjectPtr reference = make_object(BLOB_MAX_VERTICES, BLOB_MAX_FACES);
    blob_field_start(*field);
    int32_t most_faces = 0;
    for (int frame = 0; frame < 400; frame++) {
        blob_field_move(*field);
        blob_field_sample(*field);
        blob_polygonize(*field, object.get(), 0);
        most_faces = std::max(most_faces, object->face_count);
        if (frame % 37 != 0) continue;
        blob_polygonize(*field, reference.get(), 0, {.linear_search = true});
        ASSERT_EQ(object->vertex_count, reference->vertex_count) << "frame " << frame;
        ASSERT_EQ(object->face_count, reference->face_count) << "frame " << frame;
        for (int v = 0; v < object->vertex_count; v++) {
            const Vec4 p = object->vertices[v].position, q = reference->vertices[v].position;
            ASSERT_TRUE(p.x == q.x && p.y == q.y && p.z == q.z) << "frame " << frame;
        }
        for (int f = 0; f < object->face_count; f++) {
            const Face3D &a = object->faces[f], &b = reference->faces[f];
            ASSERT_TRUE(a.vertex0 == b.vertex0 && a.vertex1 == b.vertex1 && a.vertex2 == b.vertex2)
                << "frame " << frame << " face " << f;
        }
    }
    EXPECT_GT(most_faces, 500);
    EXPECT_EQ(blob_dropped_faces(), 0);
}

} // namespace
