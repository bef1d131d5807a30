#include "gfx2d/image.h"

#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

struct ImageDeleter {
    void operator()(Image* img) const { image_destroy(&img); }
};
using ImagePtr = std::unique_ptr<Image, ImageDeleter>;

ImagePtr make_image(uint32_t w, uint32_t h, uint8_t fill = 0)
{
    Image* img;
    EXPECT_EQ(image_create(&img, w, h), 0);
    image_clear(img, fill);
    return ImagePtr(img);
}

uint8_t at(const Image& img, int x, int y)
{
    return img.pixels[y * img.width + x];
}

// A source whose pixel (x, y) is x + 10 y, so every sample shows where it came from.
ImagePtr make_ramp(uint32_t w, uint32_t h)
{
    ImagePtr img = make_image(w, h);
    for (uint32_t y = 0; y < h; y++)
        for (uint32_t x = 0; x < w; x++) img->pixels[y * w + x] = uint8_t(x + 10 * y);
    return img;
}

TEST(ImageCreate, EmptyImageIsASuccess)
{
    Image* img = nullptr;
    ASSERT_EQ(image_create(&img, 0, 5), 0);
    EXPECT_EQ(img->width, 0u);
    EXPECT_EQ(img->height, 5u);
    image_destroy(&img);
}

TEST(ImageCreate, PixelsStartBlackAndClearUsesLowByte)
{
    ImagePtr img = make_image(7, 3);
    for (int i = 0; i < 21; i++) EXPECT_EQ(img->pixels[i], 0);
    image_clear(img.get(), 0x1ff);
    for (int i = 0; i < 21; i++) EXPECT_EQ(img->pixels[i], 0xff);
}

TEST(ImageDestroy, NullHandleIsHarmless)
{
    Image* img = nullptr;
    image_destroy(&img);
    image_destroy(nullptr);
}

TEST(BlitScaled, DoublingRepeatsEveryPixelTwiceInBothDirections)
{
    ImagePtr src = make_ramp(320, 240);
    ImagePtr dst = make_image(640, 480);
    image_blit_scaled(dst.get(), 0, 0, 640, 480, src.get(), 0, 0, 320, 240, 0, 0);
    for (int y = 0; y < 480; y += 37)
        for (int x = 0; x < 640; x += 13) ASSERT_EQ(at(*dst, x, y), at(*src, x / 2, y / 2));
}

TEST(BlitScaled, LeftAndTopClipShowTheRightAndBottomOfTheSource)
{
    ImagePtr src = make_ramp(8, 8);
    ImagePtr dst = make_image(8, 8, 99);
    image_blit_scaled(dst.get(), -2, -3, 8, 8, src.get(), 0, 0, 8, 8, 0, 0);
    EXPECT_EQ(at(*dst, 0, 0), at(*src, 2, 3));
    EXPECT_EQ(at(*dst, 5, 4), at(*src, 7, 7));
    EXPECT_EQ(at(*dst, 6, 0), 99); // beyond the source's right edge
    EXPECT_EQ(at(*dst, 0, 5), 99);
}

TEST(BlitScaled, ClippingKeepsTheUnclippedScale)
{
    ImagePtr src = make_ramp(4, 1);
    ImagePtr dst = make_image(8, 1, 99);
    // 4 source pixels over 8: each twice; the first 2 destination pixels are cut away.
    image_blit_scaled(dst.get(), -2, 0, 8, 1, src.get(), 0, 0, 4, 1, 0, 0);
    const uint8_t want[8] = {1, 1, 2, 2, 3, 3, 99, 99};
    for (int x = 0; x < 8; x++) EXPECT_EQ(at(*dst, x, 0), want[x]) << x;
}

TEST(BlitScaled, RightAndBottomClip)
{
    ImagePtr src = make_ramp(4, 4);
    ImagePtr dst = make_image(6, 6, 99);
    image_blit_scaled(dst.get(), 4, 4, 8, 8, src.get(), 0, 0, 4, 4, 0, 0);
    EXPECT_EQ(at(*dst, 4, 4), at(*src, 0, 0));
    EXPECT_EQ(at(*dst, 5, 5), at(*src, 0, 0));
    EXPECT_EQ(at(*dst, 3, 3), 99);
}

TEST(BlitScaled, RejectedRectanglesDrawNothing)
{
    ImagePtr src = make_ramp(4, 4);
    ImagePtr dst = make_image(4, 4, 99);
    const int cases[][8] = {
        {-4, 0, 4, 4, 0, 0, 4, 4}, // wholly left
        {0, -9, 4, 4, 0, 0, 4, 4}, // wholly above
        {4, 0, 4, 4, 0, 0, 4, 4},  // starts at the right edge
        {0, 0, 0, 4, 0, 0, 4, 4},  // empty destination
        {0, 0, 4, 4, -1, 0, 4, 4}, // source starts left of the picture
        {0, 0, 4, 4, 4, 0, 4, 4},  // source starts beyond the picture
        {0, 0, -4, 4, 0, 0, 4, 4}, // negative size
        {0, 0, 4, 4, 0, 0, 4, -4},
    };
    for (const auto& c : cases) {
        image_blit_scaled(dst.get(), c[0], c[1], c[2], c[3], src.get(), c[4], c[5], c[6], c[7], 0,
                          0);
        for (int i = 0; i < 16; i++) ASSERT_EQ(dst->pixels[i], 99);
    }
}

TEST(BlitScaled, SourcePastThePictureStretchesWhatExists)
{
    ImagePtr src = make_ramp(4, 1);
    ImagePtr dst = make_image(8, 1);
    // Asks for 4 pixels from column 2: only 2 exist, and they fill all 8.
    image_blit_scaled(dst.get(), 0, 0, 8, 1, src.get(), 2, 0, 4, 1, 0, 0);
    const uint8_t want[8] = {2, 2, 2, 2, 3, 3, 3, 3};
    for (int x = 0; x < 8; x++) EXPECT_EQ(at(*dst, x, 0), want[x]) << x;
}

TEST(BlitScaled, KeyColourIsTransparent)
{
    ImagePtr src = make_ramp(4, 1); // 0 1 2 3
    ImagePtr dst = make_image(4, 1, 50);
    image_blit_scaled(dst.get(), 0, 0, 4, 1, src.get(), 0, 0, 4, 1, 0x100, 1); // key 0
    EXPECT_EQ(at(*dst, 0, 0), 50);
    EXPECT_EQ(at(*dst, 1, 0), 1);
    image_blit_scaled(dst.get(), 0, 0, 4, 1, src.get(), 0, 0, 4, 1, 0, 0);
    EXPECT_EQ(at(*dst, 0, 0), 0);
}

TEST(BlurDecay, ZeroStaysZero)
{
    std::vector<uint8_t> p(320 * 240, 0);
    blur_decay(p.data(), 320, 240, 2);
    for (uint8_t v : p) ASSERT_EQ(v, 0);
}

TEST(BlurDecay, UniformAreaLosesAtLeastTheDecay)
{
    std::vector<uint8_t> p(5 * 4, 100);
    blur_decay(p.data(), 5, 4, 2);
    EXPECT_EQ(p[0], 98);
    for (int i = 1; i < 15; i++) EXPECT_EQ(p[i], 97) << i;
    for (int i = 15; i < 19; i++) EXPECT_EQ(p[i], 96) << i;
    EXPECT_EQ(p[19], 100);
}

TEST(BlurDecay, SinglePointSpreadsInMemoryOrder)
{
    std::vector<uint8_t> p(7 * 5, 0);
    p[2 * 7 + 3] = 200;
    blur_decay(p.data(), 7, 5, 2);
    std::vector<uint8_t> want(7 * 5, 0);
    want[1 * 7 + 3] = 23;
    want[2 * 7 + 2] = 23;
    want[2 * 7 + 3] = 103;
    want[2 * 7 + 4] = 10;
    want[3 * 7 + 3] = 10;
    EXPECT_EQ(p, want);
}

TEST(BlurDecay, DecayZeroOnlySmooths)
{
    std::vector<uint8_t> p(4 * 3, 80);
    blur_decay(p.data(), 4, 3, 0x100); // low byte 0
    for (uint8_t v : p) EXPECT_EQ(v, 80);
}

TEST(BlurDecay, TooSmallArraysAreLeftAlone)
{
    std::vector<uint8_t> row = {10, 200, 30};
    blur_decay(row.data(), 3, 1, 2);
    EXPECT_EQ(row, (std::vector<uint8_t>{10, 200, 30}));
}

TEST(Line, CoversBothEndsAndClips)
{
    ImagePtr img = make_image(10, 10);
    image_line(img.get(), 1, 1, 8, 1, 5);
    for (int x = 1; x <= 8; x++) EXPECT_EQ(at(*img, x, 1), 5);
    EXPECT_EQ(at(*img, 0, 1), 0);
    EXPECT_EQ(at(*img, 9, 1), 0);

    // Far outside on both ends: only the visible part is drawn, and quickly.
    image_line(img.get(), -2000000000, 5, 2000000000, 5, 7);
    for (int x = 0; x < 10; x++) EXPECT_EQ(at(*img, x, 5), 7);
    image_line(img.get(), -50, -50, -1, 80, 9); // wholly left
    for (int i = 0; i < 100; i++) EXPECT_NE(img->pixels[i], 9);
}

TEST(Line, TriangleOutlineClosesTheShape)
{
    ImagePtr img = make_image(10, 10);
    image_triangle_outline(img.get(), 0, 0, 9, 0, 0, 9, 3);
    EXPECT_EQ(at(*img, 9, 0), 3);
    EXPECT_EQ(at(*img, 0, 9), 3);
    EXPECT_EQ(at(*img, 0, 5), 3);
    EXPECT_EQ(at(*img, 5, 4), 3); // on the diagonal
    EXPECT_EQ(at(*img, 2, 2), 0);
}

} // namespace
