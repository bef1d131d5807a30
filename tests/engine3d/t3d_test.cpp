// The .t3d reader: its error table, the files it must refuse, and what it makes of good ones.
#include "engine3d/t3d.h"
#include "tests/engine3d/object_holder.h"

#include <cctype>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace {

// A grey ramp: entry i is (i, i, i).
struct GreyPalette {
    uint8_t rgb[768];
    GreyPalette()
    {
        for (int i = 0; i < 768; i++) rgb[i] = uint8_t(i / 3);
    }
};
const GreyPalette grey;

const char* const names[] = {"none", "teto", "ablak-1"};
const int32_t sizes[] = {16, 64, 256};

// The text as a file for the length of a test.
struct T3dFile {
    std::string path;
    explicit T3dFile(const std::string& text)
    {
        char name[] = "/tmp/vantor-t3d-XXXXXX";
        const int fd = mkstemp(name);
        path = name;
        EXPECT_EQ(write(fd, text.data(), text.size()), ssize_t(text.size()));
        close(fd);
    }
    ~T3dFile() { unlink(path.c_str()); }
};

struct Loaded {
    int result;
    ObjectPtr object;
};

Loaded load(const std::string& text, int reverse = 1, const char* const* list = names)
{
    T3dFile file(text);
    Object3D* o = nullptr;
    const int result = t3d_load(&o, file.path.c_str(), grey.rgb, reverse, list, sizes, 3);
    if (result != T3D_OK) {
        EXPECT_EQ(o, nullptr) << "a failed load must leave nothing behind";
    }
    return {result, ObjectPtr(o)};
}

const std::string materials = "MATERIALS\n2\nroof 7 300 300 300 TETO\nglass 2 10 10 10 ablak-1\n";
const std::string vertices = "VERTICES\n3\n0 0 0\n1 0 0\n0 1 0\n";
const std::string triangle = "TRIANGLES\n1\n0 1 2 0 0 0 0.0 0.5 0.999 1.0 0.25 0.0 7\n";

TEST(T3dReader, ReadsMaterialsCornersAndTexels)
{
    Loaded l = load("comment line\n" + materials + "junk\n" + vertices + triangle);
    ASSERT_EQ(l.result, T3D_OK);
    ASSERT_EQ(l.object->vertex_count, 3);
    ASSERT_EQ(l.object->face_count, 1);
    EXPECT_EQ(l.object->vertices[2].position.y, 1.0f);
    const Face3D& f = l.object->faces[0];
    EXPECT_EQ(f.colour, 255); // 300 counts as 255
    EXPECT_EQ(f.texture, 1);  // "TETO" is "teto" whatever the case
    // Reversed: corners c, b, a with their coordinate pairs; 0.999 x 64 floors to 63.
    EXPECT_EQ(f.vertex0, 2);
    EXPECT_EQ(f.vertex1, 1);
    EXPECT_EQ(f.vertex2, 0);
    EXPECT_EQ(f.uv.u0, 16);
    EXPECT_EQ(f.uv.v0, 0);
    EXPECT_EQ(f.uv.u1, 63);
    EXPECT_EQ(f.uv.v1, 64);
    EXPECT_EQ(f.uv.u2, 0);
    EXPECT_EQ(f.uv.v2, 32);

    Loaded plain = load(materials + vertices + triangle, 0, nullptr);
    ASSERT_EQ(plain.result, T3D_OK);
    const Face3D& g = plain.object->faces[0];
    EXPECT_EQ(g.vertex0, 0);
    EXPECT_EQ(g.texture, 0); // no list: texture 0 and no coordinates
    EXPECT_EQ(g.uv.u1, 0);
    EXPECT_EQ(g.uv.v1, 0);
}

TEST(T3dReader, HeadersCountsAndSlots)
{
    // No materials at all; a header may carry more words; a later line refills a slot.
    EXPECT_EQ(load("MATERIALS\n0\n" + vertices + "TRIANGLES\n0\n").result, T3D_OK);
    Loaded refilled = load("MATERIALS extra words\n2\nm 7 0 0 0 none\nm 7 200 200 200 none\n" +
                           vertices + triangle);
    ASSERT_EQ(refilled.result, T3D_OK);
    EXPECT_EQ(refilled.object->faces[0].colour, 200);
    // Only the exact word is a header.
    EXPECT_EQ(load("materials\n0\nMATERIALS:\n0\n").result, T3D_UNEXPECTED_END);
}

struct BrokenFile {
    const char* what;
    std::string text;
    int result;
};

class T3dBroken : public ::testing::TestWithParam<BrokenFile> {};

TEST_P(T3dBroken, IsRefusedWithItsCode)
{
    EXPECT_EQ(load(GetParam().text).result, GetParam().result) << GetParam().what;
}

const std::string head = materials + vertices;

INSTANTIATE_TEST_SUITE_P(
    ErrorTable, T3dBroken,
    ::testing::Values(
        BrokenFile{"empty", "", T3D_UNEXPECTED_END},
        BrokenFile{"materials cut short", "MATERIALS\n2\nm 0 1 2 3 none\n", T3D_UNEXPECTED_END},
        BrokenFile{"no triangles section", head, T3D_UNEXPECTED_END},
        BrokenFile{"nothing after the triangle count", head + "TRIANGLES\n1\n", T3D_UNEXPECTED_END},
        BrokenFile{"count not a number", "MATERIALS\nmany\n", T3D_BAD_COUNT_LINE},
        BrokenFile{"material with five fields", "MATERIALS\n1\nm 0 1 2 3\n", T3D_BAD_MATERIAL},
        BrokenFile{"vertex lines cut short", materials + "VERTICES\n3\n0 0 0\n" + triangle,
                   T3D_BAD_VERTEX},
        BrokenFile{"vertex with two numbers", materials + "VERTICES\n1\n0 0\nTRIANGLES\n0\n",
                   T3D_BAD_VERTEX},
        BrokenFile{"triangles cut short", head + "TRIANGLES\n2\n0 1 2 0 0 0 0 0 0 0 0 0 7\n",
                   T3D_SHORT_TRIANGLES},
        BrokenFile{"triangle with 12 fields", head + "TRIANGLES\n1\n0 1 2 0 0 0 0 0 0 0 0 0\n",
                   T3D_BAD_TRIANGLE},
        BrokenFile{"texture not in the list",
                   "MATERIALS\n1\nm 0 1 1 1 brick\n" + vertices +
                       "TRIANGLES\n1\n0 1 2 0 0 0 0 0 0 0 0 0 0\n",
                   T3D_UNKNOWN_TEXTURE},
        // What the format leaves open, refused before anything is indexed with it.
        BrokenFile{"corner past the vertices", head + "TRIANGLES\n1\n0 1 3 0 0 0 0 0 0 0 0 0 7\n",
                   T3D_BAD_VERTEX_INDEX},
        BrokenFile{"negative corner", head + "TRIANGLES\n1\n-1 1 2 0 0 0 0 0 0 0 0 0 7\n",
                   T3D_BAD_VERTEX_INDEX},
        BrokenFile{"slot past 1023", "MATERIALS\n1\nm 1024 1 1 1 none\n", T3D_BAD_MATERIAL_SLOT},
        BrokenFile{"slot never filled", head + "TRIANGLES\n1\n0 1 2 0 0 0 0 0 0 0 0 0 5\n",
                   T3D_BAD_MATERIAL_SLOT},
        BrokenFile{"texture name of 20 characters",
                   "MATERIALS\n1\nm 0 1 1 1 abcdefghijklmnopqrst\n", T3D_LONG_TEXTURE_NAME},
        BrokenFile{"negative count", "MATERIALS\n-1\n", T3D_BAD_COUNT},
        BrokenFile{"huge count", materials + "VERTICES\n2000000000\n", T3D_BAD_COUNT},
        BrokenFile{"coordinate not a number", materials + "VERTICES\n1\nnan 0 0\nTRIANGLES\n0\n",
                   T3D_BAD_NUMBER},
        BrokenFile{"texture coordinate far out",
                   head + "TRIANGLES\n1\n0 1 2 0 0 0 1e30 0 0 0 0 0 7\n", T3D_BAD_NUMBER}),
    [](const ::testing::TestParamInfo<BrokenFile>& info) {
        std::string name = info.param.what;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        return name;
    });

TEST(T3dReader, MissingFile)
{
    Object3D* o = nullptr;
    EXPECT_EQ(t3d_load(&o, "/nonexistent/x.t3d", grey.rgb, 1, names, sizes, 3), T3D_CANNOT_OPEN);
}

} // namespace
