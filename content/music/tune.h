// "vantor6": the show's tune, a 120 BPM trance piece in A minor on fourteen channels, arranged
// to the show's timeline, with every instrument synthesised here.
#pragma once

#include "content/music/xm_writer.h"
#include "timeline/timeline.h"

// Four rows a beat at 120 beats a minute: 125 ms rows. Written as BPM 160 at eight ticks a
// row rather than BPM 120 at six, because libmikmod mixes a whole number of frames a tick:
// at 44100 Hz 689 for 689.06 (0.009% fast), where BPM 120 would give 918 for 918.75 and run
// 0.13 s ahead of the picture by the end of the show.
constexpr int TUNE_BPM = 160;
constexpr int TUNE_SPEED = 8;
constexpr double TUNE_TICK_MS = 2500.0 / TUNE_BPM;
constexpr double TUNE_ROW_MS = TUNE_SPEED * TUNE_TICK_MS;
constexpr int TUNE_BAR = 16; // rows

// Instrument numbers as the patterns use them (1-based).
enum TuneInstrument : uint8_t {
    TUNE_KICK = 1,
    TUNE_CLAP,
    TUNE_HAT_CLOSED,
    TUNE_HAT_OPEN,
    TUNE_BASS,
    TUNE_PAD,
    TUNE_LEAD,
    TUNE_ARP,
    TUNE_CRASH,
    TUNE_RISER,
    TUNE_SWELL, // a crash backwards: two seconds swelling into a downbeat
    TUNE_BOOM,  // a kick with a long falling sub under it, for the big moments
    TUNE_INSTRUMENT_COUNT = TUNE_BOOM
};

// The instruments, in the order of their numbers.
std::vector<XmInstrument> tune_instruments();
// The whole module, arranged to the show's timeline: instruments, patterns, the order list.
XmModule tune_module();
// The same arranged to scenes that start elsewhere: ms after the music's start, the show's
// order, the last entry where the show ends.
using TuneSceneStarts = std::array<int32_t, TIMELINE_SCENE_COUNT + 1>;
XmModule tune_module_for(const TuneSceneStarts& starts_ms);
