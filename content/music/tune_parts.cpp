// The sections and accents of the tune, written into the song's sheet of rows.
#include "content/music/tune_parts.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace {

// Every note volume is scaled by this, so that even the mono mix (louder in MikMod) does
// not clip at the demo's settings.
constexpr double TUNE_MASTER = 0.85;

constexpr uint8_t FX_PORTA_UP = 0x01, FX_PORTA_DOWN = 0x02, FX_PANNING = 0x08,
                  FX_EXTENDED = 0x0e;
constexpr uint8_t FX_RETRIGGER = 0x90; // E9x: the note again every x ticks
constexpr uint8_t PAN_PADS[3] = {0x40, 0x80, 0xc0};

XmCell& tune_cell(TuneSheet& sheet, int row, int channel)
{
    return sheet.cells[size_t(row * CH_COUNT + channel)];
}

// A note at a row of the sheet (ignored outside it), its volume 0..64 scaled by `level`.
void tune_put(TuneSheet& sheet, int row, int channel, uint8_t note, uint8_t instrument, int volume,
              double level = 1.0, uint8_t effect = 0, uint8_t param = 0)
{
    if (row < 0 || row >= sheet.rows) return;
    XmCell& c = tune_cell(sheet, row, channel);
    c.note = note;
    c.instrument = note == XM_KEY_OFF || note == 0 ? 0 : instrument;
    if (volume >= 0)
        c.volume =
            uint8_t(0x10 + std::clamp(int(std::lround(volume * level * TUNE_MASTER)), 0, 64));
    c.effect = effect;
    c.param = param;
}

void tune_key_off(TuneSheet& sheet, int row, int channel)
{
    tune_put(sheet, row, channel, XM_KEY_OFF, 0, -1);
}

// One section being written: rows counted from its start, chords and melody from its phrase.
struct SectionWriter {
    TuneSheet& sheet;
    int start;
    const TuneSection& s;

    double level(int row) const
    {
        return s.level_from + (s.level_to - s.level_from) * row / s.rows;
    }
    void note(int row, int channel, uint8_t note, uint8_t instrument, int volume,
              uint8_t effect = 0, uint8_t param = 0) const
    {
        if (row < 0 || row >= s.rows) return;
        tune_put(sheet, start + row, channel, note, instrument, volume, level(row), effect, param);
    }
    const TuneChord& chord(int row) const
    {
        const int bar = (s.phrase_row + row) / TUNE_BAR;
        return *(*s.chords)[size_t(bar % 4)];
    }
};

void tune_drums(const SectionWriter& w)
{
    const unsigned parts = w.s.parts;
    for (int row = 0; row < w.s.rows; row++) {
        const int p = w.s.phrase_row + row;
        if (p % 4 != 0) continue;
        const bool backbeat = p / 4 % 2 == 1;
        if (parts & KICK) w.note(row, CH_KICK, tune_note("C4"), TUNE_KICK, 56);
        if ((parts & CLAP) && backbeat) w.note(row, CH_CLAP, tune_note("C4"), TUNE_CLAP, 46);
        if (parts & HATS) {
            w.note(row, CH_HAT, tune_note("C4"), TUNE_HAT_CLOSED, 20);
            w.note(row + 1, CH_HAT, tune_note("C4"), TUNE_HAT_CLOSED, 12);
            w.note(row + 3, CH_HAT, tune_note("C4"), TUNE_HAT_CLOSED, 16);
        }
        if (parts & LIGHT_HATS) w.note(row + 2, CH_HAT, tune_note("C4"), TUNE_HAT_CLOSED, 20);
        if (parts & OPEN_HAT)
            w.note(row + 2, CH_OPEN_HAT, tune_note("C4"), TUNE_HAT_OPEN, 28, FX_PANNING, 0x60);
    }
    if (parts & CRASH) w.note(0, CH_FX, tune_note("C4"), TUNE_CRASH, 40);
    if (parts & BOOM) w.note(0, CH_KICK, tune_note("C4"), TUNE_BOOM, 60);
    if (parts & FILL)
        for (int i = 0; i < 4; i++)
            w.note(w.s.rows - 4 + i, CH_CLAP, tune_note("C4"), TUNE_CLAP, 30 + 6 * i);
}

void tune_pads(const SectionWriter& w, int row)
{
    const int p = w.s.phrase_row + row;
    const TuneChord& ch = w.chord(row);
    // A chord sounds anew at the top of a bar, and where a section takes over in mid-bar
    // with another chord than the one that rings.
    const bool fresh =
        p % TUNE_BAR == 0 ? row == 0 || &ch != &w.chord(row - 1) : row == 0 && &ch != &w.chord(-1);
    if (fresh) {
        for (int v = 0; v < 3; v++)
            w.note(row, CH_PAD1 + v, ch.pad[v], TUNE_PAD, 30, FX_PANNING, PAN_PADS[v]);
    } else if (w.s.parts & GATE) {
        static constexpr int GATE_VOLUME[4] = {30, 6, 22, 6};
        for (int v = 0; v < 3; v++) w.note(row, CH_PAD1 + v, 0, 0, GATE_VOLUME[p % 4]);
    }
}

void tune_harmony(const SectionWriter& w)
{
    static constexpr int ARP_STEPS[16] = {0, 1, 2, 3, 1, 2, 3, 2, 0, 1, 2, 3, 2, 3, 1, 2};
    for (int row = 0; row < w.s.rows; row++) {
        const int i = (w.s.phrase_row + row) % TUNE_BAR;
        const TuneChord& ch = w.chord(row);
        if (w.s.parts & PAD) tune_pads(w, row);
        // Rolling bass: the three sixteenths after each kick.
        if ((w.s.parts & BASS) && i % 4 != 0)
            w.note(row, CH_BASS, ch.bass, TUNE_BASS, i % 4 == 2 ? 48 : 38);
        if (w.s.parts & ARP)
            w.note(row, CH_ARP, ch.arp[ARP_STEPS[i]], TUNE_ARP, i % 4 == 0 ? 30 : 20, FX_PANNING,
                   0x58);
    }
}

// The diatonic third below in A minor, for the lead's harmony.
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

void tune_lead(const SectionWriter& w)
{
    const unsigned parts = w.s.parts;
    std::istringstream in(w.s.melody);
    std::string name;
    int length, at = 0;
    while (in >> name >> length) {
        const int row = at - w.s.phrase_row;
        at += length;
        if (name == "r") {
            w.note(row, CH_LEAD, XM_KEY_OFF, 0, -1);
            if (parts & ECHO) w.note(row + 3, CH_LEAD2, XM_KEY_OFF, 0, -1);
            if (parts & HARMONY) w.note(row, CH_LEAD2, XM_KEY_OFF, 0, -1);
            continue;
        }
        const uint8_t note = tune_note(name.c_str());
        w.note(row, CH_LEAD, note, TUNE_LEAD, 46, FX_PANNING, 0x80);
        // A dotted-eighth echo on the right, or a quieter third below.
        if (parts & ECHO) w.note(row + 3, CH_LEAD2, note, TUNE_LEAD, 15, FX_PANNING, 0xc8);
        if (parts & HARMONY)
            w.note(row, CH_LEAD2, tune_third_below(note), TUNE_LEAD, 24, FX_PANNING, 0xa0);
    }
}

// The riser's noise from `row` for `length` rows: its volume moving from one value to
// another, its pitch climbing (semitones > 0) or falling, and released at the end.
void tune_sweep(TuneSheet& sheet, int row, int length, uint8_t note, int volume_from, int volume_to,
                double semitones)
{
    // Portamento moves a sixteenth of a semitone a tick, on every tick but a row's first.
    const double per_row = std::abs(semitones) * 16 / (TUNE_SPEED - 1) / std::max(1, length);
    const uint8_t speed = uint8_t(std::clamp(std::lround(per_row), 1l, 0xffl));
    const uint8_t effect = semitones > 0 ? FX_PORTA_UP : FX_PORTA_DOWN;
    for (int i = 0; i < length; i++) {
        const int volume = volume_from + (volume_to - volume_from) * i / std::max(1, length - 1);
        tune_put(sheet, row + i, CH_RISER, i == 0 ? note : 0, TUNE_RISER, volume, 1.0, effect,
                 speed);
    }
    tune_key_off(sheet, row + length, CH_RISER);
}

void tune_roll(TuneSheet& sheet, const TuneAccent& a)
{
    for (int i = 0; i < a.length; i++) {
        const int row = a.row + i;
        const int bars_left = (a.length - 1 - i) / TUNE_BAR;
        const int step = bars_left <= 2 ? 1 : bars_left == 3 ? 2 : 4;
        const int volume = 18 + 40 * i / a.length;
        // The last bar in thirty-seconds: each row's clap struck again half-way.
        if (i % step == 0)
            tune_put(sheet, row, CH_CLAP, tune_note("C4"), TUNE_CLAP, volume, 1.0,
                     bars_left == 0 ? FX_EXTENDED : 0,
                     bars_left == 0 ? uint8_t(FX_RETRIGGER | TUNE_SPEED / 2) : 0);
        if (bars_left > 0 && i % 4 == 0)
            tune_put(sheet, row, CH_KICK, tune_note("C4"), TUNE_KICK, 56);
        // The last bar holds its breath: no kick, no bass, whatever the sections under it play.
        if (bars_left == 0)
            for (int ch : {CH_KICK, CH_BASS}) {
                tune_cell(sheet, row, ch) = {};
                if (i == std::max(0, a.length - TUNE_BAR)) tune_key_off(sheet, row, ch);
            }
    }
    tune_sweep(sheet, a.row, a.length, tune_note("C3"), 8, 48, 24);
}

} // namespace

uint8_t tune_note(const char* name)
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

static int tune_grow(TuneSheet& sheet, int rows)
{
    const int start = sheet.rows;
    sheet.rows += rows;
    sheet.cells.resize(size_t(sheet.rows * CH_COUNT));
    sheet.pattern_starts.push_back(start);
    return start;
}

void tune_add_section(TuneSheet& sheet, const TuneSection& section)
{
    if (section.rows <= 0) return;
    const SectionWriter w{sheet, tune_grow(sheet, section.rows), section};
    tune_drums(w);
    tune_harmony(w);
    if ((section.parts & LEAD) && section.melody) {
        tune_lead(w);
    } else {
        // An echo may hang over from the section before: silence it where the lead rests.
        for (int ch : {CH_LEAD, CH_LEAD2}) w.note(0, ch, XM_KEY_OFF, 0, -1);
    }
}

void tune_add_final_chord(TuneSheet& sheet, int rows, const TuneChord& chord)
{
    if (rows <= 0) return;
    const int top = tune_grow(sheet, rows);
    tune_put(sheet, top, CH_KICK, tune_note("C4"), TUNE_BOOM, 56);
    tune_put(sheet, top, CH_FX, tune_note("C4"), TUNE_CRASH, 44);
    tune_put(sheet, top, CH_BASS, chord.bass, TUNE_BASS, 48);
    for (int v = 0; v < 3; v++)
        tune_put(sheet, top, CH_PAD1 + v, chord.pad[v], TUNE_PAD, 34, 1.0, FX_PANNING, PAN_PADS[v]);
    tune_put(sheet, top, CH_LEAD, chord.arp[0], TUNE_LEAD, 30, 1.0, FX_PANNING, 0x80);
    for (int ch : {CH_LEAD2, CH_ARP}) tune_key_off(sheet, top, ch);
    // Released after three quarters of a second: the pads' fade is over a second and a half.
    const int release = std::min(rows / 4, 6);
    for (int ch : {CH_PAD1, CH_PAD2, CH_PAD3, CH_LEAD}) tune_key_off(sheet, top + release, ch);
}

void tune_add_accent(TuneSheet& sheet, const TuneAccent& a)
{
    switch (a.kind) {
    case ACCENT_SWELL:
        tune_put(sheet, a.row, CH_SWELL, tune_note("C4"), TUNE_SWELL, 40);
        break;
    case ACCENT_CRASH:
        tune_put(sheet, a.row, CH_FX, tune_note("C4"), TUNE_CRASH, 40);
        tune_put(sheet, a.row, CH_KICK, tune_note("C4"), TUNE_BOOM, 60);
        break;
    case ACCENT_DIVE:
        tune_sweep(sheet, a.row, a.length, tune_note("C5"), 44, 6, -24);
        break;
    case ACCENT_WHOOSH:
        tune_sweep(sheet, a.row, a.length / 2, tune_note("C4"), 10, 40, 12);
        tune_sweep(sheet, a.row + a.length / 2, a.length - a.length / 2, 0, 40, 8, -12);
        break;
    case ACCENT_RISE:
        tune_sweep(sheet, a.row, a.length, tune_note("C3"), 8, 44, 19);
        break;
    case ACCENT_ROLL:
        tune_roll(sheet, a);
        break;
    }
}

std::vector<XmPattern> tune_patterns(const TuneSheet& sheet)
{
    std::vector<XmPattern> patterns;
    for (size_t i = 0; i < sheet.pattern_starts.size(); i++) {
        const int end =
            i + 1 < sheet.pattern_starts.size() ? sheet.pattern_starts[i + 1] : sheet.rows;
        for (int top = sheet.pattern_starts[i]; top < end; top += 64) {
            XmPattern p;
            p.rows = std::min(64, end - top);
            p.cells.assign(sheet.cells.begin() + top * CH_COUNT,
                           sheet.cells.begin() + (top + p.rows) * CH_COUNT);
            patterns.push_back(std::move(p));
        }
    }
    return patterns;
}
