// The show's tune: a module both players take, long enough for the show, ending by itself.
#include "content/music/tune.h"

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
    EXPECT_LE(tune().channels, 12);
    EXPECT_GE(tune().bpm, 125);
    EXPECT_LE(tune().bpm, 140);
}

TEST(Tune, OutlastsTheShow)
{
    const double seconds = xm_duration_seconds(tune());
    EXPECT_GE(seconds, 175.0);
    EXPECT_LE(seconds, 185.0);
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
