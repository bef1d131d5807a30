#include "display/pixels.h"
#include "display/x11/x11_scale.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr PixelChannels RGB565 = {pixels_channel_from_mask(0xf800),
                                  pixels_channel_from_mask(0x07e0),
                                  pixels_channel_from_mask(0x001f)};
constexpr PixelChannels RGB888 = {pixels_channel_from_mask(0xff0000),
                                  pixels_channel_from_mask(0x00ff00),
                                  pixels_channel_from_mask(0x0000ff)};
constexpr PixelChannels RGB101010 = {pixels_channel_from_mask(0x3ff00000),
                                     pixels_channel_from_mask(0x000ffc00),
                                     pixels_channel_from_mask(0x000003ff)};
// Xvfb's 8-bit TrueColor visual: red in the low bits.
constexpr PixelChannels BGR233 = {pixels_channel_from_mask(0x07), pixels_channel_from_mask(0x38),
                                  pixels_channel_from_mask(0xc0)};

TEST(PixelChannels, MasksGiveShiftAndWidth)
{
    EXPECT_EQ(RGB565.red.shift, 11);
    EXPECT_EQ(RGB565.red.bits, 5);
    EXPECT_EQ(RGB565.green.shift, 5);
    EXPECT_EQ(RGB565.green.bits, 6);
    EXPECT_EQ(RGB565.blue.shift, 0);
    EXPECT_EQ(RGB565.blue.bits, 5);
    EXPECT_EQ(RGB101010.red.shift, 20);
    EXPECT_EQ(RGB101010.red.bits, 10);
    EXPECT_EQ(BGR233.blue.shift, 6);
    EXPECT_EQ(BGR233.blue.bits, 2);
    EXPECT_EQ(pixels_channel_from_mask(0).bits, 0);
}

TEST(PixelChannels, PixelValuesKeepTheTopBits)
{
    EXPECT_EQ(pixels_value(255, 255, 255, RGB565), 0xffffu);
    EXPECT_EQ(pixels_value(255, 0, 0, RGB565), 0xf800u);
    EXPECT_EQ(pixels_value(0x0f, 0x0c, 0x08, RGB565), 0x0861u);
    EXPECT_EQ(pixels_value(0x12, 0x34, 0x56, RGB888), 0x123456u);
    EXPECT_EQ(pixels_value(255, 1, 128, RGB101010), 1020u << 20 | 4u << 10 | 512u);
    EXPECT_EQ(pixels_value(255, 255, 255, BGR233), 0xffu);
    EXPECT_EQ(pixels_value(0, 0, 0x80, BGR233), 0x80u);
}

TEST(PixelTable, EntriesFollowThePaletteAndTheServersByteOrder)
{
    uint8_t palette[768] = {};
    palette[3] = 255; // entry 1: red
    palette[3 * 255 + 0] = palette[3 * 255 + 1] = palette[3 * 255 + 2] = 255;

    std::array<uint16_t, 256> t16;
    pixels_table_fill(t16, palette, RGB565, false);
    EXPECT_EQ(t16[0], 0x0000);
    EXPECT_EQ(t16[1], 0xf800);
    EXPECT_EQ(t16[255], 0xffff);
    pixels_table_fill(t16, palette, RGB565, true);
    EXPECT_EQ(t16[1], 0x00f8);

    std::array<uint32_t, 256> t32;
    pixels_table_fill(t32, palette, RGB888, true);
    EXPECT_EQ(t32[1], 0x0000ff00u);

    std::array<uint8_t, 256> t8;
    pixels_table_fill(t8, palette, BGR233, false);
    EXPECT_EQ(t8[1], 0x07);
    EXPECT_EQ(t8[255], 0xff);
}

// A 3x2 frame into an image with padded rows: each row lands at its stride, the padding stays.
template <typename T>
std::vector<T> convert(int pixel_size, size_t stride_entries)
{
    const uint8_t frame[6] = {0, 1, 2, 3, 4, 5};
    std::array<T, 256> table{};
    for (size_t i = 0; i < table.size(); i++) table[i] = T(0x10 + i);
    std::vector<T> image(stride_entries * 2 * pixel_size, T(0xee));
    pixels_convert<T>(frame, 3, 2, table, reinterpret_cast<uint8_t*>(image.data()),
                      stride_entries * sizeof(T), pixel_size);
    return image;
}

template <typename T>
class PixelConvert : public ::testing::Test {
};
using EntryTypes = ::testing::Types<uint8_t, uint16_t, uint32_t>;
TYPED_TEST_SUITE(PixelConvert, EntryTypes);

TYPED_TEST(PixelConvert, PixelSizeOneLooksUpEachPixel)
{
    using T = TypeParam;
    const std::vector<T> want = {0x10, 0x11, 0x12, 0xee, 0x13, 0x14, 0x15, 0xee};
    EXPECT_EQ(convert<T>(1, 4), want);
}

TYPED_TEST(PixelConvert, PixelSizeTwoMakesTwoByTwoBlocks)
{
    using T = TypeParam;
    const std::vector<T> want = {
        0x10, 0x10, 0x11, 0x11, 0x12, 0x12, 0xee, //
        0x10, 0x10, 0x11, 0x11, 0x12, 0x12, 0xee, //
        0x13, 0x13, 0x14, 0x14, 0x15, 0x15, 0xee, //
        0x13, 0x13, 0x14, 0x14, 0x15, 0x15, 0xee,
    };
    EXPECT_EQ(convert<T>(2, 7), want);
}

TYPED_TEST(PixelConvert, PixelSizeThreeMakesThreeByThreeBlocks)
{
    using T = TypeParam;
    const std::vector<T> image = convert<T>(3, 10);
    for (size_t y = 0; y < 6; y++) {
        for (size_t x = 0; x < 9; x++)
            EXPECT_EQ(image[y * 10 + x], T(0x10 + (y / 3) * 3 + x / 3)) << x << "," << y;
        EXPECT_EQ(image[y * 10 + 9], T(0xee)) << "padding of row " << y;
    }
}

// One put for every screen: palette indices as they are, or 1-, 2- and 4-byte pixels from the
// table of the screen's width, filled from the palette; rows land at their stride.
TEST(PixelTables, EachScreenWidthGoesThroughItsOwnTable)
{
    uint8_t grey[768];
    for (int i = 0; i < 768; i++) grey[i] = uint8_t(i / 3);
    const uint8_t frame[4] = {0, 1, 128, 255}; // 2x2
    struct Case {
        int bytes;
        PixelChannels channels;
        std::array<uint32_t, 4> want;
    };
    for (const Case& k : {Case{0, {}, {0, 1, 128, 255}}, Case{1, BGR233, {0, 0, 0xa4, 0xff}},
                          Case{2, RGB565, {0, 0, 0x8410, 0xffff}},
                          Case{4, RGB888, {0, 0x010101, 0x808080, 0xffffff}}}) {
        PixelTables tables;
        tables.bytes = k.bytes;
        pixels_tables_fill(&tables, grey, k.channels, false);
        const size_t width = size_t(std::max(k.bytes, 1)), stride = 3 * width;
        std::vector<uint8_t> image(2 * stride, 0xee);
        pixels_put(tables, frame, 2, 2, image.data(), stride, 1);
        for (size_t i = 0; i < 4; i++) {
            uint32_t value = 0;
            std::memcpy(&value, &image[i / 2 * stride + i % 2 * width], width);
            EXPECT_EQ(value, k.want[i]) << k.bytes << " bytes, pixel " << i;
        }
        EXPECT_EQ(image[stride - 1], 0xee) << k.bytes << " bytes: the row's padding";
    }
}

TEST(X11Layout, LargestWholeScaleThatFitsCentred)
{
    constexpr X11Layout exact = x11_layout_fit(960, 720, 320, 240);
    EXPECT_EQ(exact.scale, 3);
    EXPECT_EQ(exact.x, 0);
    EXPECT_EQ(exact.y, 0);
    // 1920x1080: height decides, 4 x 240 = 960, 320 x 4 = 1280.
    constexpr X11Layout hd = x11_layout_fit(1920, 1080, 320, 240);
    EXPECT_EQ(hd.scale, 4);
    EXPECT_EQ(hd.x, 320);
    EXPECT_EQ(hd.y, 60);
    // Just short of the next scale.
    EXPECT_EQ(x11_layout_fit(959, 2000, 320, 240).scale, 2);
    // Smaller than the frame: scale 1 at the top left corner.
    constexpr X11Layout small = x11_layout_fit(200, 100, 320, 240);
    EXPECT_EQ(small.scale, 1);
    EXPECT_EQ(small.x, 0);
    EXPECT_EQ(small.y, 0);
}

TEST(X11Layout, ScaleOptionIsOneToEight)
{
    EXPECT_EQ(x11_scale_from_text("1"), 1);
    EXPECT_EQ(x11_scale_from_text("8"), 8);
    for (const char* bad : {"0", "9", "", "3x", "-2", "12", " 3"})
        EXPECT_EQ(x11_scale_from_text(bad), 0) << bad;
    EXPECT_EQ(x11_scale_from_text(nullptr), 0);
}

TEST(PixelConvert, IdentityTableDoublesIndicesUnchanged)
{
    const uint8_t frame[2] = {7, 200};
    uint8_t image[8] = {};
    pixels_convert<uint8_t>(frame, 2, 1, pixels_identity_table, image, 4, 2);
    const uint8_t want[8] = {7, 7, 200, 200, 7, 7, 200, 200};
    EXPECT_EQ(0, std::memcmp(image, want, sizeof want));
}

} // namespace
