// The XM writer: byte layout that both players rely on, and a round trip through libmikmod.
#include "content/music/xm_writer.h"

#include <cstring>
#include <gtest/gtest.h>
#include <mikmod.h>

namespace {

uint32_t u32(const std::vector<uint8_t>& b, size_t at)
{
    return uint32_t(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | b[at + 3] << 24);
}
unsigned u16(const std::vector<uint8_t>& b, size_t at)
{
    return unsigned(b[at] | b[at + 1] << 8);
}

XmModule one_pattern_module(int rows, int channels)
{
    XmModule m;
    m.name = "test";
    m.channels = channels;
    XmPattern p;
    p.rows = rows;
    p.cells.resize(size_t(rows * channels));
    m.patterns.push_back(p);
    m.orders = {0};
    XmInstrument ins;
    ins.name = "square";
    for (int i = 0; i < 32; i++) ins.sample.data.push_back(i < 16 ? 8000 : -8000);
    ins.sample.loop = XM_LOOP_FORWARD;
    ins.sample.loop_length = 32;
    m.instruments.push_back(ins);
    return m;
}

TEST(XmWriter, HeaderAndOrderTable)
{
    XmModule m = one_pattern_module(16, 4);
    m.speed = 5;
    m.bpm = 133;
    m.patterns.push_back(m.patterns[0]);
    m.orders = {1, 0, 1};
    const std::vector<uint8_t> b = xm_encode(m);
    EXPECT_EQ(std::memcmp(b.data(), "Extended Module: ", 17), 0);
    EXPECT_EQ(std::memcmp(b.data() + 17, "test                ", 20), 0);
    EXPECT_EQ(b[37], 0x1a);
    EXPECT_EQ(u16(b, 58), 0x0104u);
    EXPECT_EQ(u32(b, 60), 276u);
    EXPECT_EQ(u16(b, 64), 3u); // song length
    EXPECT_EQ(u16(b, 68), 4u); // channels
    EXPECT_EQ(u16(b, 70), 2u); // patterns
    EXPECT_EQ(u16(b, 72), 1u); // instruments
    EXPECT_EQ(u16(b, 74), 1u); // linear frequencies
    EXPECT_EQ(u16(b, 76), 5u);
    EXPECT_EQ(u16(b, 78), 133u);
    EXPECT_EQ(b[80], 1);
    EXPECT_EQ(b[81], 0);
    EXPECT_EQ(b[82], 1);
    EXPECT_EQ(b[83], 0); // unused entries stay 0
    // The first pattern header right after the 256-entry order table.
    EXPECT_EQ(u32(b, 336), 9u);
    EXPECT_EQ(b[340], 0);
    EXPECT_EQ(u16(b, 341), 16u);
    EXPECT_EQ(u16(b, 343), 64u); // 16 rows x 4 empty cells, one byte each
}

TEST(XmWriter, CellsArePackedWithTheirFlagByte)
{
    XmModule m = one_pattern_module(1, 4);
    m.patterns[0].cells = {
        {49, 1, 0, 0, 0}, {XM_KEY_OFF, 0, 0, 0, 0}, {}, {58, 2, 0x50, 0x0c, 0x20}};
    XmInstrument second = m.instruments[0];
    m.instruments.push_back(second);
    const std::vector<uint8_t> b = xm_encode(m);
    const std::vector<uint8_t> expected = {0x83, 0x31, 0x01, 0x81, 0x61, 0x80,
                                           0x9f, 0x3a, 0x02, 0x50, 0x0c, 0x20};
    ASSERT_EQ(u16(b, 343), expected.size());
    EXPECT_EQ(std::vector<uint8_t>(b.begin() + 345, b.begin() + 345 + long(expected.size())),
              expected);
}

TEST(XmWriter, SamplesAreDeltaCodedWithLengthsInBytes)
{
    XmModule m = one_pattern_module(1, 1);
    XmSample& s = m.instruments[0].sample;
    s.data = {100, -100, 32767, -32768};
    s.loop_start = 1;
    s.loop_length = 3;
    s.relative_note = -12;
    s.finetune = -5;
    m.instruments[0].volume_envelope = {{0, 64}, {10, 32}, {20, 0}};
    m.instruments[0].volume_sustain = 1;
    m.instruments[0].fadeout = 0x400;
    std::vector<uint8_t> b = xm_encode(m);
    const size_t ins = 336 + 9 + 1;
    EXPECT_EQ(u32(b, ins), 263u);
    EXPECT_EQ(u16(b, ins + 27), 1u);
    EXPECT_EQ(u16(b, ins + 129 + 4), 10u); // second envelope point
    EXPECT_EQ(u16(b, ins + 129 + 6), 32u);
    EXPECT_EQ(b[ins + 225], 3); // points
    EXPECT_EQ(b[ins + 227], 1); // sustain point
    EXPECT_EQ(b[ins + 233], 3); // on + sustain
    EXPECT_EQ(u16(b, ins + 239), 0x400u);
    const size_t sh = ins + 263;
    EXPECT_EQ(u32(b, sh), 8u);     // 4 frames of 16 bits
    EXPECT_EQ(u32(b, sh + 4), 2u); // loop start in bytes
    EXPECT_EQ(u32(b, sh + 8), 6u);
    EXPECT_EQ(b[sh + 14], 0x11); // forward loop, 16-bit
    EXPECT_EQ(int8_t(b[sh + 16]), -12);
    EXPECT_EQ(int8_t(b[sh + 13]), -5);
    EXPECT_EQ(b[sh + 17], 0);
    const size_t data = sh + 40;
    ASSERT_EQ(b.size(), data + 8);
    EXPECT_EQ(int16_t(u16(b, data)), 100);
    EXPECT_EQ(int16_t(u16(b, data + 2)), -200);
    EXPECT_EQ(u16(b, data + 4), uint16_t(32767 + 100)); // wraps like the players' decoder
    EXPECT_EQ(u16(b, data + 6), uint16_t(-32768 - 32767));

    s.eight_bit = true;
    s.data = {10, -10, 127};
    s.loop = XM_LOOP_NONE;
    b = xm_encode(m);
    EXPECT_EQ(u32(b, sh), 3u);
    EXPECT_EQ(b[sh + 14], 0x00);
    EXPECT_EQ(std::vector<uint8_t>(b.end() - 3, b.end()), (std::vector<uint8_t>{10, 0xec, 137}));
}

TEST(XmWriter, SampleTuningPlaysTheRateOnC4)
{
    XmSample s;
    xm_tune_sample(s, 8363);
    EXPECT_EQ(s.relative_note, 0);
    EXPECT_EQ(s.finetune, 0);
    xm_tune_sample(s, 44100);
    EXPECT_EQ(s.relative_note, 28);
    EXPECT_EQ(s.finetune, 100);
    xm_tune_sample(s, 8000);
    EXPECT_EQ(s.relative_note, 0);
    EXPECT_EQ(s.finetune, -98);
}

TEST(XmWriter, CheckNamesWhatPlayersWouldRejectOrLoopOn)
{
    XmModule m = one_pattern_module(4, 2);
    EXPECT_EQ(xm_check(m), "");
    m.patterns[0].cells[3].effect = 0x0b; // position jump
    EXPECT_NE(xm_check(m), "");
    m = one_pattern_module(4, 2);
    m.patterns[0].cells.pop_back();
    EXPECT_NE(xm_check(m), "");
    m = one_pattern_module(4, 2);
    m.instruments[0].sample.loop_length = 33;
    EXPECT_NE(xm_check(m), "");
    m = one_pattern_module(4, 2);
    m.instruments[0].sample.eight_bit = true; // values of +-8000 do not fit
    EXPECT_NE(xm_check(m), "");
    m = one_pattern_module(4, 2);
    m.orders = {1};
    EXPECT_NE(xm_check(m), "");
}

TEST(XmWriter, DurationFollowsSpeedAndTempoChanges)
{
    XmModule m = one_pattern_module(32, 2);
    EXPECT_NEAR(xm_duration_seconds(m), 32 * 0.12, 1e-9);
    m.patterns[0].cells[16 * 2] = {0, 0, 0, 0x0f, 3};       // speed 3 from row 16
    m.patterns[0].cells[24 * 2 + 1] = {0, 0, 0, 0x0f, 250}; // BPM 250 from row 24
    EXPECT_NEAR(xm_duration_seconds(m), 16 * 0.12 + 8 * 0.06 + 8 * 0.03, 1e-9);
}

// The written bytes load in libmikmod and play for the computed time, then stop.
TEST(XmWriter, LoadsAndPlaysToItsEndInLibmikmod)
{
    XmModule m = one_pattern_module(24, 2);
    for (int r = 0; r < 24; r += 4) m.patterns[0].cells[size_t(r * 2)] = {49, 1, 0, 0, 0};
    m.patterns[0].cells[8 * 2 + 1] = {0, 0, 0, 0x0f, 0x40}; // BPM 64
    const std::vector<uint8_t> bytes = xm_encode(m);

    MikMod_RegisterDriver(&drv_nos);
    MikMod_RegisterLoader(&load_xm);
    md_device = UWORD(MikMod_DriverFromAlias("nosound"));
    ASSERT_EQ(MikMod_Init(""), 0);
    MODULE* mod =
        Player_LoadMem(reinterpret_cast<const char*>(bytes.data()), int(bytes.size()), 64, 0);
    ASSERT_NE(mod, nullptr) << MikMod_strerror(MikMod_errno);
    EXPECT_EQ(mod->numchn, 2);
    EXPECT_EQ(mod->numpos, 1);
    EXPECT_EQ(mod->numins, 1);
    mod->loop = 0;
    Player_Start(mod);
    int updates = 0;
    while (Player_Active() && updates < 1000) MikMod_Update(), updates++;
    EXPECT_FALSE(Player_Active());
    EXPECT_NEAR(mod->sngtime / 1024.0, xm_duration_seconds(m), 0.05);
    Player_Stop();
    Player_Free(mod);
    MikMod_Exit();
}

} // namespace
