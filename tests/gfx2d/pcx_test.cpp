#include "gfx2d/pcx.h"

#include "data/files.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// A header of the accepted variant: 0A 05 01 08, the given size and bytes per line.
Bytes pcx_header(int w, int h, int bytes_per_line)
{
    Bytes b(128, 0);
    b[0] = 0x0a, b[1] = 5, b[2] = 1, b[3] = 8;
    b[8] = uint8_t(w - 1), b[9] = uint8_t((w - 1) >> 8);
    b[10] = uint8_t(h - 1), b[11] = uint8_t((h - 1) >> 8);
    b[66] = uint8_t(bytes_per_line), b[67] = uint8_t(bytes_per_line >> 8);
    return b;
}

Bytes with_palette(Bytes b, bool marker = true)
{
    if (marker) b.push_back(0x0c);
    for (int i = 0; i < 768; i++) b.push_back(uint8_t(i * 7));
    return b;
}

class PcxFile : public ::testing::Test {
  protected:
    std::string path = "pcx_test_" + std::to_string(getpid()) + ".pcx";
    void TearDown() override { unlink(path.c_str()); }
    void write(const Bytes& b) { ASSERT_EQ(file_write_all(path.c_str(), b.data(), b.size()), 0); }

    // Reads the file expecting success; returns the pixels.
    Bytes read_ok(int want_w, int want_h)
    {
        uint8_t* px = nullptr;
        int32_t w = 0, h = 0;
        EXPECT_EQ(pcx_read(path.c_str(), &px, nullptr, &w, &h), 0);
        EXPECT_EQ(w, want_w);
        EXPECT_EQ(h, want_h);
        Bytes out;
        if (px) out.assign(px, px + size_t(w) * h);
        std::free(px);
        return out;
    }
    int read_result()
    {
        uint8_t* px = reinterpret_cast<uint8_t*>(1);
        uint8_t pal[768];
        int32_t w, h;
        const int r = pcx_read(path.c_str(), &px, pal, &w, &h);
        if (r == 0) std::free(px);
        return r;
    }
};

TEST_F(PcxFile, RunsCrossRowsAndCountZeroWritesNothing)
{
    Bytes b = pcx_header(3, 2, 3);
    // A run of 4 across the row boundary, a count-0 run, then single pixels.
    for (uint8_t v : {0xc4, 7, 0xc0, 99, 1, 2}) b.push_back(v);
    write(with_palette(b));
    EXPECT_EQ(read_ok(3, 2), (Bytes{7, 7, 7, 7, 1, 2}));
}

TEST_F(PcxFile, PaddedRowsLoseTheirExtraBytes)
{
    Bytes b = pcx_header(3, 2, 5);
    for (uint8_t v : {1, 2, 3, 0xee & 0x3f, 0x3f, 4, 5, 6, 9, 9}) b.push_back(v);
    write(with_palette(b));
    EXPECT_EQ(read_ok(3, 2), (Bytes{1, 2, 3, 4, 5, 6}));
}

TEST_F(PcxFile, HighValuesComeOnlyThroughRuns)
{
    Bytes b = pcx_header(2, 1, 2);
    for (uint8_t v : {0xc1, 0xc0, 0xc1, 0xff}) b.push_back(v);
    write(with_palette(b));
    EXPECT_EQ(read_ok(2, 1), (Bytes{0xc0, 0xff}));
}

TEST_F(PcxFile, PaletteIsTheLastBytesWithOrWithoutMarker)
{
    Bytes b = pcx_header(1, 1, 1);
    b.push_back(5);
    write(with_palette(b, false));
    uint8_t pal[768];
    int32_t w = 0, h = 0;
    // A palette-only read: size and colours, no pixels.
    ASSERT_EQ(pcx_read(path.c_str(), nullptr, pal, &w, &h), 0);
    EXPECT_EQ(w, 1);
    EXPECT_EQ(h, 1);
    for (int i = 0; i < 768; i++) ASSERT_EQ(pal[i], uint8_t(i * 7));
    EXPECT_EQ(pcx_read_palette(path.c_str(), pal), PCX_OK);
}

TEST_F(PcxFile, OtherVariantsAreRejected)
{
    for (int field : {0, 1, 2, 3}) {
        Bytes b = pcx_header(1, 1, 1);
        b[field] ^= 0x02; // version 7, encoding 3, bits per pixel 10, ...
        b.push_back(5);
        write(with_palette(b));
        EXPECT_EQ(read_result(), -2) << field;
    }
    write(Bytes{0x0a, 5, 1, 8, 0, 0}); // shorter than the header
    EXPECT_EQ(read_result(), -2);
}

TEST_F(PcxFile, MissingAndEmptyFiles)
{
    EXPECT_EQ(read_result(), -1);
    uint8_t* px = reinterpret_cast<uint8_t*>(1); // every failure leaves the pointer null
    EXPECT_EQ(pcx_read(path.c_str(), &px, nullptr, nullptr, nullptr), -1);
    EXPECT_EQ(px, nullptr);
    write(Bytes{0x0a, 5, 1, 8, 0, 0});
    px = reinterpret_cast<uint8_t*>(1);
    EXPECT_EQ(pcx_read(path.c_str(), &px, nullptr, nullptr, nullptr), -2);
    EXPECT_EQ(px, nullptr);
    write(Bytes{});
    EXPECT_EQ(read_result(), -1);
    Image* img = reinterpret_cast<Image*>(8);
    EXPECT_EQ(pcx_load_image(path.c_str(), &img, nullptr), -1);
    EXPECT_EQ(img, nullptr);
}

TEST_F(PcxFile, MalformedDataIsRefused)
{
    Bytes truncated = pcx_header(4, 4, 4);
    truncated.push_back(0xc5); // 5 of 16 pixels, then the file ends
    truncated.push_back(1);
    write(truncated);
    uint8_t* px = reinterpret_cast<uint8_t*>(1);
    int32_t w, h;
    EXPECT_EQ(pcx_read(path.c_str(), &px, nullptr, &w, &h), -4);
    EXPECT_EQ(px, nullptr);

    Bytes narrow_lines = pcx_header(4, 1, 3); // bytes per line below the width
    for (int i = 0; i < 4; i++) narrow_lines.push_back(1);
    write(with_palette(narrow_lines));
    EXPECT_EQ(read_result(), -4);

    Bytes inverted = pcx_header(1, 1, 1);
    inverted[4] = 5; // xmin beyond xmax: a width of -4
    write(with_palette(inverted));
    EXPECT_EQ(read_result(), -4);

    Bytes no_palette = pcx_header(1, 1, 1);
    no_palette.push_back(3);
    write(no_palette);
    EXPECT_EQ(read_result(), -4);

    // A huge size claimed by a tiny file is refused before anything is allocated.
    Bytes huge = pcx_header(65535, 65535, 65535);
    write(with_palette(huge));
    EXPECT_EQ(read_result(), -4);
}

TEST_F(PcxFile, WriterRoundTripsPicturesAndPalettes)
{
    Image* img;
    ASSERT_EQ(image_create(&img, 70, 5), 0);
    for (uint32_t i = 0; i < 70 * 5; i++) img->pixels[i] = uint8_t(i < 100 ? 0xc7 : i * 31 / 7);
    uint8_t pal[768];
    for (int i = 0; i < 768; i++) pal[i] = uint8_t(255 - i);
    ASSERT_EQ(pcx_write(path.c_str(), img, pal), PCX_OK);

    Image* back;
    uint8_t pal_back[768];
    ASSERT_EQ(pcx_load_image(path.c_str(), &back, pal_back), PCX_OK);
    ASSERT_EQ(back->width, 70u);
    ASSERT_EQ(back->height, 5u);
    EXPECT_EQ(Bytes(back->pixels, back->pixels + 350), Bytes(img->pixels, img->pixels + 350));
    EXPECT_EQ(Bytes(pal_back, pal_back + 768), Bytes(pal, pal + 768));
    image_destroy(&img);
    image_destroy(&back);
}

} // namespace
