// Scan conversion: which rows and pixels a triangle covers, in what corner order, and how it is
// clipped. The flat filler shows the coverage without interpolated values.
#include "canvas.h"
#include "raster/scan.h"
#include "raster/triangle.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>

namespace {

ScreenTriangle tri(int x0, int y0, int x1, int y1, int x2, int y2)
{
    return {x0, y0, x1, y1, x2, y2};
}

void fill(const ScreenTriangle& t, uint8_t c = 1)
{
    fill_flat_triangle(&t, c);
}

struct Y {
    int32_t y;
};

// Which corner becomes top, middle and bottom.
std::string order(int y0, int y1, int y2)
{
    const Y c[3] = {{y0}, {y1}, {y2}};
    const Y *t, *m, *b;
    scan::sort_corners(c, t, m, b);
    return std::to_string(t - c) + std::to_string(m - c) + std::to_string(b - c);
}

TEST(CornerOrder, DistinctYs)
{
    EXPECT_EQ(order(0, 5, 9), "012");
    EXPECT_EQ(order(9, 5, 0), "210");
    EXPECT_EQ(order(5, 0, 9), "102");
    EXPECT_EQ(order(5, 9, 0), "201");
}

TEST(CornerOrder, TiesFollowTheComparisonOrder)
{
    EXPECT_EQ(order(5, 5, 5), "102"); // corner 1 is top on a tie of 0 and 1
    EXPECT_EQ(order(0, 0, 9), "102");
    EXPECT_EQ(order(9, 0, 0), "120"); // corner 2 is not above the top, but above corner 0
    EXPECT_EQ(order(0, 9, 0), "021"); // corner 2 ties the top: it becomes the middle
    EXPECT_EQ(order(0, 9, 9), "012"); // corner 2 ties the other: the other stays the middle
}

TEST(Coverage, FlatBottomDrawsItsBottomRow)
{
    Canvas c(32, 16);
    fill(tri(0, 0, 10, 10, 0, 10));
    for (int y = 0; y <= 10; y++) EXPECT_EQ(c.span(y), "0.." + std::to_string(y)) << "row " << y;
    EXPECT_EQ(c.span(11), "");
}

TEST(Coverage, FlatTopLeavesItsBottomRow)
{
    Canvas c(32, 16);
    fill(tri(0, 0, 10, 0, 0, 10));
    for (int y = 0; y < 10; y++)
        EXPECT_EQ(c.span(y), "0.." + std::to_string(10 - y)) << "row " << y;
    EXPECT_EQ(c.span(10), "");
}

TEST(Coverage, GeneralTriangleOwnsRowsTopToBottomMinusOne)
{
    Canvas c(64, 64);
    fill(tri(20, 5, 40, 30, 2, 50));
    EXPECT_EQ(c.span(4), "");
    EXPECT_NE(c.span(5), "");
    EXPECT_NE(c.span(49), "");
    EXPECT_EQ(c.span(50), "");
    for (int y = 5; y < 50; y++) EXPECT_NE(c.span(y), "gap");
}

TEST(Coverage, SpanEndsAtFloorOfRightEdgePlusSevenEighths)
{
    Canvas c(32, 16);
    // Right edge from (10, 0) with a step of exactly 1/8 per row: at row 1 it stands at 10.125.
    fill(tri(0, 0, 10, 0, 11, 8));
    EXPECT_EQ(c.span(0), "0..10");
    EXPECT_EQ(c.span(1), "1..11");
    c.clear();
    // A step of 0.1 (6553/65536 in 16.16): 10.1 still ends at 10, 10.2 reaches 11.
    fill(tri(0, 0, 10, 0, 11, 10));
    EXPECT_EQ(c.span(1), "1..10");
    EXPECT_EQ(c.span(2), "2..11");
}

TEST(Coverage, SharedEdgesLeaveNoGaps)
{
    Canvas c(64, 64);
    fill(tri(3, 2, 60, 9, 17, 55), 1);
    fill(tri(60, 9, 17, 55, 58, 61), 2);
    fill(tri(3, 2, 17, 55, 0, 40), 3);
    // Every pixel centre strictly inside the outline is covered by one of the pieces.
    auto inside = [](double px, double py, double ax, double ay, double bx, double by, double cx,
                     double cy) {
        auto side = [&](double x0, double y0, double x1, double y1) {
            return (x1 - x0) * (py - y0) - (y1 - y0) * (px - x0);
        };
        const double s0 = side(ax, ay, bx, by), s1 = side(bx, by, cx, cy),
                     s2 = side(cx, cy, ax, ay);
        return (s0 > 1 && s1 > 1 && s2 > 1) || (s0 < -1 && s1 < -1 && s2 < -1);
    };
    for (int y = 0; y < 64; y++)
        for (int x = 0; x < 64; x++) {
            const bool in = inside(x, y, 3, 2, 60, 9, 17, 55) ||
                            inside(x, y, 60, 9, 17, 55, 58, 61) ||
                            inside(x, y, 3, 2, 17, 55, 0, 40);
            if (in) {
                EXPECT_NE(c.at(x, y), 0) << x << "," << y;
            }
        }
}

TEST(Coverage, DegenerateTrianglesDrawNothing)
{
    Canvas c(32, 32);
    fill(tri(0, 5, 20, 5, 31, 5)); // one row
    fill(tri(4, 4, 4, 4, 4, 4));   // one point
    EXPECT_EQ(c.count(1), 0);
    // A vertical needle: every row gets at least its one pixel, nothing divides by zero.
    fill(tri(7, 0, 7, 20, 7, 30));
    for (int y = 0; y < 30; y++) EXPECT_EQ(c.span(y), "7..7");
}

TEST(Coverage, CornerOrderDoesNotChangeCoverage)
{
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> d(-20, 80);
    for (int n = 0; n < 200; n++) {
        const int x[3] = {d(rng), d(rng), d(rng)}, y[3] = {d(rng), d(rng), d(rng)};
        if (y[0] == y[1] || y[1] == y[2] || y[0] == y[2]) continue;
        Canvas c(64, 64);
        fill(tri(x[0], y[0], x[1], y[1], x[2], y[2]));
        const std::vector<uint8_t> first = c.pixels;
        const int p[5][3] = {{0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
        for (const auto& q : p) {
            c.clear();
            fill(tri(x[q[0]], y[q[0]], x[q[1]], y[q[1]], x[q[2]], y[q[2]]));
            ASSERT_EQ(c.pixels, first) << "triangle " << n;
        }
    }
}

TEST(Clipping, OutsideTheTargetTouchesNothing)
{
    // A one-row target inside a guarded buffer: nothing may land outside it.
    std::vector<uint8_t> buf(3 * 32, 7);
    set_render_target(buf.data() + 32, 32, 1);
    fill(tri(0, -20, 31, -10, 5, -1)); // yb < 0
    fill(tri(0, 1, 31, 5, 5, 30));     // yt >= height
    fill(tri(-40, -5, -1, 0, -30, 9)); // wholly left
    fill(tri(32, -5, 90, 0, 40, 9));   // wholly right
    for (uint8_t b : buf) EXPECT_EQ(b, 7);
    set_render_target(nullptr, 0, 0);
}

TEST(Clipping, RowWhollyOutsideIsSkippedNotASliver)
{
    Canvas c(32, 32);
    fill(tri(-20, 0, -2, 0, -11, 20)); // spans end at x <= -2 + 0.875
    EXPECT_EQ(c.count(1), 0);
    fill(tri(40, 0, 60, 0, 50, 20));
    EXPECT_EQ(c.count(1), 0);
}

// Clipping at row 0 and column 0 must start exactly where the unclipped walk would be: the
// same triangle moved by whole pixels covers the same pixels, moved.
TEST(Clipping, ClippedWalkMatchesTheUnclippedOne)
{
    std::mt19937 rng(11);
    std::uniform_int_distribution<int> d(0, 120);
    for (int n = 0; n < 300; n++) {
        const ScreenTriangle t =
            tri(d(rng) + 100, d(rng) + 100, d(rng) + 100, d(rng) + 100, d(rng) + 100, d(rng) + 100);
        Canvas whole(400, 400);
        fill(t);
        const std::vector<uint8_t> ref = whole.pixels;
        // Move up and left by 100..220 pixels, and cut the height to 150 rows.
        const int sx = 100 + n % 121, sy = 100 + (n * 7) % 121;
        if (std::max({t.y0, t.y1, t.y2}) == sy) continue; // see BottomRowAtRowZero
        Canvas part(400, 150);
        fill(tri(t.x0 - sx, t.y0 - sy, t.x1 - sx, t.y1 - sy, t.x2 - sx, t.y2 - sy));
        for (int y = 0; y < 150; y++)
            for (int x = 0; x < 400; x++) {
                const int rx = x + sx, ry = y + sy;
                const uint8_t want = rx < 400 && ry < 400 ? ref[size_t(ry) * 400 + rx] : 0;
                ASSERT_EQ(part.at(x, y), want) << "triangle " << n << " at " << x << "," << y;
            }
    }
}

// A triangle entering the target from above with its bottom exactly on row 0 draws that row:
// the row reached when the walk is advanced onto row 0 is always drawn.
TEST(Clipping, BottomRowAtRowZero)
{
    Canvas c(32, 8);
    fill(tri(20, -2, 5, 0, 0, -1)); // lower half reached from above
    EXPECT_NE(c.span(0), "");
    c.clear();
    fill(tri(0, -3, 20, -3, 5, 0)); // flat top above the target
    EXPECT_NE(c.span(0), "");
    c.clear();
    fill(tri(20, 2, 5, 4, 0, 3)); // the same shape inside: its bottom row stays empty
    EXPECT_EQ(c.span(4), "");
}

TEST(Clipping, FarOffCornersAreCutSafely)
{
    Canvas c(320, 240);
    // Corners far beyond 16.16 range: the visible part is still drawn, nothing overflows.
    fill(tri(-2000000, -1000000, 3000000, -1000000, 160, 3000000));
    EXPECT_EQ(c.count(1), 320 * 240);
    c.clear();
    fill(tri(10, 10, 300, 200, 100000, 120));
    EXPECT_EQ(c.at(150, 60), 1); // inside, well away from the edges
    EXPECT_EQ(c.at(150, 110), 0);
    EXPECT_EQ(c.at(20, 200), 0); // outside
    EXPECT_EQ(c.at(10, 10), 1);  // the near corner keeps its place
    // Tall halves across the whole 16-bit range.
    c.clear();
    fill(tri(0, -32768, 319, 32767, 5, 32767));
    fill(tri(0, -32768, 1, -32768, 319, 32767));
    EXPECT_GT(c.count(1), 0);
}

TEST(Clipping, TargetRowsEndWithItsLastRow)
{
    std::vector<uint8_t> buf(4 * 3, 0);
    set_render_target(buf.data(), 4, 3);
    EXPECT_EQ(render_target.row_table[2], buf.data() + 8);
    EXPECT_EQ(render_target.row_table[3], nullptr);
    set_render_target(nullptr, 0, 0);
}

TEST(Clipping, TargetHeightCapsAt1024Rows)
{
    std::vector<uint8_t> buf(4 * 1100, 0);
    set_render_target(buf.data(), 4, 1100);
    EXPECT_EQ(render_target.height, 1024);
    fill(tri(0, 0, 3, 0, 0, 2000));
    EXPECT_EQ(buf[4 * 1023], 1);
    EXPECT_EQ(buf[4 * 1024], 0);
    set_render_target(nullptr, 0, 0);
}

} // namespace
