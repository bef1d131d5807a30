// "vantor6": the show's tune, a 130 BPM trance piece in A minor on twelve channels, with
// every instrument synthesised here.
#pragma once

#include "content/music/xm_writer.h"

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
    TUNE_INSTRUMENT_COUNT = TUNE_RISER
};

// The instruments, in the order of their numbers.
std::vector<XmInstrument> tune_instruments();
// The whole module: instruments, patterns and the order list.
XmModule tune_module();
