// The show's tune: a module both players take, arranged to the show's timeline, ending by
// itself with the show.
#include "content/music/tune.h"
#include "xm_timing.h"

#include <cmath>
#include <gtest/gtest.h>
#include <set>

namespace {

const XmModule& tune()
{
    static const XmModule module = tune_module();
    return module;
}

TEST(Tune, IsAValidModuleThatEndsOnItsOwn)
{
    // No jumps, no breaks: with loop and wrap off, every player stops after the last row.
    EXPECT_EQ(xm_check(tune()), "");
    EXPECT_GE(tune().channels, 8);
    EXPECT_LE(tune().channels, 16);
    // Four rows a beat, at a dance tempo.
    const double beats_a_minute = 60000.0 / (4 * tune().speed * 2500.0 / tune().bpm);
    EXPECT_GE(beats_a_minute, 110);
    EXPECT_LE(beats_a_minute, 140);
}

// Scenes of other lengths than the show's, as an edit of the timeline would make them: each
// still begins a pattern within a row, and the song ends within a bar before the show.
TEST(Tune, FollowsScenesOfAnyLength)
{
    uint32_t seed = 12345;
    for (int variant = 0; variant < 12; variant++) {
        TuneSceneStarts starts{};
        for (int s = 0; s < TIMELINE_SCENE_COUNT; s++) {
            seed = seed * 1664525u + 1013904223u;
            const int32_t length = timeline_scene_start_ms(s + 1) - timeline_scene_start_ms(s);
            const double scale = 0.3 + 1.4 * (seed >> 8) / double(1 << 24);
            starts[size_t(s + 1)] = starts[size_t(s)] + int32_t(length * scale);
        }
        const XmModule m = tune_module_for(starts);
        ASSERT_EQ(xm_check(m), "") << variant;
        XmTiming t;
        ASSERT_EQ(xm_timing_read(xm_encode(m), &t), "") << variant;
        for (int s = 0; s < TIMELINE_SCENE_COUNT; s++) {
            double nearest = 1e9;
            for (const XmOrderTime& o : t.orders)
                nearest = std::min(nearest, std::abs(o.start_ms - starts[size_t(s)]));
            EXPECT_LE(nearest, t.last_row_ms) << "variant " << variant << ", scene " << s;
        }
        const double end = starts[TIMELINE_SCENE_COUNT];
        EXPECT_LE(t.end_ms, end + t.last_row_ms) << variant;
        EXPECT_GE(t.end_ms, end - 16 * t.last_row_ms) << variant;
    }
}

TEST(Tune, UsesEveryInstrumentItCarries)
{
    ASSERT_EQ(tune().instruments.size(), size_t(TUNE_INSTRUMENT_COUNT));
    std::set<int> used;
    for (const XmPattern& p : tune().patterns)
        for (const XmCell& c : p.cells)
            if (c.instrument) used.insert(c.instrument);
    EXPECT_EQ(used.size(), size_t(TUNE_INSTRUMENT_COUNT));
}

TEST(Tune, EndsInSilence)
{
    // The last rows hold nothing new: the final chord has been released and dies away.
    const XmPattern& last = tune().patterns[tune().orders.back()];
    for (int row = last.rows - 8; row < last.rows; row++)
        for (int ch = 0; ch < tune().channels; ch++)
            EXPECT_EQ(last.cells[size_t(row * tune().channels + ch)].note, 0);
}

TEST(Tune, IsTheSameEveryTime)
{
    EXPECT_EQ(xm_encode(tune_module()), xm_encode(tune()));
}

} // namespace
