#include "gfx2d/palette.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace {

Palette grey_palette()
{
    Palette p;
    for (int i = 0; i < 256; i++) p[3 * i] = p[3 * i + 1] = p[3 * i + 2] = uint8_t(i);
    return p;
}

TEST(PaletteNearest, ExactAndClosestMatches)
{
    Palette p = grey_palette();
    EXPECT_EQ(palette_nearest(colour_pack(77, 77, 77), p.data()), 77);
    EXPECT_EQ(palette_nearest(colour_pack(10, 12, 14), p.data()), 12);
    // Bits above blue are ignored.
    EXPECT_EQ(palette_nearest(colour_pack(200, 200, 200) | 0xff000000u, p.data()), 200);
}

TEST(PaletteNearest, TiesGoToTheLowestIndex)
{
    Palette p{};
    p.fill(40);
    EXPECT_EQ(palette_nearest(colour_pack(0, 0, 0), p.data()), 0);
    p[3 * 9] = 0; // (0, 40, 40) at 9 and at 10 are equally far from (0, 40, 40)... and exact
    p[3 * 10] = 0;
    EXPECT_EQ(palette_nearest(colour_pack(0, 40, 40), p.data()), 9);
}

TEST(ShadeTable, AllEqualEntriesGiveTheHighestIndex)
{
    Palette p{};
    p.fill(123);
    ShadeTable t;
    shade_table_build(p.data(), t.data());
    for (uint8_t v : t) ASSERT_EQ(v, 255);
}

TEST(ShadeTable, MiddleRowsAreTheColourItselfAndRowsScale)
{
    Palette p = grey_palette();
    p[3 * 200] = p[3 * 200 + 1] = p[3 * 200 + 2] = 100; // 100 twice: at 100 and 200
    ShadeTable t;
    shade_table_build(p.data(), t.data());
    for (int c : {0, 1, 50, 128, 255}) {
        EXPECT_EQ(t[31 * 256 + c], c);
        EXPECT_EQ(t[32 * 256 + c], c);
    }
    EXPECT_EQ(t[31 * 256 + 100], 200); // equal colours: the highest index
    // Row L darkens to floor(C (L + 1) / 32), row j brightens to min(255, C (j - 16) / 16).
    EXPECT_EQ(t[15 * 256 + 128], 64);
    EXPECT_EQ(t[48 * 256 + 64], 128);
    EXPECT_EQ(t[63 * 256 + 16], 47);
    EXPECT_EQ(t[63 * 256 + 250], 255);
    // Row 0 takes everything below 32 to black.
    for (int c = 0; c < 32; c++) EXPECT_EQ(t[c], 0);
    // Black stays black.
    for (int row = 0; row < 64; row++) EXPECT_EQ(t[row * 256], 0);
}

TEST(TrigTables, KnownEntries)
{
    trig_tables_init();
    EXPECT_EQ(sin_table[0], 0);
    EXPECT_EQ(sin_table[1], 6);
    EXPECT_EQ(sin_table[256], 1023);
    EXPECT_EQ(sin_table[768], -1023);
    EXPECT_EQ(cos_table[0], 1023);
    EXPECT_EQ(cos_table[256], 0);
    EXPECT_EQ(cos_table[512], -1023);
    for (int i = 0; i < TRIG_STEPS; i++) {
        ASSERT_LE(std::abs(sin_table[i]), 1023);
        ASSERT_LE(std::abs(cos_table[i]), 1023);
    }
}

} // namespace
