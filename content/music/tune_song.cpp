// The arrangement of "vantor6": 24 four-bar sections and a short ending, each written out
// as its own pattern (no jumps, so the song plays once and stops).
//
//   intro      0-1    pad swell, then the arpeggio
//   build-up   2-5    kick, hats, bass, clap join; a snare roll and a riser
//   main theme 6-9    the lead over Am F C G, with a dotted-eighth echo
//   breakdown  10-13  no kick: F G Em Am / Dm F C G, a slow lead, a second roll
//   second main 14-19 the theme again with a harmony a third below, the pad gated
//   outro      20-23  the parts drop out one by one and fade
//   ending     24     a last A minor chord that dies away
#include "content/music/tune.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace {

constexpr int TUNE_BPM = 130;
constexpr int TUNE_SPEED = 6;
constexpr int ROWS = 64;
constexpr int BAR = 16;
// Every note volume is scaled by this, so that even the mono mix (louder in MikMod) does
// not clip at the demo's settings.
constexpr double TUNE_MASTER = 0.85;

// Channels, left to right in the tracker.
enum Channel : int {
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
    CH_COUNT
};

constexpr uint8_t FX_PORTA_UP = 0x01, FX_PANNING = 0x08;

// "A4", "C#5", "Bb3" -> pattern note.
uint8_t n(const char* name)
{
    static constexpr int semis[7] = {9, 11, 0, 2, 4, 5, 7}; // A..G
    int semitone = semis[name[0] - 'A'];
    const char* rest = name + 1;
    if (*rest == '#')
        semitone++, rest++;
    else if (*rest == 'b')
        semitone--, rest++;
    return xm_note(*rest - '0', semitone);
}

struct Chord {
    uint8_t bass;
    uint8_t pad[3];
    uint8_t arp[4];
};

Chord chord(const char* bass, const char* p1, const char* p2, const char* p3, const char* a1,
            const char* a2, const char* a3, const char* a4)
{
    return {n(bass), {n(p1), n(p2), n(p3)}, {n(a1), n(a2), n(a3), n(a4)}};
}

const Chord AM = chord("A2", "A3", "C4", "E4", "A4", "C5", "E5", "A5");
const Chord F = chord("F2", "A3", "C4", "F4", "F4", "A4", "C5", "F5");
const Chord C = chord("C3", "G3", "C4", "E4", "G4", "C5", "E5", "G5");
const Chord G = chord("G2", "G3", "B3", "D4", "G4", "B4", "D5", "G5");
const Chord DM = chord("D3", "A3", "D4", "F4", "A4", "D5", "F5", "A5");
const Chord EM = chord("E2", "G3", "B3", "E4", "G4", "B4", "E5", "G5");

using Progression = std::array<const Chord*, 4>;
const Progression MAIN = {&AM, &F, &C, &G};
const Progression BREAK_X = {&F, &G, &EM, &AM};
const Progression BREAK_Y = {&DM, &F, &C, &G};

// Melodies as "note rows" pairs, "r" for a rest; four bars of 16 rows.
const char* const THEME_A = "E5 3 E5 3 D5 2 C5 4 A4 4  C5 3 C5 3 D5 2 E5 4 C5 4 "
                            "G5 3 G5 3 E5 2 D5 4 C5 4  D5 8 B4 4 D5 4";
const char* const THEME_B = "E5 3 E5 3 D5 2 C5 4 E5 4  F5 3 E5 3 C5 2 A4 4 C5 4 "
                            "G5 3 E5 3 G5 2 A5 4 G5 4  D5 6 B4 2 G4 4 B4 4";
const char* const THEME_B_END = "E5 3 E5 3 D5 2 C5 4 E5 4  F5 3 E5 3 C5 2 A4 4 C5 4 "
                                "G5 3 E5 3 G5 2 A5 4 G5 4  D5 6 E5 2 G5 6 r 2";
const char* const BREAK_X_MELODY = "C5 8 A4 8  D5 8 B4 8  E5 8 G5 8  A5 14 r 2";
const char* const BREAK_Y_MELODY = "F5 8 E5 4 D5 4  C5 8 A4 8  G4 4 C5 4 E5 8  D5 12 r 4";

struct Note {
    int row, length;
    uint8_t note; // 0 = rest
};

std::vector<Note> tune_melody(const char* text)
{
    std::vector<Note> notes;
    std::istringstream in(text);
    std::string name;
    int length, row = 0;
    while (in >> name >> length) {
        notes.push_back({row, length, name == "r" ? uint8_t(0) : n(name.c_str())});
        row += length;
    }
    return notes;
}

// The diatonic third below in A minor, for the second main's harmony.
uint8_t tune_third_below(uint8_t note)
{
    static constexpr int scale[7] = {0, 2, 4, 5, 7, 9, 11}; // C D E F G A B
    const int pitch = note - 1, octave = pitch / 12, semi = pitch % 12;
    int degree = 0;
    while (degree < 6 && scale[degree + 1] <= semi) degree++;
    const int lower = degree - 2;
    return uint8_t(1 +
                   (lower < 0 ? (octave - 1) * 12 + scale[lower + 7] : octave * 12 + scale[lower]));
}

enum Part : unsigned {
    KICK = 1 << 0,
    CLAP = 1 << 1,
    HATS = 1 << 2,
    OPEN_HAT = 1 << 3,
    BASS = 1 << 4,
    PAD = 1 << 5,
    ARP = 1 << 6,
    LEAD = 1 << 7,
    ECHO = 1 << 8,
    HARMONY = 1 << 9,
    ROLL = 1 << 10,
    CRASH = 1 << 11,
    LIGHT_HATS = 1 << 12,
    FILL = 1 << 13, // a clap fill on the last beat, into the next phrase
    GATE = 1 << 14, // the pad chopped in sixteenths, a trance gate
};

struct Section {
    const Progression* chords;
    unsigned parts;
    const char* melody = nullptr;
    double level_from = 1.0, level_to = 1.0; // volume scale across the section
};

const unsigned GROOVE = KICK | CLAP | HATS | OPEN_HAT | BASS | PAD | ARP;

const Section SONG[] = {
    {&MAIN, PAD, nullptr, 0.35, 1.0},
    {&MAIN, PAD | ARP, nullptr, 0.8, 1.0},
    {&MAIN, KICK | LIGHT_HATS | PAD | ARP | CRASH},
    {&MAIN, KICK | HATS | OPEN_HAT | BASS | PAD | ARP},
    {&MAIN, GROOVE},
    {&MAIN, ROLL | BASS | PAD | ARP},
    {&MAIN, GROOVE | LEAD | ECHO | CRASH, THEME_A},
    {&MAIN, GROOVE | LEAD | ECHO | FILL, THEME_B},
    {&MAIN, GROOVE | LEAD | ECHO, THEME_A},
    {&MAIN, GROOVE | LEAD | ECHO | FILL, THEME_B_END},
    {&BREAK_X, PAD | ARP | CRASH, nullptr, 0.8, 0.8},
    {&BREAK_Y, PAD | ARP | LIGHT_HATS, nullptr, 0.8, 0.9},
    {&BREAK_X, PAD | ARP | LIGHT_HATS | LEAD | ECHO, BREAK_X_MELODY, 0.9, 1.0},
    {&BREAK_Y, ROLL | PAD | ARP | LEAD | ECHO, BREAK_Y_MELODY},
    {&MAIN, GROOVE | GATE | LEAD | HARMONY | CRASH, THEME_A},
    {&MAIN, GROOVE | GATE | LEAD | HARMONY | FILL, THEME_B},
    {&MAIN, GROOVE | GATE | LEAD | HARMONY, THEME_A},
    {&MAIN, GROOVE | GATE | LEAD | HARMONY | FILL, THEME_B},
    {&MAIN, GROOVE | LEAD | ECHO, THEME_A},
    {&MAIN, GROOVE | LEAD | HARMONY | FILL, THEME_B_END},
    {&MAIN, GROOVE | CRASH},
    {&MAIN, KICK | HATS | BASS | PAD | ARP},
    {&MAIN, KICK | LIGHT_HATS | PAD | ARP, nullptr, 1.0, 0.7},
    {&MAIN, PAD | ARP, nullptr, 0.7, 0.35},
};

class PatternWriter {
  public:
    explicit PatternWriter(int rows)
    {
        pattern.rows = rows, pattern.cells.resize(size_t(rows * CH_COUNT));
    }

    // A note with its volume (0..64, scaled by the section level at that row).
    void note(int row, int channel, uint8_t note, uint8_t instrument, int volume,
              uint8_t effect = 0, uint8_t param = 0)
    {
        if (row < 0 || row >= pattern.rows) return;
        XmCell& c = cell(row, channel);
        c.note = note;
        c.instrument = note == XM_KEY_OFF ? 0 : instrument;
        if (volume >= 0)
            c.volume = uint8_t(
                0x10 + std::clamp(int(std::lround(volume * level(row) * TUNE_MASTER)), 0, 64));
        c.effect = effect;
        c.param = param;
    }
    void key_off(int row, int channel) { note(row, channel, XM_KEY_OFF, 0, -1); }
    XmCell& cell(int row, int channel) { return pattern.cells[size_t(row * CH_COUNT + channel)]; }
    double level(int row) const
    {
        return level_from + (level_to - level_from) * row / pattern.rows;
    }

    XmPattern pattern;
    double level_from = 1.0, level_to = 1.0;
};

void tune_drums(PatternWriter& w, unsigned parts)
{
    for (int beat = 0; beat < ROWS / 4; beat++) {
        const int row = beat * 4;
        if (parts & KICK) w.note(row, CH_KICK, n("C4"), TUNE_KICK, 56);
        if ((parts & CLAP) && beat % 2 == 1) w.note(row, CH_CLAP, n("C4"), TUNE_CLAP, 46);
        if (parts & HATS) {
            w.note(row, CH_HAT, n("C4"), TUNE_HAT_CLOSED, 20);
            w.note(row + 1, CH_HAT, n("C4"), TUNE_HAT_CLOSED, 12);
            w.note(row + 3, CH_HAT, n("C4"), TUNE_HAT_CLOSED, 16);
        }
        if (parts & LIGHT_HATS) w.note(row + 2, CH_HAT, n("C4"), TUNE_HAT_CLOSED, 20);
        if (parts & OPEN_HAT)
            w.note(row + 2, CH_OPEN_HAT, n("C4"), TUNE_HAT_OPEN, 28, FX_PANNING, 0x60);
    }
    if (parts & CRASH) w.note(0, CH_FX, n("C4"), TUNE_CRASH, 40);
    if (parts & FILL)
        for (int row = ROWS - 4; row < ROWS; row++)
            w.note(row, CH_CLAP, n("C4"), TUNE_CLAP, 30 + 6 * (row - (ROWS - 4)));
}

// The build to a drop: a snare roll doubling its pace each bar and a rising noise sweep;
// the kick stops for the last bar.
void tune_roll(PatternWriter& w)
{
    for (int row = 0; row < ROWS; row++) {
        const int bar = row / BAR;
        const int step = bar == 0 ? 4 : bar == 1 ? 2 : 1;
        if (row % step == 0) w.note(row, CH_CLAP, n("C4"), TUNE_CLAP, 18 + row * 40 / ROWS);
        if (bar < 3 && row % 4 == 0) w.note(row, CH_KICK, n("C4"), TUNE_KICK, 56);
        if (row == 0)
            w.note(0, CH_FX, n("C3"), TUNE_RISER, 48);
        else
            w.note(row, CH_FX, 0, 0, -1, FX_PORTA_UP, 0x01);
    }
}

void tune_harmony_parts(PatternWriter& w, const Progression& chords, unsigned parts)
{
    static constexpr int ARP_STEPS[16] = {0, 1, 2, 3, 1, 2, 3, 2, 0, 1, 2, 3, 2, 3, 1, 2};
    for (int bar = 0; bar < ROWS / BAR; bar++) {
        const Chord& ch = *chords[size_t(bar)];
        const int top = bar * BAR;
        const bool new_chord = bar == 0 || chords[size_t(bar)] != chords[size_t(bar - 1)];
        if ((parts & PAD) && new_chord) {
            static constexpr uint8_t PAN[3] = {0x40, 0x80, 0xc0};
            for (int v = 0; v < 3; v++)
                w.note(top, CH_PAD1 + v, ch.pad[v], TUNE_PAD, 30, FX_PANNING, PAN[v]);
        }
        for (int i = 0; i < BAR; i++) {
            const int row = top + i;
            if ((parts & GATE) && !(new_chord && i == 0)) {
                static constexpr int GATE_VOLUME[4] = {30, 6, 22, 6};
                for (int v = 0; v < 3; v++) w.note(row, CH_PAD1 + v, 0, 0, GATE_VOLUME[i % 4]);
            }
            // Rolling bass: the three sixteenths after each kick.
            if ((parts & BASS) && i % 4 != 0)
                w.note(row, CH_BASS, ch.bass, TUNE_BASS, i % 4 == 2 ? 48 : 38);
            if (parts & ARP)
                w.note(row, CH_ARP, ch.arp[ARP_STEPS[i]], TUNE_ARP, i % 4 == 0 ? 30 : 20,
                       FX_PANNING, 0x58);
        }
    }
}

void tune_lead_line(PatternWriter& w, const char* melody, unsigned parts)
{
    for (const Note& note : tune_melody(melody)) {
        if (note.note == 0) {
            w.key_off(note.row, CH_LEAD);
            if (parts & ECHO) w.key_off(note.row + 3, CH_LEAD2);
            if (parts & HARMONY) w.key_off(note.row, CH_LEAD2);
            continue;
        }
        w.note(note.row, CH_LEAD, note.note, TUNE_LEAD, 46, FX_PANNING, 0x80);
        // A dotted-eighth echo on the right, or a quieter third below.
        if (parts & ECHO)
            w.note(note.row + 3, CH_LEAD2, note.note, TUNE_LEAD, 15, FX_PANNING, 0xc8);
        if (parts & HARMONY)
            w.note(note.row, CH_LEAD2, tune_third_below(note.note), TUNE_LEAD, 24, FX_PANNING,
                   0xa0);
    }
}

XmPattern tune_section(const Section& s)
{
    PatternWriter w(ROWS);
    w.level_from = s.level_from;
    w.level_to = s.level_to;
    tune_drums(w, s.parts);
    if (s.parts & ROLL) tune_roll(w);
    tune_harmony_parts(w, *s.chords, s.parts);
    if ((s.parts & LEAD) && s.melody) tune_lead_line(w, s.melody, s.parts);
    // An echo may hang over from the section before: silence it where the lead rests.
    else
        for (int ch : {CH_LEAD, CH_LEAD2}) w.key_off(0, ch);
    return w.pattern;
}

// A last A minor chord with a kick and a crash, released after two beats: it dies away
// well before the pattern's end, so the song stops in silence.
XmPattern tune_ending()
{
    PatternWriter w(32);
    w.note(0, CH_KICK, n("C4"), TUNE_KICK, 56);
    w.note(0, CH_FX, n("C4"), TUNE_CRASH, 44);
    w.note(0, CH_BASS, n("A2"), TUNE_BASS, 48);
    static constexpr uint8_t PAN[3] = {0x40, 0x80, 0xc0};
    for (int v = 0; v < 3; v++) w.note(0, CH_PAD1 + v, AM.pad[v], TUNE_PAD, 34, FX_PANNING, PAN[v]);
    w.note(0, CH_LEAD, n("A4"), TUNE_LEAD, 30, FX_PANNING, 0x80);
    for (int ch : {CH_PAD1, CH_PAD2, CH_PAD3, CH_LEAD}) w.key_off(8, ch);
    return w.pattern;
}

} // namespace

XmModule tune_module()
{
    XmModule m;
    m.name = "vantor6";
    m.channels = CH_COUNT;
    m.speed = TUNE_SPEED;
    m.bpm = TUNE_BPM;
    m.instruments = tune_instruments();
    for (const Section& s : SONG) {
        m.orders.push_back(uint8_t(m.patterns.size()));
        m.patterns.push_back(tune_section(s));
    }
    m.orders.push_back(uint8_t(m.patterns.size()));
    m.patterns.push_back(tune_ending());
    return m;
}
