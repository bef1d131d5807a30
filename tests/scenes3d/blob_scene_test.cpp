// The blob scene as the show runs it, on the generated data tree.
#include "gfx2d/image.h"
#include "gfx2d/palette.h"
#include "raster/target.h"
#include "scenes3d/blob.h"
#include "tests/scenes2d/fake_display.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace {

std::vector<PresentedFrame> blob_frames(int32_t present_ms)
{
    fake_display_frames.clear();
    fake_display_present_ms = present_ms;
    Image* frame = nullptr;
    EXPECT_EQ(image_create(&frame, 320, 240), 0);
    set_render_target(frame->pixels, 320, 240);
    blob_load();
    blob_run(frame);
    blob_free();
    image_destroy(&frame);
    fake_display_present_ms = 0;
    return std::move(fake_display_frames);
}

// The balls move once per frame and the camera follows the scene's clock, so a machine too slow
// for the frame period shows the same frames as a fast one wherever the camera holds still. At
// 170 ms a frame the clock steps from 4.93 s straight to 5.1 s, past the end of the fly-in.
TEST(BlobScene, ASlowMachineSeesTheSameHoldView)
{
    ASSERT_EQ(chdir(SHOW_DIR), 0);
    trig_tables_init();
    const std::vector<PresentedFrame> fast = blob_frames(0);
    const std::vector<PresentedFrame> slow = blob_frames(170);
    ASSERT_GT(slow.size(), 120u);
    EXPECT_FALSE(fast[0].pixels == fast[75].pixels); // the blob is drawn
    for (size_t f : {75u, 100u, 125u}) {             // in the hold on both machines
        ASSERT_GE(fast[f].time_ms - fast[0].time_ms, 5100);
        ASSERT_LT(slow[f].time_ms - slow[0].time_ms, 22000);
        EXPECT_TRUE(fast[f].pixels == slow[f].pixels) << "frame " << f;
    }
}

} // namespace
