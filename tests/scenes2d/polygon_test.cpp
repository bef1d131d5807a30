#include "gfx2d/polygon.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

struct Canvas {
    int32_t w, h;
    std::vector<uint8_t> pixels;
    std::vector<EdgeEntry> a, b;
    Canvas(int32_t width, int32_t height)
        : w(width), h(height), pixels(size_t(width) * height), a(size_t(height)), b(size_t(height))
    {
    }
    uint8_t at(int x, int y) const { return pixels[size_t(y) * w + x]; }
};

struct Texture {
    int32_t w, h;
    std::vector<uint8_t> texels;
};

// Texel (u, v) holds u + 7 v (mod 256), so a pixel shows where it was sampled.
Texture ramp_texture(int32_t w, int32_t h)
{
    Texture t{w, h, std::vector<uint8_t>(size_t(w) * h)};
    for (int32_t v = 0; v < h; v++)
        for (int32_t u = 0; u < w; u++) t.texels[size_t(v) * w + u] = uint8_t(u + 7 * v);
    return t;
}

Texture flat_texture(int32_t w, int32_t h, uint8_t value)
{
    return {w, h, std::vector<uint8_t>(size_t(w) * h, value)};
}

void fill(Canvas& c, std::vector<PolygonPoint> points, std::vector<TexturePoint> tex,
          const Texture& t)
{
    fill_textured_polygon(c.pixels.data(), c.w, c.h, c.a.data(), c.b.data(), points.data(),
                          tex.data(), int(points.size()), t.texels.data(), t.w, t.h);
}

int covered(const Canvas& c)
{
    int n = 0;
    for (uint8_t p : c.pixels) n += p != 0;
    return n;
}

TEST(PolygonCoverage, FlatOrDegeneratePolygonsDrawNothing)
{
    Canvas c(32, 32);
    const Texture t = flat_texture(64, 64, 5);
    fill(c, {{1, 4}, {20, 4}, {30, 4}}, {{0, 0}, {0, 0}, {0, 0}}, t);
    fill(c, {{1, 4}, {20, 9}}, {{0, 0}, {0, 0}}, t);
    EXPECT_EQ(covered(c), 0);
}

TEST(PolygonCoverage, BottomRowAndRightColumnAreLeftToTheNeighbours)
{
    Canvas c(32, 32);
    const Texture t = flat_texture(64, 64, 5);
    fill(c, {{4, 2}, {12, 2}, {12, 10}, {4, 10}}, {{0, 0}, {8, 0}, {8, 8}, {0, 8}}, t);
    EXPECT_EQ(covered(c), 8 * 8);
    EXPECT_EQ(c.at(4, 2), 5);
    EXPECT_EQ(c.at(11, 9), 5);
    EXPECT_EQ(c.at(12, 5), 0);
    EXPECT_EQ(c.at(5, 10), 0);
}

TEST(PolygonCoverage, NeighboursSharingAnEdgeNeverOverlapOrLeaveGaps)
{
    // Two quads split along a slanted edge; together they fill the outer quad exactly.
    Canvas left(64, 64), right(64, 64), whole(64, 64);
    const Texture t = flat_texture(64, 64, 1);
    fill(left, {{5, 3}, {30, 3}, {22, 50}, {8, 50}}, {{0, 0}, {0, 0}, {0, 0}, {0, 0}}, t);
    fill(right, {{30, 3}, {60, 3}, {55, 50}, {22, 50}}, {{0, 0}, {0, 0}, {0, 0}, {0, 0}}, t);
    fill(whole, {{5, 3}, {60, 3}, {55, 50}, {8, 50}}, {{0, 0}, {0, 0}, {0, 0}, {0, 0}}, t);
    for (size_t i = 0; i < whole.pixels.size(); i++) {
        ASSERT_FALSE(left.pixels[i] && right.pixels[i]) << "pixel " << i << " drawn twice";
        ASSERT_EQ(left.pixels[i] || right.pixels[i], whole.pixels[i] != 0) << "pixel " << i;
    }
}

TEST(PolygonCoverage, EitherWindingCoversTheSamePixels)
{
    Canvas cw(64, 64), ccw(64, 64);
    const Texture t = flat_texture(64, 64, 9);
    fill(cw, {{10, 5}, {50, 12}, {40, 55}, {3, 40}}, {{0, 0}, {63, 0}, {63, 63}, {0, 63}}, t);
    fill(ccw, {{3, 40}, {40, 55}, {50, 12}, {10, 5}}, {{0, 63}, {63, 63}, {63, 0}, {0, 0}}, t);
    EXPECT_GT(covered(cw), 1000);
    EXPECT_EQ(cw.pixels, ccw.pixels);
}

TEST(PolygonTexture, AxisAlignedQuadCopiesTheTexture)
{
    Canvas c(16, 16);
    const Texture t = ramp_texture(64, 64);
    fill(c, {{2, 3}, {6, 3}, {6, 7}, {2, 7}}, {{10, 20}, {14, 20}, {14, 24}, {10, 24}}, t);
    for (int y = 3; y < 7; y++)
        for (int x = 2; x < 6; x++) EXPECT_EQ(c.at(x, y), uint8_t(10 + x - 2 + 7 * (20 + y - 3)));
}

TEST(PolygonTexture, LongSpansStepAlittleShortOfTheirRange)
{
    // 1024 / 100 = 10: the span covers 1000/1024 of its 100 texels.
    Canvas c(128, 4);
    const Texture t = ramp_texture(100, 2);
    fill(c, {{0, 0}, {100, 0}, {100, 2}, {0, 2}}, {{0, 0}, {100, 0}, {100, 0}, {0, 0}}, t);
    EXPECT_EQ(c.at(50, 0), 48);
    EXPECT_EQ(c.at(99, 0), 96);
}

TEST(PolygonClipping, ClippedPolygonStartsWhereTheUnclippedWalkIs)
{
    // The same polygon drawn 40 pixels further right and down on a bigger canvas is the
    // reference for the part that is visible on the small one.
    const Texture t = ramp_texture(256, 256);
    const std::vector<TexturePoint> tex{{3, 5}, {200, 17}, {180, 230}, {9, 190}};
    Canvas small(64, 64), big(128, 128);
    fill(small, {{-30, -25}, {50, -33}, {45, 52}, {-20, 40}}, tex, t);
    fill(big, {{10, 15}, {90, 7}, {85, 92}, {20, 80}}, tex, t);
    EXPECT_GT(covered(small), 1500);
    for (int y = 0; y < 64; y++)
        for (int x = 0; x < 64; x++)
            ASSERT_EQ(small.at(x, y), big.at(x + 40, y + 40)) << x << "," << y;
}

TEST(PolygonClipping, PolygonOutsideTheCanvasWritesNothingOutside)
{
    Canvas c(16, 16);
    const Texture t = flat_texture(64, 64, 3);
    fill(c, {{-100, -100}, {300, -80}, {250, 400}, {-50, 300}}, {{0, 0}, {9, 0}, {9, 9}, {0, 9}},
         t);
    EXPECT_EQ(covered(c), 16 * 16);
    fill(c, {{100, 100}, {200, 100}, {200, 200}}, {{0, 0}, {0, 0}, {0, 0}},
         flat_texture(64, 64, 0));
    EXPECT_EQ(covered(c), 16 * 16);
}

TEST(PolygonWrap, CoordinatesBeyondTheTextureRepeatIt)
{
    const Texture t = ramp_texture(256, 256);
    Canvas c(8, 8);
    fill(c, {{0, 0}, {4, 0}, {4, 4}, {0, 4}},
         {{256 + 3, 512 + 1}, {256 + 7, 512 + 1}, {256 + 7, 512 + 5}, {256 + 3, 512 + 5}}, t);
    EXPECT_EQ(c.at(0, 0), uint8_t(3 + 7 * 1));
    const Texture t64 = ramp_texture(64, 64);
    fill(c, {{0, 0}, {4, 0}, {4, 4}, {0, 4}}, {{-2, -1}, {2, -1}, {2, 3}, {-2, 3}}, t64);
    EXPECT_EQ(c.at(0, 0), uint8_t(62 + 7 * 63));
}

TEST(PolygonWrap, NegativeCoordinatesOnOddSizesWrapToTheFarSide)
{
    const Texture t = ramp_texture(10, 6);
    Canvas c(8, 8);
    fill(c, {{0, 0}, {4, 0}, {4, 4}, {0, 4}}, {{-3, -2}, {1, -2}, {1, 2}, {-3, 2}}, t);
    EXPECT_EQ(c.at(0, 0), uint8_t(7 + 7 * 4));
    EXPECT_EQ(c.at(3, 0), uint8_t(0 + 7 * 4));
    EXPECT_EQ(c.at(3, 3), uint8_t(0 + 7 * 1));
}

} // namespace
