// The shaded and textured fillers: what they interpolate, how textures wrap per size, how a
// clipped span continues, and the 16-pixel runs of the perspective routines.
#include "canvas.h"
#include "raster/span.h"
#include "raster/texel.h"
#include "raster/triangle.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>

namespace {

// texel(c, r): distinct enough that a wrong column or row shows.
std::vector<uint8_t> make_texture(int size)
{
    std::vector<uint8_t> t(size_t(size) * size);
    for (int r = 0; r < size; r++)
        for (int c = 0; c < size; c++) t[size_t(r) * size + c] = uint8_t(c * 7 + r * 13 + 1);
    return t;
}

int wrap(int c, int size)
{
    return ((c % size) + size) % size;
}

// Row n, column c -> c + 3 n: every shade level shows.
ShadeTable make_table()
{
    ShadeTable t;
    for (int n = 0; n < SHADE_LEVELS; n++)
        for (int c = 0; c < 256; c++) t[n * 256 + c] = uint8_t(c + 3 * n);
    return t;
}

// The right triangle (0,0) (w,0) (0,w): values at corner 0 plus x and y exactly (w a power of
// two, so the 16.16 steps are exact).
constexpr int W = 128;
const ScreenTriangle right_triangle{0, 0, W, 0, 0, W};
bool inside_right_triangle(int x, int y)
{
    return x + y < W - 2;
}

TEST(GouraudRamp, InterpolatesTheColourExactly)
{
    Canvas c(80, 80, 255);
    const ScreenTriangle t{0, 0, 64, 0, 0, 64};
    const VertexAttributes a{0, 0, 64, 0, 0, 0};
    fill_gouraud_ramp_triangle(&t, &a);
    for (int y = 0; y < 64; y++)
        for (int x = 0; x <= 64 - y; x++) ASSERT_EQ(c.at(x, y), x) << x << "," << y;
    EXPECT_EQ(c.at(0, 64), 255); // flat top: the bottom row is not drawn
}

TEST(GouraudShaded, LooksUpTheShadeTable)
{
    Canvas c(80, 80);
    const ShadeTable table = make_table();
    const ScreenTriangle t{0, 0, 64, 0, 0, 64};
    const VertexAttributes a{0, 0, 63, 0, 0, 0};
    fill_gouraud_shaded_triangle(&t, &a, 10, &table);
    for (int y = 0; y < 64; y++)
        for (int x = 0; x <= 63 - y; x++) ASSERT_EQ(c.at(x, y), 10 + 3 * (x * 63 / 64));
}

// Corners at the first and the last light level: extrapolation along the edges must not read
// rows outside the table (here the rows hold their own level; guard bytes hold 200).
TEST(ShadeTable, EdgesNeverReadOutsideTheRows)
{
    struct Guarded {
        uint8_t before[512];
        ShadeTable table;
        uint8_t after[512];
    } g;
    std::fill(std::begin(g.before), std::end(g.before), 200);
    std::fill(std::begin(g.after), std::end(g.after), 200);
    for (int i = 0; i < SHADE_LEVELS * 256; i++) g.table[i] = uint8_t(i / 256);
    const std::vector<uint8_t> tex = make_texture(32);
    std::mt19937 rng(9);
    std::uniform_int_distribution<int> d(-10, 90), level(0, 1);
    Canvas c(80, 80, 99);
    for (int n = 0; n < 400; n++) {
        const ScreenTriangle t{d(rng), d(rng), d(rng), d(rng), d(rng), d(rng)};
        const VertexAttributes a{63 * level(rng), 50, 63 * level(rng), 300, 63 * level(rng), 90};
        const TextureCoords uv{0, 0, 40, 3, 7, 50};
        fill_gouraud_shaded_triangle(&t, &a, 17, &g.table);
        fill_affine_textured_shaded_triangle(tex.data(), 32, &t, &uv, &a, &g.table);
        fill_perspective_textured_shaded_triangle(tex.data(), 32, &t, &uv, &a, &g.table);
    }
    for (uint8_t p : c.pixels) ASSERT_TRUE(p <= 63 || p == 99) << int(p);
}

TEST(GouraudRamp, NeedleGetsFiniteSteps)
{
    // The widest span is one pixel: the per-pixel step must not come from dividing by ~0.
    Canvas c(32, 220, 255);
    const ScreenTriangle t{10, 0, 11, 100, 10, 200};
    const VertexAttributes a{0, 0, 200, 0, 0, 0};
    fill_gouraud_ramp_triangle(&t, &a);
    for (int y = 0; y < 200; y++) {
        EXPECT_LE(c.at(10, y), 200) << y;
        EXPECT_EQ(c.at(12, y), 255) << y;
    }
}

class AffineWrap : public ::testing::TestWithParam<int> {};

TEST_P(AffineWrap, RepeatsTheTextureBySize)
{
    const int size = GetParam();
    const std::vector<uint8_t> tex = make_texture(size);
    const int u0 = -300, v0 = -77; // negative: the general size must wrap them too
    const TextureCoords uv{u0, v0, u0 + W, v0, u0, v0 + W};
    Canvas c(W + 8, W + 8);
    fill_affine_textured_triangle(tex.data(), size, &right_triangle, &uv);
    for (int y = 0; y < W; y++)
        for (int x = 0; x < W; x++)
            if (inside_right_triangle(x, y)) {
                ASSERT_EQ(c.at(x, y), tex[wrap(v0 + y, size) * size + wrap(u0 + x, size)])
                    << "size " << size << " at " << x << "," << y;
            }
}

TEST_P(AffineWrap, ShadedGoesThroughTheTable)
{
    const int size = GetParam();
    const std::vector<uint8_t> tex = make_texture(size);
    const ShadeTable table = make_table();
    const TextureCoords uv{5, 9, 5 + W, 9, 5, 9 + W};
    const VertexAttributes a{0, 0, 40, 0, 0, 0}; // 40/128 of a level per pixel
    Canvas c(W + 8, W + 8);
    fill_affine_textured_shaded_triangle(tex.data(), size, &right_triangle, &uv, &a, &table);
    for (int y = 0; y < W; y++)
        for (int x = 0; x < W; x++)
            if (inside_right_triangle(x, y)) {
                const uint8_t texel = tex[wrap(9 + y, size) * size + wrap(5 + x, size)];
                ASSERT_EQ(c.at(x, y), uint8_t(texel + 3 * (x * 40 / W))) << x << "," << y;
            }
}

INSTANTIATE_TEST_SUITE_P(Sizes, AffineWrap, ::testing::Values(256, 128, 64, 32, 16, 48, 100));

// At one depth everywhere the perspective filler shows the affine texture, to within float
// rounding at texel borders; past the first run of 17 pixels the later 16-pixel runs leave it
// one pixel behind.
TEST(PerspectiveFill, FlatDepthMatchesAffine)
{
    std::vector<uint8_t> tex(16 * 16); // texel = column | row << 4
    for (int i = 0; i < 256; i++) tex[i] = uint8_t(i);
    const TextureCoords uv{3, 4, 3 + W, 4, 3, 4 + W};
    const VertexAttributes a{0, 300, 0, 300, 0, 300};
    Canvas affine(W + 8, W + 8);
    fill_affine_textured_triangle(tex.data(), 16, &right_triangle, &uv);
    const std::vector<uint8_t> want = affine.pixels;
    Canvas c(W + 8, W + 8);
    fill_perspective_textured_triangle(tex.data(), 16, &right_triangle, &uv, &a);
    auto near = [](int p, int q) { return wrap(p - q + 1, 16) <= 2; }; // within one texel
    for (int y = 0; y < W; y++)
        for (int x = 1; x < W; x++)
            if (inside_right_triangle(x, y)) {
                const uint8_t got = c.at(x, y);
                const uint8_t ref = want[size_t(y) * (W + 8) + (x <= 17 ? x : x - 1)];
                ASSERT_TRUE(near(got & 15, ref & 15) && near(got >> 4, ref >> 4)) << x << "," << y;
            }
}

TEST(PerspectiveFill, DepthBehindTheViewerDrawsNothing)
{
    const std::vector<uint8_t> tex = make_texture(64);
    const TextureCoords uv{0, 0, 64, 0, 0, 64};
    const VertexAttributes a{0, 100, 0, 0, 0, 100};
    Canvas c(W, W);
    fill_perspective_textured_triangle(tex.data(), 64, &right_triangle, &uv, &a);
    const VertexAttributes b{0, 100, 0, -5, 0, 100};
    fill_perspective_textured_shaded_triangle(tex.data(), 64, &right_triangle, &uv, &b, nullptr);
    EXPECT_EQ(c.count(0), W * W);
}

TEST(PerspectiveFill, ShadedFollowsTheShadeLinearly)
{
    const std::vector<uint8_t> tex(64 * 64, 0);
    const ShadeTable table = make_table();
    const TextureCoords uv{0, 0, 64, 0, 0, 64};
    const VertexAttributes a{0, 100, 40, 400, 0, 100};
    Canvas c(W + 8, W + 8);
    fill_perspective_textured_shaded_triangle(tex.data(), 64, &right_triangle, &uv, &a, &table);
    for (int x = 0; x < W; x += 9) EXPECT_EQ(c.at(x, 0), 3 * (x * 40 / W)) << x;
}

// A span clipped at x = 0 or cut short at the top shows what the unclipped one shows there.
template <class Draw>
void expect_clipping_keeps_values(Draw draw)
{
    std::mt19937 rng(3);
    std::uniform_int_distribution<int> d(0, 100);
    for (int n = 0; n < 150; n++) {
        const ScreenTriangle t{d(rng) + 100, d(rng) + 100, d(rng) + 100,
                               d(rng) + 100, d(rng) + 100, d(rng) + 100};
        const int sx = 100 + n % 101, sy = 100 + (n * 13) % 101;
        if (std::max({t.y0, t.y1, t.y2}) == sy) continue; // row 0 is then the bottom row too
        Canvas whole(300, 300);
        draw(t);
        const std::vector<uint8_t> ref = whole.pixels;
        Canvas part(300, 300);
        const ScreenTriangle moved{t.x0 - sx, t.y0 - sy, t.x1 - sx,
                                   t.y1 - sy, t.x2 - sx, t.y2 - sy};
        draw(moved);
        for (int y = 0; y + sy < 300; y++)
            for (int x = 0; x + sx < 300; x++)
                ASSERT_EQ(part.at(x, y), ref[size_t(y + sy) * 300 + x + sx])
                    << "triangle " << n << " at " << x << "," << y;
    }
}

TEST(Clipping, GouraudStartsWhereTheUnclippedWalkWouldBe)
{
    expect_clipping_keeps_values([](const ScreenTriangle& t) {
        const VertexAttributes a{10, 0, 200, 0, 90, 0};
        fill_gouraud_ramp_triangle(&t, &a);
    });
}

TEST(Clipping, AffineStartsWhereTheUnclippedWalkWouldBe)
{
    const std::vector<uint8_t> tex = make_texture(32);
    const ShadeTable table = make_table();
    expect_clipping_keeps_values([&](const ScreenTriangle& t) {
        const TextureCoords uv{0, 0, 90, 10, 20, 70};
        const VertexAttributes a{0, 0, 60, 0, 30, 0};
        fill_affine_textured_shaded_triangle(tex.data(), 32, &t, &uv, &a, &table);
    });
}

// Perspective runs, driven through the span routine itself: a texture whose texel is its
// column, and u/z, 1/z chosen so that u bends visibly across a span.
struct PerspectiveSpan : ::testing::Test {
    std::vector<uint8_t> tex = make_texture(256);
    Canvas canvas{64, 1};
    static constexpr float a0 = 0.0f, da = 8.0f, w0 = 1.0f, dw = 0.05f;

    void draw(int length)
    {
        SpanState& s = span_state;
        s.texture = tex.data(), s.texture_size = 256;
        s.a = a0, s.b = 0, s.w = w0, s.da = da, s.db = 0, s.dw = dw;
        s.da16 = 16 * da, s.db16 = 0, s.dw16 = 16 * dw;
        s.shade = s.dshade = 0;
        s.span = span_routine(SPAN_PERSPECTIVE, 256);
        s.span(0, 0, length - 1);
    }
    // The exact u at pixel k in 16.16, as the routine divides it.
    static int32_t exact_u(int k)
    {
        const float w = w0 + k * dw, a = a0 + k * da;
        return int32_t(a * (65536.0f / w));
    }
    uint8_t texel_at(int32_t u) const { return tex[(u >> 16) & 255]; }
};

TEST_F(PerspectiveSpan, FirstRunCoversSeventeenPixels)
{
    const int32_t u0 = exact_u(0);
    const int32_t du = int32_t((int64_t(exact_u(16)) - u0) * 4096 >> 16);
    for (int length : {5, 17, 18}) {
        canvas.clear(255);
        draw(length);
        for (int k = 0; k < 18; k++) {
            if (k < length)
                EXPECT_EQ(canvas.at(k, 0), texel_at(u0 + k * du)) << length << ":" << k;
            else
                EXPECT_EQ(canvas.at(k, 0), 255) << length << ":" << k;
        }
    }
}

TEST_F(PerspectiveSpan, LaterRunsContinueFromTheSteppedValue)
{
    const int32_t u0 = exact_u(0);
    const int32_t du1 = int32_t((int64_t(exact_u(16)) - u0) * 4096 >> 16);
    const int32_t u17 = u0 + 17 * du1; // not reset to the exact value
    const int32_t du2 = int32_t((int64_t(exact_u(32)) - u17) * 4096 >> 16);
    draw(34);
    for (int k = 17; k <= 33; k++) EXPECT_EQ(canvas.at(k, 0), texel_at(u17 + (k - 17) * du2)) << k;
}

TEST_F(PerspectiveSpan, ClippedSpanIsCutToTheTarget)
{
    canvas.clear(255);
    SpanState& s = span_state;
    draw(1); // sets the state
    canvas.clear(255);
    s.span(0, -10, 200);
    EXPECT_EQ(canvas.count(255), 0);
    canvas.clear(255);
    s.span(0, 64, 80);
    s.span(0, -20, -1);
    EXPECT_EQ(canvas.count(255), 64);
}

// With 1/z constant the perspective routines step u and v exactly, so every pixel shows where
// the texture wraps - for each size, with negative coordinates too. From the second run on the
// runs start from the value reached one pixel earlier, as the 17-pixel first run leaves it.
class PerspectiveWrap : public ::testing::TestWithParam<int> {};

TEST_P(PerspectiveWrap, RepeatsTheTextureBySize)
{
    const int size = GetParam();
    const std::vector<uint8_t> tex = make_texture(size);
    const ShadeTable table = make_table();
    Canvas canvas(300, 1);
    for (bool shaded : {false, true}) {
        SpanState& s = span_state;
        s.texture = tex.data(), s.texture_size = size;
        s.a = -70.25f, s.b = -33.5f, s.w = 1.0f; // u, v in texels while w = 1
        s.da = 1.5f, s.db = 0.25f, s.dw = 0;
        s.da16 = 16 * s.da, s.db16 = 16 * s.db, s.dw16 = 0;
        s.shade = 7 << 16, s.dshade = 0;
        s.shade_table = table.data();
        s.span = span_routine(shaded ? SPAN_PERSPECTIVE_SHADED : SPAN_PERSPECTIVE, size);
        s.span(0, 0, 299);
        // 16.16 coordinate at pixel k of a value starting at c0 and growing by dc per pixel,
        // as the runs step it: run r ends on pixel 16 r and aims at the exact value there.
        auto runs = [](double c0, double dc) {
            auto exact = [&](int k) { return int64_t((c0 + dc * k) * 65536); };
            std::vector<int> cols;
            int64_t c = exact(0);
            for (int r = 1, x = 0; x < 300; r++) {
                const int64_t step = (exact(16 * r) - c) / 16;
                for (; x <= 16 * r && x < 300; x++, c += step) cols.push_back(int(c >> 16));
            }
            return cols;
        };
        const std::vector<int> us = runs(-70.25, 1.5), vs = runs(-33.5, 0.25);
        for (int k = 0; k < 300; k++) {
            const int u = us[k], v = vs[k];
            const uint8_t texel = tex[wrap(v, size) * size + wrap(u, size)];
            ASSERT_EQ(canvas.at(k, 0), uint8_t(shaded ? texel + 21 : texel))
                << "size " << size << " pixel " << k;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, PerspectiveWrap, ::testing::Values(256, 128, 64, 32, 16, 48, 100));

TEST(SpanRoutines, ChosenByTextureSize)
{
    for (int f = 0; f < SPAN_FAMILIES; f++) {
        const auto family = SpanFamily(f);
        EXPECT_NE(span_routine(family, 256), span_routine(family, 128));
        EXPECT_NE(span_routine(family, 16), span_routine(family, 48));
        EXPECT_EQ(span_routine(family, 48), span_routine(family, 8));
        EXPECT_EQ(span_routine(family, 512), span_routine(family, 100));
    }
}

// The power-of-two fetch steps coordinates shifted up to the word's top bits; across wraps of
// the 32-bit value and negative coordinates it must find the texel that masking finds.
template <int LogSize>
void expect_shifted_walk_matches_masking(std::mt19937& random)
{
    const std::vector<uint8_t> tex = make_texture(1 << LogSize);
    for (int walk = 0; walk < 200; walk++) {
        int32_t u = int32_t(random()), v = int32_t(random());
        const int32_t du = int32_t(random()) >> (walk % 20), dv = int32_t(random()) >> (walk % 13);
        uint32_t tu = TexelPow2<LogSize>::coordinate(u), tv = TexelPow2<LogSize>::coordinate(v);
        const uint32_t tdu = TexelPow2<LogSize>::coordinate(du);
        const uint32_t tdv = TexelPow2<LogSize>::coordinate(dv);
        for (int step = 0; step < 40; step++) {
            const int size = 1 << LogSize;
            const uint8_t masked = tex[size_t(wrap(v >> 16, size)) * size + wrap(u >> 16, size)];
            ASSERT_EQ(TexelPow2<LogSize>::at(tex.data(), size, tu, tv), masked)
                << "size " << size << " walk " << walk << " step " << step;
            u = fx16_add(u, du), v = fx16_add(v, dv);
            tu += tdu, tv += tdv;
        }
    }
}

TEST(TexelFetch, ShiftedPowerOfTwoWalkFindsTheMaskedTexel)
{
    std::mt19937 random(7);
    expect_shifted_walk_matches_masking<4>(random);
    expect_shifted_walk_matches_masking<6>(random);
    expect_shifted_walk_matches_masking<8>(random);
}

} // namespace
