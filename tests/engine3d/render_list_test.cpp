// The render list: frustum rejection, near-plane clipping for every clip key, its capacity,
// and the projection with the back-face flag.
#include "engine3d/pipeline.h"
#include "tests/engine3d/object_holder.h"

#include <gtest/gtest.h>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

constexpr float NEAR = 80, FAR = 1000, FOCAL = 400;

void add(Object3D* o)
{
    render_list_add(o, NEAR, FAR, FOCAL, 160, 120);
}

ObjectPtr triangle(Vec4 a, Vec4 b, Vec4 c)
{
    ObjectPtr o = make_object(3, 1);
    const Vec4 p[3] = {a, b, c};
    for (int i = 0; i < 3; i++) {
        o->vertices[i].transformed = p[i];
        o->vertices[i].light = uint8_t(10 + i);
    }
    o->faces[0].vertex0 = 0, o->faces[0].vertex1 = 1, o->faces[0].vertex2 = 2;
    o->faces[0].uv = {0, 0, 100, 10, 31, 100};
    o->faces[0].colour = 42;
    return o;
}

// Corners of the source face: V0 (0, 0), V1 (10, 0), V2 (0, 10); near ones at z 40, kept
// ones at z 100, so every cut lies 2/3 of the way from the near corner.
ObjectPtr keyed(int key)
{
    auto z = [&](int i) { return (key >> (2 * i)) & 1 ? 40.0f : 100.0f; };
    return triangle({0, 0, z(0), 1}, {10, 0, z(1), 1}, {0, 10, z(2), 1});
}

struct Expected {
    int key;
    std::vector<std::string> made;  // new vertices in the order they are appended
    std::vector<std::string> faces; // corners by name
};

TEST(NearClip, EveryKeyOfTheTable)
{
    const Expected cases[] = {
        {0, {}, {"V0 V1 V2"}},
        {1, {"N01", "N02"}, {"N01 V1 V2", "N02 N01 V2"}},
        {4, {"N10", "N12"}, {"V0 N10 V2", "N10 N12 V2"}},
        {16, {"N21", "N20"}, {"V0 V1 N21", "V0 N21 N20"}},
        {5, {"N02", "N12"}, {"N02 N12 V2"}},
        {17, {"N01", "N21"}, {"N01 V1 N21"}},
        {20, {"N10", "N20"}, {"V0 N10 N20"}},
    };
    const float xs[3] = {0, 10, 0}, ys[3] = {0, 0, 10};
    const int us[3] = {0, 100, 31}, vs[3] = {0, 10, 100};
    for (const Expected& e : cases) {
        SCOPED_TRACE("key " + std::to_string(e.key));
        ObjectPtr o = keyed(e.key);
        render_list_reset();
        add(o.get());
        const Object3D* list = render_list_get();
        ASSERT_EQ(list->vertex_count, 3 + int(e.made.size()));
        ASSERT_EQ(list->face_count, int(e.faces.size()));
        // Index and texture coordinates a corner name stands for.
        auto index_of = [&](const std::string& n) {
            if (n[0] == 'V') return n[1] - '0';
            for (size_t k = 0; k < e.made.size(); k++)
                if (e.made[k] == n) return 3 + int(k);
            return -1;
        };
        auto uv_of = [&](const std::string& n, int& u, int& v) {
            const int a = n[1] - '0';
            u = us[a], v = vs[a];
            if (n[0] == 'N') {
                const int b = n[2] - '0';
                const float t = (NEAR - 40.0f) / (100.0f - 40.0f);
                u += int(t * float(us[b] - us[a])), v += int(t * float(vs[b] - vs[a]));
            }
        };
        for (size_t k = 0; k < e.made.size(); k++) {
            const int a = e.made[k][1] - '0', b = e.made[k][2] - '0';
            const Vertex3D& n = list->vertices[3 + k];
            EXPECT_NEAR(n.transformed.x, xs[a] + (xs[b] - xs[a]) * 2 / 3.0f, 1e-4);
            EXPECT_NEAR(n.transformed.y, ys[a] + (ys[b] - ys[a]) * 2 / 3.0f, 1e-4);
            EXPECT_EQ(n.transformed.z, NEAR);
            EXPECT_EQ(n.light, 10 + a); // a copy of the near corner
        }
        for (size_t f = 0; f < e.faces.size(); f++) {
            const Face3D& face = list->faces[f];
            EXPECT_EQ(face.colour, 42);
            const int* corner = &face.vertex0;
            const int32_t* uv = &face.uv.u0;
            std::istringstream names(e.faces[f]);
            for (int c = 0; c < 3; c++) {
                std::string name;
                names >> name;
                EXPECT_EQ(corner[c], index_of(name)) << "face " << f << " corner " << c;
                int u, v;
                uv_of(name, u, v);
                EXPECT_EQ(uv[2 * c], u) << name;
                EXPECT_EQ(uv[2 * c + 1], v) << name;
            }
        }
    }
}

TEST(NearClip, TextureCoordinatesTruncateTowardZero)
{
    ObjectPtr o = keyed(16); // N20: 31 + trunc(2/3 x -31) = 31 - 20
    render_list_reset();
    add(o.get());
    EXPECT_EQ(render_list_get()->faces[1].uv.u2, 11);
}

TEST(Rejection, FarAllNearAndOneSide)
{
    const struct {
        Vec4 a, b, c;
        int faces;
    } cases[] = {
        {{0, 0, 1200, 1}, {10, 0, 1200, 1}, {0, 10, 1200, 1}, 0},     // all beyond far
        {{0, 0, 1200, 1}, {10, 0, 500, 1}, {0, 10, 500, 1}, 0},       // one beyond far
        {{0, 0, 10, 1}, {10, 0, 20, 1}, {0, 10, 30, 1}, 0},           // all closer than near (21)
        {{-300, 0, 500, 1}, {-250, 0, 500, 1}, {-400, 9, 500, 1}, 0}, // all left of the view
        {{-300, 0, 500, 1}, {0, 0, 500, 1}, {-400, 9, 500, 1}, 1},    // straddles the left edge
        {{0, 200, 500, 1}, {10, 200, 500, 1}, {0, 300, 500, 1}, 0},   // all below
        {{0, 100, 500, 1}, {10, 200, 500, 1}, {0, 300, 500, 1}, 1},   // two below
        {{0, 0, 80, 1}, {200, 0, 500, 1}, {0, 150, 500, 1}, 1},       // exactly on the limits
    };
    for (const auto& c : cases) {
        ObjectPtr o = triangle(c.a, c.b, c.c);
        render_list_reset();
        add(o.get());
        EXPECT_EQ(render_list_get()->face_count, c.faces) << c.a.x << "," << c.a.z;
        EXPECT_EQ(render_list_get()->vertex_count, 3); // the vertices are copied regardless
    }
}

TEST(Rejection, ClipCodesOnTheLimits)
{
    ObjectPtr o = triangle({200, -150, 500, 1}, {200.1f, 0, 79.9f, 1}, {0, 0, 1000.5f, 1});
    render_list_reset();
    add(o.get());
    const Vertex3D* v = render_list_get()->vertices;
    EXPECT_EQ(v[0].clip_x, CLIP_INSIDE);
    EXPECT_EQ(v[0].clip_y, CLIP_INSIDE);
    EXPECT_EQ(v[0].clip_z, CLIP_INSIDE);
    EXPECT_EQ(v[1].clip_x, CLIP_HIGH);
    EXPECT_EQ(v[1].clip_z, CLIP_LOW);
    EXPECT_EQ(v[2].clip_z, CLIP_HIGH);
}

TEST(Append, TwiceAndWithoutFaces)
{
    ObjectPtr o = keyed(0);
    render_list_reset();
    add(o.get());
    add(o.get());
    const Object3D* list = render_list_get();
    ASSERT_EQ(list->face_count, 2);
    EXPECT_EQ(list->faces[1].vertex0, 3); // the second copy's faces index the second copy
    EXPECT_EQ(list->faces[1].vertex2, 5);
    o->face_count = 0;
    add(o.get());
    EXPECT_EQ(list->vertex_count, 9);
    EXPECT_EQ(list->face_count, 2);
}

TEST(Append, StopsAtAFaceBoundaryWhenFull)
{
    // 2500 faces that each get cut in two, with 3 vertices each: the list fills up.
    ObjectPtr o = make_object(3 * 1500, 1500);
    for (int i = 0; i < 1500; i++) {
        for (int k = 0; k < 3; k++) {
            o->vertices[3 * i + k] = Vertex3D{};
            o->vertices[3 * i + k].transformed = {float(k), float(k == 2), k == 0 ? 40.0f : 100.0f,
                                                  1};
        }
        o->faces[i] = Face3D{};
        o->faces[i].vertex0 = 3 * i, o->faces[i].vertex1 = 3 * i + 1,
        o->faces[i].vertex2 = 3 * i + 2;
    }
    const int64_t before = render_list_dropped_faces();
    render_list_reset();
    add(o.get()); // 4500 + 3000 new vertices, 3000 faces
    EXPECT_EQ(render_list_dropped_faces(), before);
    add(o.get()); // 4500 more vertices fit (9000), then 500 faces' new vertices
    const Object3D* list = render_list_get();
    EXPECT_LE(list->vertex_count, RENDER_LIST_CAPACITY);
    EXPECT_EQ(list->vertex_count, 7500 + 4500 > RENDER_LIST_CAPACITY ? 7500 : -1);
    EXPECT_EQ(render_list_dropped_faces(), before + 1500); // the vertices did not fit
    render_list_reset();
    add(o.get());
    o->vertex_count = 3 * 500; // the first 500 faces only
    o->face_count = 500;
    add(o.get()); // 7500 + 1500 = 9000 vertices, then 2 new per face: 500 faces fit
    EXPECT_EQ(list->vertex_count, RENDER_LIST_CAPACITY);
    EXPECT_EQ(list->face_count, 3000 + 2 * 500);
    EXPECT_EQ(render_list_dropped_faces(), before + 1500);
    add(o.get()); // no room for the vertices at all
    EXPECT_EQ(render_list_dropped_faces(), before + 2000);
}

TEST(Projection, ScreenOffsetsAndBackFaces)
{
    ObjectPtr o = triangle({100, 0, 200, 1}, {0, 50, 400, 1}, {-20, -20, 0, 1});
    o->faces[0].vertex2 = 1;
    render_list_project(o.get(), FOCAL);
    EXPECT_FLOAT_EQ(o->vertices[0].transformed.x, 200);
    EXPECT_FLOAT_EQ(o->vertices[1].transformed.y, 50);
    EXPECT_FLOAT_EQ(o->vertices[1].transformed.z, 400); // z stays the depth
    EXPECT_FLOAT_EQ(o->vertices[2].transformed.x, -20); // behind the viewer: left alone

    // Anticlockwise as seen on the screen (y down) is the front.
    ObjectPtr f = triangle({0, 0, 100, 1}, {0, 10, 100, 1}, {10, 0, 100, 1});
    render_list_project(f.get(), FOCAL);
    EXPECT_EQ(f->faces[0].visible, 1);
    ObjectPtr b = triangle({0, 0, 100, 1}, {10, 0, 100, 1}, {0, 10, 100, 1});
    render_list_project(b.get(), FOCAL);
    EXPECT_EQ(b->faces[0].visible, 0);
}

} // namespace
