#include "fake_display.h"
#include "scene_files.h"

#include "gfx2d/palette.h"
#include "platform/clock.h"
#include "platform/exit.h"
#include "scenes2d/text.h"
#include "scenes2d/text_wave.h"

#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

// A bright block with a middling rim in the middle of the page, dark elsewhere.
uint8_t page_pattern(uint32_t x, uint32_t y)
{
    const bool inner = x >= 100 && x < 220 && y >= 80 && y < 160;
    const bool rim = x >= 90 && x < 230 && y >= 70 && y < 170;
    return inner ? 230 : rim ? 150 : 40;
}

void write_pages(const ScratchTree& tree, int count)
{
    uint8_t palette[768] = {};
    for (int p = 1; p <= count; p++) {
        char path[32];
        std::snprintf(path, sizeof path, "grafika/txt-%02d.pcx", p);
        tree.write_picture(path, 320, 240, palette, page_pattern);
    }
}

struct TextRun : ::testing::Test {
    ScratchTree tree;
    Image* frame = nullptr;

    void SetUp() override
    {
        trig_tables_init();
        ASSERT_EQ(image_create(&frame, 320, 240), 0);
        fake_display_frames.clear();
    }
    void TearDown() override
    {
        text_scene_release();
        image_destroy(&frame);
    }
};

TEST_F(TextRun, ThirtySixSecondsOfSixtyMillisecondFrames)
{
    write_pages(tree, 5);
    text_scene_setup();
    const int32_t start = clock_now_ms();
    text_scene_run(frame);
    ASSERT_EQ(fake_display_frames.size(), 600u);
    EXPECT_EQ(clock_now_ms(), start + 36000);
    EXPECT_EQ(fake_display_frames[599].time_ms, start + 599 * 60);
}

TEST_F(TextRun, PageGrowsFromNothingInCyclingColours)
{
    write_pages(tree, 5);
    text_scene_setup();
    text_scene_run(frame);
    // Until a tenth of a second has passed the page has no size.
    for (size_t f = 0; f < 2; f++)
        EXPECT_TRUE(std::all_of(fake_display_frames[f].pixels.begin(),
                                fake_display_frames[f].pixels.end(),
                                [](uint8_t p) { return p == 0; }));
    // Every frame shows the ramp below and that frame's colours above.
    uint8_t expected[768];
    text_palette_ramp(expected);
    text_palette_cycle(expected, 100);
    EXPECT_TRUE(std::equal(expected, expected + 768, fake_display_frames[100].palette.begin()));

    // In the still phase the thresholded letters (240) and their rim (255) are on screen, the
    // rim around the letters; the middle of the screen is letter colour after the blur.
    const auto& still = fake_display_frames[60].pixels; // 3.6 s: page 1 at full size
    const auto letters =
        std::count_if(still.begin(), still.end(), [](uint8_t p) { return p >= 200; });
    EXPECT_GT(letters, 2000);
    EXPECT_GT(still[120 * 320 + 160], 200);
}

TEST_F(TextRun, ReleaseTwiceIsHarmless)
{
    write_pages(tree, 5);
    text_scene_setup();
    text_scene_release();
    text_scene_release();
}

void setup_to_stderr()
{
    dup2(STDERR_FILENO, STDOUT_FILENO);
    text_scene_setup();
}

TEST_F(TextRun, MissingPageEndsTheProgram)
{
    write_pages(tree, 3);
    EXPECT_EXIT(setup_to_stderr(), ::testing::ExitedWithCode(DEMO_EXIT_FAILURE),
                "Cann't load image grafika/txt-04.pcx !");
}

} // namespace
