#include "fake_display.h"
#include "scene_files.h"

#include "platform/clock.h"
#include "platform/exit.h"
#include "scenes2d/picture.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace {

uint8_t stripes(uint32_t x, uint32_t y)
{
    return uint8_t((x / 8 + y / 8) % 3);
}

// Entry 1 is white, entry 2 has a dark channel, a middling one and a zero one.
std::array<uint8_t, 768> test_palette()
{
    std::array<uint8_t, 768> p{};
    p[3] = p[4] = p[5] = 255;
    p[6] = 60;
    p[7] = 130;
    p[8] = 0;
    return p;
}

struct PictureRun : ::testing::Test {
    ScratchTree tree;
    Image* frame = nullptr;

    void SetUp() override
    {
        ASSERT_EQ(image_create(&frame, 320, 240), 0);
        fake_display_frames.clear();
        const auto palette = test_palette();
        tree.write_picture("grafika/pic.pcx", 320, 240, palette.data(), stripes);
    }
    void TearDown() override { image_destroy(&frame); }
};

TEST_F(PictureRun, WhiteFadesInHoldsAndFadesOut)
{
    picture_scene(frame, 20, 20, "grafika/pic.pcx");
    ASSERT_EQ(fake_display_frames.size(), 60u);

    auto white = [](size_t i) { return int(fake_display_frames[i].palette[3]); };
    // Fade in: each frame shows the value before its step, so it starts black and ends short
    // of full white.
    const int fade_in[] = {0, 12, 25, 38, 50};
    for (size_t i = 0; i < 5; i++) EXPECT_EQ(white(i), fade_in[i]) << "frame " << i;
    EXPECT_EQ(white(19), 242);
    // The hold keeps frame 19's palette.
    for (size_t i = 20; i < 40; i++)
        EXPECT_EQ(fake_display_frames[i].palette, fake_display_frames[19].palette) << i;
    // Fade out starts from the full step count.
    EXPECT_EQ(white(40), 254);
    EXPECT_EQ(white(41), 242);
    EXPECT_EQ(white(59), 12);
    for (size_t i = 1; i < 20; i++) EXPECT_GT(white(i), white(i - 1));
    for (size_t i = 41; i < 60; i++) EXPECT_LT(white(i), white(i - 1));
}

TEST_F(PictureRun, ZeroChannelStaysBlackAndOthersScale)
{
    picture_scene(frame, 20, 20, "grafika/pic.pcx");
    for (const PresentedFrame& f : fake_display_frames) {
        EXPECT_EQ(f.palette[8], 0);
        EXPECT_LE(f.palette[6], 60);
        EXPECT_LE(f.palette[7], 130);
    }
    EXPECT_EQ(fake_display_frames[19].palette[6], 56); // 19 x (60 x 3276) >> 16
}

TEST_F(PictureRun, PixelsAreThePictureThroughout)
{
    picture_scene(frame, 20, 20, "grafika/pic.pcx");
    for (size_t i = 0; i < fake_display_frames.size(); i++) {
        const auto& px = fake_display_frames[i].pixels;
        ASSERT_EQ(px.size(), 76800u);
        for (uint32_t y = 0; y < 240; y += 7)
            for (uint32_t x = 0; x < 320; x += 5) ASSERT_EQ(px[y * 320 + x], stripes(x, y)) << i;
    }
}

TEST_F(PictureRun, CountsFramesOfFiftyMilliseconds)
{
    const int32_t start = clock_now_ms();
    picture_scene(frame, 3, 4, "grafika/pic.pcx");
    ASSERT_EQ(fake_display_frames.size(), 10u);
    for (size_t i = 0; i < 10; i++)
        EXPECT_EQ(fake_display_frames[i].time_ms, start + 50 * int32_t(i));
    EXPECT_EQ(clock_now_ms(), start + 500);
}

TEST_F(PictureRun, NoFadeShowsThePictureAsItIs)
{
    picture_scene(frame, 0, 2, "grafika/pic.pcx");
    ASSERT_EQ(fake_display_frames.size(), 2u);
    EXPECT_EQ(fake_display_frames[0].palette[3], 255);
    EXPECT_EQ(fake_display_frames[1].palette[7], 130);
}

// The scene's message goes to standard output; the death test watches standard error.
void run_to_stderr(Image* frame, const char* path)
{
    dup2(STDERR_FILENO, STDOUT_FILENO);
    picture_scene(frame, 20, 20, path);
}

TEST_F(PictureRun, MissingOrWrongSizedPictureEndsTheProgram)
{
    EXPECT_EXIT(run_to_stderr(frame, "grafika/none.pcx"),
                ::testing::ExitedWithCode(DEMO_EXIT_FAILURE),
                "Cann't load image grafika/none.pcx !");
    const auto palette = test_palette();
    tree.write_picture("grafika/small.pcx", 320, 200, palette.data(), stripes);
    EXPECT_EXIT(run_to_stderr(frame, "grafika/small.pcx"),
                ::testing::ExitedWithCode(DEMO_EXIT_FAILURE),
                "Cann't load image grafika/small.pcx !");
}

} // namespace
