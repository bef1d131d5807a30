// The tune's building blocks: what one section plays (drums, chords, a melody) and the accents
// laid over the sections (swells, sweeps, rolls), written into the song's sheet of rows.
#pragma once

#include "content/music/tune.h"

#include <array>

// Channels, left to right in the tracker.
enum TuneChannel : int {
    CH_KICK,
    CH_CLAP,
    CH_HAT,
    CH_OPEN_HAT,
    CH_BASS,
    CH_PAD1,
    CH_PAD2,
    CH_PAD3,
    CH_LEAD,
    CH_LEAD2,
    CH_ARP,
    CH_FX,
    CH_RISER,
    CH_SWELL,
    CH_COUNT
};

struct TuneChord {
    uint8_t bass;
    uint8_t pad[3];
    uint8_t arp[4];
};
// One chord a bar, round and round.
using TuneProgression = std::array<const TuneChord*, 4>;

// "A4", "C#5", "Bb3" -> pattern note.
uint8_t tune_note(const char* name);

enum TunePart : unsigned {
    KICK = 1 << 0,
    CLAP = 1 << 1,
    HATS = 1 << 2,
    OPEN_HAT = 1 << 3,
    BASS = 1 << 4,
    PAD = 1 << 5,
    ARP = 1 << 6,
    LEAD = 1 << 7,
    ECHO = 1 << 8,    // the lead again a dotted eighth later, on the right
    HARMONY = 1 << 9, // the lead a third below
    CRASH = 1 << 10,  // on the first row
    LIGHT_HATS = 1 << 11,
    FILL = 1 << 12, // a clap fill on the last beat, into the next phrase
    GATE = 1 << 13, // the pad chopped in sixteenths, a trance gate
    BOOM = 1 << 14, // the first row's kick with a long falling sub
};
constexpr unsigned GROOVE = KICK | CLAP | HATS | OPEN_HAT | BASS | PAD | ARP;

enum TuneAccentKind : uint8_t {
    ACCENT_SWELL,  // the backwards crash, a bar long
    ACCENT_CRASH,  // with the boom under it on the kick's channel
    ACCENT_DIVE,   // a noise sweep falling over the accent's length
    ACCENT_WHOOSH, // a noise sweep up and down again over the accent's length
    ACCENT_RISE,   // a noise sweep rising over the accent's length
    ACCENT_ROLL,   // the build to a drop: a clap roll growing denser over a rising noise
                   // sweep; the kick goes on until the last bar, where it and the bass stop
};

// Accents lie over the sections, wherever the picture asks for them: rows of the whole song.
struct TuneAccent {
    int row;
    int length; // rows
    TuneAccentKind kind;
};

struct TuneSection {
    int rows;
    const TuneProgression* chords;
    unsigned parts;
    const char* melody = nullptr; // "note rows" pairs, "r" for a rest; one chord per 16 rows
    double level_from = 1.0, level_to = 1.0; // volume scale across the section
    int phrase_row = 0; // the row of its chords and melody that the section begins with
};

// The whole song as one long sheet of rows, cut into patterns where sections begin.
struct TuneSheet {
    int rows = 0;
    std::vector<XmCell> cells; // rows x CH_COUNT
    std::vector<int> pattern_starts;
};

// Appends a section's rows to the sheet; it begins a pattern.
void tune_add_section(TuneSheet& sheet, const TuneSection& section);
// A last chord of the given rows, released early enough to have died away at the end.
void tune_add_final_chord(TuneSheet& sheet, int rows, const TuneChord& chord);
// Lays an accent over the rows already written.
void tune_add_accent(TuneSheet& sheet, const TuneAccent& accent);
// The sheet cut into patterns of at most 64 rows, every section starting one.
std::vector<XmPattern> tune_patterns(const TuneSheet& sheet);
