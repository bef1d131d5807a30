#include "content/content.h"
#include "content/pictures/pictures.h"
#include "content/tools/coverage.h"
#include "content/tools/quantize.h"
#include "data/files.h"
#include "gfx2d/pcx.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <set>
#include <unistd.h>

namespace {

struct ImageDeleter {
    void operator()(Image* img) const { image_destroy(&img); }
};
using ImagePtr = std::unique_ptr<Image, ImageDeleter>;

ImagePtr make_image(uint32_t w, uint32_t h)
{
    Image* img;
    EXPECT_EQ(image_create(&img, w, h), 0);
    return ImagePtr(img);
}

TEST(Quantize, FewColoursComeThroughExactly)
{
    const uint8_t colours[4][3] = {{0, 0, 0}, {250, 10, 10}, {10, 200, 30}, {90, 90, 255}};
    std::vector<uint8_t> rgb;
    for (int i = 0; i < 40 * 30; i++)
        rgb.insert(rgb.end(), colours[(i / 7) % 4], colours[(i / 7) % 4] + 3);
    ImagePtr img = make_image(40, 30);
    uint8_t palette[768];
    quantize_image(rgb, img.get(), palette);
    for (int i = 0; i < 40 * 30; i++)
        for (int k = 0; k < 3; k++)
            ASSERT_EQ(palette[img->pixels[i] * 3 + k], rgb[size_t(i) * 3 + k]);
    // Darkest first: black is entry 0, and unused entries stay black.
    EXPECT_EQ(palette[0] + palette[1] + palette[2], 0);
    EXPECT_EQ(palette[255 * 3] + palette[255 * 3 + 1] + palette[255 * 3 + 2], 0);
}

TEST(Quantize, DitheringKeepsTheAverageOfAGradient)
{
    // A smooth two-channel gradient squeezed into 24 colours: banding would shift block
    // averages by many steps, error diffusion keeps them close. The outermost blocks are left
    // out: palette entries are averages, so the gradient's far corners lie beyond them.
    const int w = 128, h = 64;
    std::vector<uint8_t> rgb;
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++) rgb.insert(rgb.end(), {uint8_t(x * 2), uint8_t(y * 4), 80});
    ImagePtr img = make_image(w, h);
    uint8_t palette[768];
    quantize_image(rgb, img.get(), palette, {24, 4, 1.0});
    double worst = 0;
    for (int by = 8; by < h - 8; by += 8)
        for (int bx = 8; bx < w - 8; bx += 8)
            for (int k = 0; k < 3; k++) {
                double want = 0, got = 0;
                for (int y = by; y < by + 8; y++)
                    for (int x = bx; x < bx + 8; x++) {
                        want += rgb[(size_t(y) * w + x) * 3 + k];
                        got += palette[img->pixels[y * w + x] * 3 + k];
                    }
                worst = std::max(worst, std::abs(want - got) / 64);
            }
    EXPECT_LT(worst, 8.0); // nearest colour only: 15 to 23
}

TEST(Coverage, DilateGrowsADiscAndBlurKeepsTheMass)
{
    Coverage dot(9, 9);
    dot.alpha[4 * 9 + 4] = 255;
    const Coverage disc = coverage_dilate(dot, 2);
    EXPECT_EQ(std::count(disc.alpha.begin(), disc.alpha.end(), 255), 13);
    Coverage block(20, 20);
    for (int y = 5; y < 15; y++)
        for (int x = 5; x < 15; x++) block.alpha[size_t(y) * 20 + x] = 200;
    const Coverage soft = coverage_blur(block, 1);
    EXPECT_LT(soft.at(5, 10), 200);
    EXPECT_GT(soft.at(4, 10), 0);
    EXPECT_EQ(soft.at(10, 10), 200);
}

struct TextPages : ::testing::Test {
    static inline Font* font;
    static void SetUpTestSuite() { font = font_open("DejaVuSans-Bold.ttf"); }
    static void TearDownTestSuite() { font_close(font); }
};

TEST_F(TextPages, LettersWithASoftEdgeOnBlack)
{
    ASSERT_NE(font, nullptr);
    for (int page = 1; page <= 5; page++) {
        const std::vector<uint8_t> grey = picture_render_text_page(font, page);
        ASSERT_EQ(grey.size(), size_t(PICTURE_WIDTH * PICTURE_HEIGHT));
        int letters = 0, edge = 0;
        for (int y = 0; y < PICTURE_HEIGHT; y++)
            for (int x = 0; x < PICTURE_WIDTH; x++) {
                const uint8_t p = grey[size_t(y) * PICTURE_WIDTH + x];
                ASSERT_TRUE(p == 0 || p == 255 || (p >= 100 && p <= 200)) << int(p);
                letters += p > 200;
                edge += p >= 100 && p <= 200;
                // Nothing touches the page's border, and no letter meets the black directly.
                if (x < 2 || y < 2 || x >= PICTURE_WIDTH - 2 || y >= PICTURE_HEIGHT - 2) {
                    ASSERT_EQ(p, 0);
                } else if (p > 200) {
                    for (int d : {-1, 1, -PICTURE_WIDTH, PICTURE_WIDTH})
                        ASSERT_NE(grey[size_t(y * PICTURE_WIDTH + x + d)], 0) << "page " << page;
                }
            }
        // Big enough to read after shrinking to 220x180.
        EXPECT_GT(letters, 6000) << "page " << page;
        EXPECT_GT(edge, 4000) << "page " << page;
    }
}

TEST(ShowPictures, WrittenAsFullScreenPicturesTheSameEveryTime)
{
    // One folder per run: another build's tests may be writing theirs at the same time.
    const std::string root = std::filesystem::temp_directory_path() /
                             ("vantor-pictures-test-" + std::to_string(getpid()));
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root);
    ASSERT_TRUE(content_write_pictures(root));
    const char* names[] = {"pingu3", "dream",  "money",  "txt-01",
                           "txt-02", "txt-03", "txt-04", "txt-05"};
    for (const char* name : names) {
        const std::string path = root + "/grafika/" + name + ".pcx";
        Image* img;
        uint8_t palette[768];
        ASSERT_EQ(pcx_load_image(path.c_str(), &img, palette), PCX_OK) << path;
        ImagePtr holder(img);
        EXPECT_EQ(img->width, 320u);
        EXPECT_EQ(img->height, 240u);
        if (name[0] != 't') {
            // A rendered picture uses most of its own palette.
            const std::set<uint8_t> used(img->pixels, img->pixels + 76800);
            EXPECT_GT(used.size(), 200u) << name;
        }
    }

    // Deterministic: a second run writes the same bytes.
    const std::string again = root + "-again";
    std::filesystem::remove_all(again);
    std::filesystem::create_directories(again);
    ASSERT_TRUE(content_write_pictures(again));
    for (const char* name : names) {
        uint8_t *a, *b;
        const int na = file_read_all((root + "/grafika/" + name + ".pcx").c_str(), &a);
        const int nb = file_read_all((again + "/grafika/" + name + ".pcx").c_str(), &b);
        ASSERT_GT(na, 0);
        EXPECT_TRUE(na == nb && std::equal(a, a + na, b)) << name;
        std::free(a);
        std::free(b);
    }
    std::filesystem::remove_all(root);
    std::filesystem::remove_all(again);
}

} // namespace
