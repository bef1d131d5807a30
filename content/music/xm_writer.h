// A FastTracker 2 module (XM v1.04) in memory, and its writer. Plain records: the tune
// fills them, xm_encode turns them into the file's bytes.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

constexpr uint8_t XM_KEY_OFF = 97;

// Notes as the pattern stores them: C-0 = 1, C-4 = 49, B-7 = 96.
constexpr uint8_t xm_note(int octave, int semitone)
{
    return uint8_t(12 * octave + semitone + 1);
}

struct XmCell {
    uint8_t note = 0;       // 0 none, 1..96, XM_KEY_OFF
    uint8_t instrument = 0; // 1-based, 0 none
    uint8_t volume = 0;     // volume column: 0x10 + 0..64 sets the volume
    uint8_t effect = 0;
    uint8_t param = 0;
};

struct XmPattern {
    int rows = 64;
    std::vector<XmCell> cells; // rows x channels, row by row
};

struct XmEnvelopePoint {
    uint16_t tick;
    uint16_t value; // 0..64
};

enum XmLoop : uint8_t { XM_LOOP_NONE = 0, XM_LOOP_FORWARD = 1, XM_LOOP_PINGPONG = 2 };

struct XmSample {
    std::string name;
    std::vector<int16_t> data; // stored as 16-bit unless eight_bit
    bool eight_bit = false;    // then every value must lie in -128..127
    uint32_t loop_start = 0;   // in frames
    uint32_t loop_length = 0;  // in frames; 0 = no loop
    XmLoop loop = XM_LOOP_NONE;
    uint8_t volume = 64;
    int8_t finetune = 0;
    uint8_t panning = 128;
    int8_t relative_note = 0;
};

struct XmInstrument {
    std::string name;
    std::vector<XmEnvelopePoint> volume_envelope; // at most 12 points; empty = off
    int volume_sustain = -1;                      // point index, -1 = none
    std::vector<XmEnvelopePoint> panning_envelope;
    uint16_t fadeout = 0;
    uint8_t vibrato_type = 0, vibrato_sweep = 0, vibrato_depth = 0, vibrato_rate = 0;
    XmSample sample; // one sample per instrument is all the tune needs
};

struct XmModule {
    std::string name;
    int channels = 8;
    int speed = 6;
    int bpm = 125;
    std::vector<uint8_t> orders;
    std::vector<XmPattern> patterns;
    std::vector<XmInstrument> instruments;
};

// Rate, relative note and finetune so that a sample generated at rate_hz plays at its own
// speed on C-4.
void xm_tune_sample(XmSample& sample, double rate_hz);

// The whole file. Its limits (channels, packed size, envelope points) are the caller's to
// keep; xm_check tells which one is broken, or returns an empty string.
std::vector<uint8_t> xm_encode(const XmModule& module);
std::string xm_check(const XmModule& module);

// Seconds the module plays from its first to its last row, following speed (F01-F1F) and
// BPM (F20-FF) changes. Jumps and breaks are not followed: the tune has none.
double xm_duration_seconds(const XmModule& module);
