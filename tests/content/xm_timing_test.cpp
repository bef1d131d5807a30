// The test's own reader of pattern start times: it must follow the file, not the writer's model.
#include "content/music/xm_writer.h"
#include "xm_timing.h"

#include <gtest/gtest.h>

namespace {

XmModule timing_module()
{
    XmModule m;
    m.name = "timing";
    m.channels = 2;
    m.speed = 6;
    m.bpm = 125; // 120 ms rows
    for (int rows : {24, 16, 40}) {
        XmPattern p;
        p.rows = rows;
        p.cells.resize(size_t(rows * m.channels));
        m.patterns.push_back(p);
    }
    m.patterns[0].cells[0] = {49, 1, 0x50, 0, 0};
    m.patterns[1].cells[8 * 2] = {0, 0, 0, 0x0f, 3};       // speed 3 from its row 8: 60 ms
    m.patterns[2].cells[0 * 2 + 1] = {0, 0, 0, 0x0f, 250}; // BPM 250 from its first row: 30 ms
    m.orders = {0, 1, 2, 1};
    XmInstrument ins;
    ins.name = ins.sample.name = "click";
    ins.sample.data = {0, 9000, -9000, 0};
    m.instruments.push_back(ins);
    return m;
}

TEST(XmTiming, PatternStartsFollowSpeedAndTempoChangesAcrossTheOrder)
{
    const XmModule m = timing_module();
    XmTiming t;
    ASSERT_EQ(xm_timing_read(xm_encode(m), &t), "");
    ASSERT_EQ(t.orders.size(), 4u);
    const double p0 = 24 * 120.0, p1 = 8 * 120.0 + 8 * 60.0, p2 = 40 * 30.0;
    EXPECT_DOUBLE_EQ(t.orders[0].start_ms, 0);
    EXPECT_DOUBLE_EQ(t.orders[1].start_ms, p0);
    EXPECT_DOUBLE_EQ(t.orders[2].start_ms, p0 + p1);
    EXPECT_DOUBLE_EQ(t.orders[3].start_ms, p0 + p1 + p2);
    // Changes stay in force into the next pattern: speed 3 and BPM 250 make 30 ms rows.
    EXPECT_DOUBLE_EQ(t.orders[2].row_ms, 30);
    EXPECT_DOUBLE_EQ(t.orders[3].row_ms, 30);
    EXPECT_EQ(t.orders[3].pattern, 1);
    EXPECT_EQ(t.orders[2].rows, 40);
    EXPECT_DOUBLE_EQ(t.end_ms, p0 + p1 + p2 + 16 * 30.0);
    EXPECT_NEAR(t.end_ms, 1000 * xm_duration_seconds(m), 1e-6);
}

TEST(XmTiming, RefusesWhatItDoesNotFollowAndBrokenFiles)
{
    XmTiming t;
    for (uint8_t effect : {0x0b, 0x0d}) {
        XmModule m = timing_module();
        m.patterns[1].cells[3] = {0, 0, 0, effect, 0};
        EXPECT_NE(xm_timing_read(xm_encode(m), &t), "") << int(effect);
    }
    XmModule m = timing_module();
    m.patterns[2].cells[5] = {0, 0, 0, 0x0e, 0xe2}; // the row played twice more
    EXPECT_NE(xm_timing_read(xm_encode(m), &t), "");
    std::vector<uint8_t> bytes = xm_encode(timing_module());
    bytes.resize(400);
    EXPECT_NE(xm_timing_read(bytes, &t), "");
    EXPECT_NE(xm_timing_read({}, &t), "");
}

} // namespace
