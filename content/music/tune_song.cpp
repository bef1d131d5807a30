// The arrangement of "vantor6", written to the show's timeline: every scene begins a pattern,
// on the row nearest to where the scene starts, and the song changes where the picture does.
//
//   title picture  intro: the pad swells in under the arpeggio
//   text pages     build-up: kick, then bass and hats, then the groove, then a clap roll;
//                  a backwards crash swells as each page zooms in
//   city           the roll's last bar while the eye looks over the city; the drop and the
//                  main theme as it descends; a boom and a falling sweep at the dive into the
//                  tube, inside it bass and gated pads; the theme's answer as it comes out
//   dream picture  the last chord rings on
//   blob           breakdown with a slow lead; the roll begins as the blob flies off ...
//   money picture  ... and ends in the picture
//   land           the theme back, without kick while the eye is high up; a whoosh over the
//                  loop; the outro, the parts dropping out; a rising sweep through the two
//                  loops backwards, and the billboard
//   last picture   the final chord, died away before the show stops the music
#include "content/music/tune_parts.h"
#include "flightpaths/city_path.h"
#include "flightpaths/land_path.h"
#include "timeline/timeline.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace {

TuneChord chord(const char* bass, const char* p1, const char* p2, const char* p3, const char* a1,
                const char* a2, const char* a3, const char* a4)
{
    return {tune_note(bass),
            {tune_note(p1), tune_note(p2), tune_note(p3)},
            {tune_note(a1), tune_note(a2), tune_note(a3), tune_note(a4)}};
}

const TuneChord AM = chord("A2", "A3", "C4", "E4", "A4", "C5", "E5", "A5");
const TuneChord F = chord("F2", "A3", "C4", "F4", "F4", "A4", "C5", "F5");
const TuneChord C = chord("C3", "G3", "C4", "E4", "G4", "C5", "E5", "G5");
const TuneChord G = chord("G2", "G3", "B3", "D4", "G4", "B4", "D5", "G5");
const TuneChord DM = chord("D3", "A3", "D4", "F4", "A4", "D5", "F5", "A5");
const TuneChord EM = chord("E2", "G3", "B3", "E4", "G4", "B4", "E5", "G5");

const TuneProgression MAIN = {&AM, &F, &C, &G};
const TuneProgression BREAK_X = {&F, &G, &EM, &AM};
const TuneProgression BREAK_Y = {&DM, &F, &C, &G};
const TuneProgression HOLD_AM = {&AM, &AM, &AM, &AM};
const TuneProgression HOLD_G = {&G, &G, &G, &G};

// Melodies as "note rows" pairs, "r" for a rest; four bars of 16 rows.
const char* const THEME_A = "E5 3 E5 3 D5 2 C5 4 A4 4  C5 3 C5 3 D5 2 E5 4 C5 4 "
                            "G5 3 G5 3 E5 2 D5 4 C5 4  D5 8 B4 4 D5 4";
const char* const THEME_B = "E5 3 E5 3 D5 2 C5 4 E5 4  F5 3 E5 3 C5 2 A4 4 C5 4 "
                            "G5 3 E5 3 G5 2 A5 4 G5 4  D5 6 B4 2 G4 4 B4 4";
const char* const THEME_B_END = "E5 3 E5 3 D5 2 C5 4 E5 4  F5 3 E5 3 C5 2 A4 4 C5 4 "
                                "G5 3 E5 3 G5 2 A5 4 G5 4  D5 6 E5 2 G5 6 r 2";
const char* const BREAK_X_MELODY = "C5 8 A4 8  D5 8 B4 8  E5 8 G5 8  A5 14 r 2";
const char* const BREAK_Y_MELODY = "F5 8 E5 4 D5 4  C5 8 A4 8  G4 4 C5 4 E5 8  D5 12 r 4";
const char* const FAREWELL = "E5 3 E5 3 D5 2 C5 4 A4 4  C5 6 r 2";

constexpr int PHRASE = 4 * TUNE_BAR;

int tune_row(double ms)
{
    return int(std::lround(ms / TUNE_ROW_MS));
}

int tune_nearest(int row, int grid)
{
    return int(std::lround(double(row) / grid)) * grid;
}

// The rows of the song, scene by scene: every scene starts on the row nearest to its start.
struct TuneTimeline {
    TuneSceneStarts ms;
    int start[TIMELINE_SCENE_COUNT + 1];

    explicit TuneTimeline(const TuneSceneStarts& starts_ms) : ms(starts_ms)
    {
        for (int s = 0; s <= TIMELINE_SCENE_COUNT; s++) start[s] = tune_row(ms[size_t(s)]);
    }
    int rows(int scene) const { return start[scene + 1] - start[scene]; }
    // The song row, counted from its scene's first, of a moment or a frame of the scene.
    int row_at(int scene, int32_t ms_into) const
    {
        return tune_row(ms[size_t(scene)] + ms_into) - start[scene];
    }
    int frame_row(int scene, int32_t frame) const
    {
        return row_at(scene, frame * timeline_scene_pace(scene).frame_ms);
    }
};

// The first path row from `from` on that `pick` accepts (the last row if none does), and
// the frame at which the flight reaches it.
template <class Pick>
int tune_path_find(const CameraStep* path, int rows, int from, Pick pick)
{
    int r = from;
    while (r < rows - 1 && !pick(path[r])) r++;
    return r;
}
int32_t tune_path_frame(const CameraStep* path, int row)
{
    int32_t frame = 0;
    for (int r = 0; r < row; r++) frame += path[r].frames;
    return frame;
}

// A scene's sections end to end: each runs until the row given for it, or the scene's end,
// so that moments found in the picture decide where one section gives way to the next.
struct ScenePlan {
    explicit ScenePlan(int scene_rows) : rows(scene_rows) {}
    int rows;
    std::vector<TuneSection> sections;
    int at = 0;
    void until(int end, TuneSection s)
    {
        s.rows = std::clamp(end, at, rows) - at;
        at += s.rows;
        if (s.rows > 0) sections.push_back(s);
    }
};

struct TuneSong {
    TuneTimeline t;
    TuneSheet sheet;
    std::vector<TuneAccent> accents;

    void add(const ScenePlan& plan)
    {
        for (const TuneSection& s : plan.sections) tune_add_section(sheet, s);
    }
    // An accent at a row of a scene, kept inside the song.
    void accent(int scene, int row, int length, TuneAccentKind kind)
    {
        const int at = t.start[scene] + row;
        if (at >= 0 && at < t.start[TIMELINE_SCENE_COUNT]) accents.push_back({at, length, kind});
    }
    // A backwards crash swelling into a scene's row.
    void swell_into(int scene, int row) { accent(scene, row - TUNE_BAR, TUNE_BAR, ACCENT_SWELL); }
};

void tune_title(TuneSong& song)
{
    ScenePlan plan{song.t.rows(TIMELINE_TITLE)};
    plan.until(plan.rows, {0, &HOLD_AM, PAD | ARP, nullptr, 0.3, 0.9});
    song.add(plan);
}

// The build-up: four bars of each stage, the first stage taking what the scene leaves over.
// Each page comes with a swell that ends as the page has zoomed in.
void tune_text(TuneSong& song)
{
    const int rows = song.t.rows(TIMELINE_TEXT);
    ScenePlan plan{rows};
    plan.until(rows - 4 * PHRASE, {0, &MAIN, PAD | ARP, nullptr, 0.9, 1.0});
    plan.until(rows - 3 * PHRASE, {0, &MAIN, KICK | LIGHT_HATS | PAD | ARP | CRASH});
    plan.until(rows - 2 * PHRASE, {0, &MAIN, KICK | HATS | OPEN_HAT | BASS | PAD | ARP});
    plan.until(rows - PHRASE, {0, &MAIN, GROOVE | FILL});
    plan.until(rows, {0, &MAIN, BASS | PAD | ARP | HATS});
    song.add(plan);
    for (int page = 0; page < TIMELINE_TEXT_PAGES; page++) {
        const int32_t full = (page * TIMELINE_TEXT_PAGE_TENTHS + TIMELINE_TEXT_ZOOM_TENTHS) * 100;
        song.swell_into(TIMELINE_TEXT, tune_nearest(song.t.row_at(TIMELINE_TEXT, full), 2));
    }
}

// The city: the drop on the bar nearest to the start of the descent, the tube from the beat
// nearest to the dive until the beat nearest to the way out.
void tune_city(TuneSong& song)
{
    const TuneTimeline& t = song.t;
    const int descent =
        tune_path_find(city_path, CITY_PATH_ROWS, 0, [](const CameraStep& r) { return r.dy > 0; });
    const int dive = tune_path_find(city_path, CITY_PATH_ROWS, 0, [](const CameraStep& r) {
        return std::popcount(r.mask) == 1; // nothing but the tube
    });
    const uint32_t tube = city_path[dive].mask;
    const int out = tune_path_find(city_path, CITY_PATH_ROWS, dive,
                                   [tube](const CameraStep& r) { return (r.mask & tube) == 0; });
    auto row_of = [&](int path_row, int grid) {
        return tune_nearest(t.frame_row(TIMELINE_CITY, tune_path_frame(city_path, path_row)), grid);
    };
    const int drop = row_of(descent, TUNE_BAR), dive_row = row_of(dive, 4),
              out_row = row_of(out, 4);

    ScenePlan plan{t.rows(TIMELINE_CITY)};
    plan.until(drop, {0, &HOLD_G, PAD | ARP});
    plan.until(dive_row, {0, &MAIN, GROOVE | LEAD | ECHO | CRASH | BOOM, THEME_A});
    plan.until(out_row,
               {0, &BREAK_X, KICK | HATS | OPEN_HAT | BASS | PAD | GATE | ARP | CRASH | BOOM});
    plan.until(out_row + PHRASE, {0, &MAIN, GROOVE | LEAD | ECHO | CRASH | FILL, THEME_B});
    plan.until(plan.rows, {0, &MAIN, GROOVE | LEAD | HARMONY | FILL, THEME_B_END});
    song.add(plan);

    // The roll runs from the text's last four bars to the drop.
    const int roll = std::max(t.start[TIMELINE_TEXT], t.start[TIMELINE_CITY] - PHRASE);
    song.accents.push_back({roll, t.start[TIMELINE_CITY] + drop - roll, ACCENT_ROLL});
    song.swell_into(TIMELINE_CITY, drop);
    song.accent(TIMELINE_CITY, dive_row, TUNE_BAR, ACCENT_DIVE);
}

void tune_dream(TuneSong& song)
{
    ScenePlan plan{song.t.rows(TIMELINE_DREAM)};
    plan.until(plan.rows, {0, &HOLD_G, PAD | ARP | CRASH, nullptr, 1.0, 0.6});
    song.add(plan);
    song.swell_into(TIMELINE_BLOB, 0);
}

// The breakdown, until the bar nearest to where the blob starts to fly off: from there a roll
// builds through the money picture to the land.
void tune_blob_and_money(TuneSong& song)
{
    const TuneTimeline& t = song.t;
    const int32_t off_ms = (TIMELINE_BLOB_TENTHS - TIMELINE_BLOB_FLY_TENTHS) * 100;
    const int32_t off_frame = (off_ms + TIMELINE_BLOB_FRAME_MS - 1) / TIMELINE_BLOB_FRAME_MS;
    const int off = tune_nearest(t.frame_row(TIMELINE_BLOB, off_frame), TUNE_BAR);

    ScenePlan blob{t.rows(TIMELINE_BLOB)};
    blob.until(PHRASE, {0, &BREAK_X, PAD | ARP | CRASH, nullptr, 0.8, 0.8});
    blob.until(2 * PHRASE,
               {0, &BREAK_Y, PAD | ARP | LIGHT_HATS | LEAD | ECHO, BREAK_Y_MELODY, 0.8, 0.9});
    blob.until(off, {0, &BREAK_X, PAD | ARP | LIGHT_HATS | LEAD | ECHO, BREAK_X_MELODY, 0.9, 1.0});
    const int rolling = blob.rows - std::min(off, blob.rows);
    blob.until(blob.rows, {0, &MAIN, BASS | PAD | ARP | HATS});
    song.add(blob);

    // The money picture carries on the roll's chords where the blob left them.
    ScenePlan money{t.rows(TIMELINE_MONEY)};
    money.until(money.rows, {0, &MAIN, BASS | PAD | ARP | HATS, nullptr, 1.0, 1.0, rolling});
    song.add(money);

    const int roll = t.start[TIMELINE_MONEY] - rolling;
    song.accents.push_back({roll, t.start[TIMELINE_LAND] - roll, ACCENT_ROLL});
    song.swell_into(TIMELINE_LAND, 0);
}

// The land: the theme back in four-bar phrases, the kick and clap left out of those that begin
// while the eye is up in the air; the outro until the bar nearest to the billboard.
void tune_land(TuneSong& song)
{
    const TuneTimeline& t = song.t;
    auto frame_row = [&](int path_row) {
        return t.frame_row(TIMELINE_LAND, tune_path_frame(land_path, path_row));
    };
    auto find = [](int from, auto pick) {
        return tune_path_find(land_path, LAND_PATH_ROWS, from, pick);
    };
    const int rise = find(0, [](const CameraStep& r) { return r.dy < 0; });
    const int down = find(rise, [](const CameraStep& r) { return r.dy > 0; });
    const int landed = find(down, [](const CameraStep& r) { return r.dy == 0; });
    const int loop = find(0, [](const CameraStep& r) { return r.dax != 0; });
    const int loops_back = find(loop + 1, [](const CameraStep& r) { return r.dax != 0; });
    const int billboard = find(0, [](const CameraStep& r) { return std::popcount(r.mask) == 1; });
    const int air_from = frame_row(rise), air_to = frame_row(landed);
    const int board = tune_nearest(frame_row(billboard), TUNE_BAR);

    const unsigned theme = GROOVE | GATE | LEAD | HARMONY;
    const TuneSection phrases[] = {
        {0, &MAIN, theme | CRASH | BOOM, THEME_A},
        {0, &MAIN, theme | FILL, THEME_B},
        {0, &MAIN, theme | CRASH, THEME_A},
        {0, &MAIN, theme | FILL, THEME_B},
        {0, &MAIN, GROOVE | LEAD | ECHO | CRASH, THEME_A},
        {0, &MAIN, GROOVE | LEAD | HARMONY | FILL, THEME_B_END},
    };
    ScenePlan plan{t.rows(TIMELINE_LAND)};
    for (TuneSection s : phrases) {
        if (plan.at >= air_from && plan.at < air_to) s.parts &= ~(KICK | CLAP | BOOM | GATE);
        plan.until(std::min(plan.at + PHRASE, board), s);
    }
    plan.until(std::min(plan.at + PHRASE, board),
               {0, &MAIN, KICK | HATS | OPEN_HAT | BASS | PAD | ARP | CRASH});
    plan.until(board, {0, &MAIN, KICK | LIGHT_HATS | PAD | ARP, nullptr, 1.0, 0.8});
    plan.until(plan.rows, {0, &MAIN, PAD | ARP | LEAD | ECHO, FAREWELL, 0.8, 0.6});
    song.add(plan);

    const int loop_row = frame_row(loop), loop_end = frame_row(loop + 1);
    song.accent(TIMELINE_LAND, loop_row, loop_end - loop_row, ACCENT_WHOOSH);
    song.accent(TIMELINE_LAND, tune_nearest(loop_end, 4), 1, ACCENT_CRASH);
    const int back = frame_row(loops_back);
    song.accent(TIMELINE_LAND, back, board - back, ACCENT_RISE);
    song.swell_into(TIMELINE_LAND, board);
    song.accent(TIMELINE_LAND, board, 1, ACCENT_CRASH);
}

} // namespace

XmModule tune_module()
{
    TuneSceneStarts starts;
    for (int s = 0; s <= TIMELINE_SCENE_COUNT; s++) starts[size_t(s)] = timeline_scene_start_ms(s);
    return tune_module_for(starts);
}

XmModule tune_module_for(const TuneSceneStarts& starts_ms)
{
    TuneSong song{TuneTimeline(starts_ms), {}, {}};
    tune_title(song);
    tune_text(song);
    tune_city(song);
    tune_dream(song);
    tune_blob_and_money(song);
    tune_land(song);
    tune_add_final_chord(song.sheet, song.t.rows(TIMELINE_LAST), AM);
    for (const TuneAccent& a : song.accents) tune_add_accent(song.sheet, a);

    XmModule m;
    m.name = "vantor6";
    m.channels = CH_COUNT;
    m.speed = TUNE_SPEED;
    m.bpm = TUNE_BPM;
    m.instruments = tune_instruments();
    m.patterns = tune_patterns(song.sheet);
    for (size_t i = 0; i < m.patterns.size(); i++) m.orders.push_back(uint8_t(i));
    return m;
}
