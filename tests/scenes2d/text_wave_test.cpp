#include "gfx2d/palette.h"
#include "scenes2d/text_wave.h"

#include <gtest/gtest.h>

namespace {

struct TextWave : ::testing::Test {
    TextMesh mesh;
    void SetUp() override
    {
        trig_tables_init();
        text_mesh_init(&mesh, 320, 240, 256, 256);
    }
};

TEST_F(TextWave, MeshSpansLayerAndTextureEdgeToEdge)
{
    const int x[] = {0, 35, 71, 106, 142, 178, 213, 249, 285, 320};
    const int u[] = {0, 28, 57, 85, 114, 142, 171, 199, 228, 256};
    const int y[] = {0, 34, 68, 103, 137, 172, 206, 240};
    const int v[] = {0, 36, 73, 110, 146, 183, 220, 256};
    for (int e = 0; e < TEXT_MESH_COLUMNS; e++)
        for (int j = 0; j < TEXT_MESH_ROWS; j++) {
            EXPECT_EQ(mesh.base[e][j].x, x[e]);
            EXPECT_EQ(mesh.base[e][j].y, y[j]);
            EXPECT_EQ(mesh.tex[e][j].u, u[e]);
            EXPECT_EQ(mesh.tex[e][j].v, v[j]);
            EXPECT_EQ(mesh.shift[e][j].x, 0);
            EXPECT_EQ(mesh.shift[e][j].y, 0);
        }
}

TEST_F(TextWave, FirstFrameMovesInnerColumnsAndRowsOnly)
{
    text_mesh_wave(&mesh, 0);
    const int dx[] = {9, 18, 25, 30, 31, 30, 25, 18};
    const int dy[] = {29, 22, 12, 0, -13, -23};
    for (int e = 1; e <= 8; e++)
        for (int j = 1; j <= 6; j++) {
            EXPECT_EQ(mesh.shift[e][j].x, dx[e - 1]) << e << "," << j;
            EXPECT_EQ(mesh.shift[e][j].y, dy[j - 1]) << e << "," << j;
        }
    // The border stays on the screen's edge.
    for (int e = 0; e < TEXT_MESH_COLUMNS; e++) {
        EXPECT_EQ(mesh.shift[e][0].x, 0);
        EXPECT_EQ(mesh.shift[e][7].y, 0);
    }
    for (int j = 0; j < TEXT_MESH_ROWS; j++) {
        EXPECT_EQ(mesh.shift[0][j].x, 0);
        EXPECT_EQ(mesh.shift[9][j].y, 0);
    }
}

TEST_F(TextWave, LaterFramesKeepColumnsAndRowsTogether)
{
    text_mesh_wave(&mesh, 137);
    for (int e = 1; e <= 8; e++)
        for (int j = 2; j <= 6; j++) EXPECT_EQ(mesh.shift[e][j].x, mesh.shift[e][1].x);
    for (int j = 1; j <= 6; j++)
        for (int e = 2; e <= 8; e++) EXPECT_EQ(mesh.shift[e][j].y, mesh.shift[1][j].y);
    // Both waves together never reach further than 1023 >> 5 plus 1023 >> 6.
    for (int e = 1; e <= 8; e++) EXPECT_LE(std::abs(mesh.shift[e][1].x), 31 + 15);
}

TEST(TextPageSize, GrowsStaysAndShrinksEverySevenSeconds)
{
    for (int t = 0; t < 20; t++) {
        const TextPageSize s = text_page_size(t);
        EXPECT_EQ(s.width, 11 * t);
        EXPECT_EQ(s.height, std::min(11 * t, 180));
    }
    for (int t = 20; t <= 52; t++) {
        EXPECT_EQ(text_page_size(t).width, 220) << t;
        EXPECT_EQ(text_page_size(t).height, 180) << t;
    }
    EXPECT_EQ(text_page_size(53).width, 209);
    EXPECT_EQ(text_page_size(71).width, 11);
    EXPECT_EQ(text_page_size(72).width, 0); // next page: nothing drawn this frame
    EXPECT_EQ(text_page_size(72 + 20).width, 220);
    EXPECT_EQ(text_page_size(359).width, 11);
}

TEST_F(TextWave, PaletteRampThenCyclingColours)
{
    uint8_t palette[768];
    text_palette_ramp(palette);
    EXPECT_EQ(palette[0] | palette[1] | palette[2], 0);
    EXPECT_EQ(palette[64 * 3 + 0], 63);
    EXPECT_EQ(palette[64 * 3 + 2], 127);
    EXPECT_EQ(palette[127 * 3 + 0], 251);
    EXPECT_EQ(palette[127 * 3 + 1], 251);
    EXPECT_EQ(palette[127 * 3 + 2], 253);
    for (int i = 128 * 3; i < 768; i++) ASSERT_EQ(palette[i], 0);

    text_palette_cycle(palette, 0);
    EXPECT_EQ(palette[128 * 3 + 0], 127);
    EXPECT_EQ(palette[128 * 3 + 1], 127);
    EXPECT_EQ(palette[128 * 3 + 2], 255);
    EXPECT_EQ(palette[127 * 3 + 2], 253); // the ramp is left alone
    // Frame 10 starts the red wave at 73 and the green one at 57.
    text_palette_cycle(palette, 10);
    EXPECT_EQ(palette[128 * 3 + 0], (1023 - sin_table[73]) >> 3);
    EXPECT_EQ(palette[129 * 3 + 1], (sin_table[57 + 16] + 1023) >> 3);
    EXPECT_EQ(palette[255 * 3 + 2], (cos_table[(21 + 8 * 127) & 1023] + 1023) >> 3);
}

} // namespace
