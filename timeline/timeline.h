// The show's timeline: the frame period and length of every scene, in the order the sequence
// shows them, and where each one starts, counted in milliseconds from the moment the music
// starts. The scenes take their periods and lengths from here; the song is arranged to the
// starts this file gives, so a scene that changes its length moves the music with it.
#pragma once

#include <cstdint>

// The picture fades count frames: in, still, out.
constexpr int32_t TIMELINE_PICTURE_FRAME_MS = 50;
constexpr int32_t TIMELINE_PICTURE_FADE_FRAMES = 20;
constexpr int32_t TIMELINE_PICTURE_HOLD_FRAMES = 20;

// The timed scenes run while their clock, in tenths of a second, is below their length.
constexpr int32_t TIMELINE_TEXT_FRAME_MS = 60;
constexpr int32_t TIMELINE_TEXT_PAGES = 5;
constexpr int32_t TIMELINE_TEXT_PAGE_TENTHS = 72; // zooming in, still, zooming out
constexpr int32_t TIMELINE_TEXT_ZOOM_TENTHS = 20;
constexpr int32_t TIMELINE_CITY_FRAME_MS = 70;
constexpr int32_t TIMELINE_CITY_TENTHS = 280;
constexpr int32_t TIMELINE_BLOB_FRAME_MS = 70;
constexpr int32_t TIMELINE_BLOB_TENTHS = 270;
constexpr int32_t TIMELINE_BLOB_FLY_TENTHS = 50; // the camera flies in, and out at the end
constexpr int32_t TIMELINE_LAND_FRAME_MS = 70;
constexpr int32_t TIMELINE_LAND_TENTHS = 610;

// The shown scenes in the sequence's order; each sits between two blank steps, which take no
// time of the show's clock. The music starts one blank step before the first picture.
enum TimelineScene : int {
    TIMELINE_TITLE,
    TIMELINE_TEXT,
    TIMELINE_CITY,
    TIMELINE_DREAM,
    TIMELINE_BLOB,
    TIMELINE_MONEY,
    TIMELINE_LAND,
    TIMELINE_LAST,
    TIMELINE_SCENE_COUNT
};

struct TimelineScenePace {
    int32_t frame_ms;
    int32_t frames; // as many as a machine that keeps the pace shows
};

// A timed scene tests its clock before every frame, so its last frame starts below its length
// and ends up to one period past it.
constexpr int32_t timeline_timed_frames(int32_t tenths, int32_t frame_ms)
{
    return (tenths * 100 + frame_ms - 1) / frame_ms;
}

constexpr TimelineScenePace timeline_scene_pace(int scene)
{
    constexpr TimelineScenePace picture = {
        TIMELINE_PICTURE_FRAME_MS, 2 * TIMELINE_PICTURE_FADE_FRAMES + TIMELINE_PICTURE_HOLD_FRAMES};
    switch (scene) {
    case TIMELINE_TEXT:
        return {TIMELINE_TEXT_FRAME_MS,
                timeline_timed_frames(TIMELINE_TEXT_PAGES * TIMELINE_TEXT_PAGE_TENTHS,
                                      TIMELINE_TEXT_FRAME_MS)};
    case TIMELINE_CITY:
        return {TIMELINE_CITY_FRAME_MS,
                timeline_timed_frames(TIMELINE_CITY_TENTHS, TIMELINE_CITY_FRAME_MS)};
    case TIMELINE_BLOB:
        return {TIMELINE_BLOB_FRAME_MS,
                timeline_timed_frames(TIMELINE_BLOB_TENTHS, TIMELINE_BLOB_FRAME_MS)};
    case TIMELINE_LAND:
        return {TIMELINE_LAND_FRAME_MS,
                timeline_timed_frames(TIMELINE_LAND_TENTHS, TIMELINE_LAND_FRAME_MS)};
    default:
        return picture;
    }
}

// Where a scene starts, in ms after the music's start; TIMELINE_SCENE_COUNT gives the end of
// the show, where the music is stopped.
constexpr int32_t timeline_scene_start_ms(int scene)
{
    int32_t t = 0;
    for (int s = 0; s < scene && s < TIMELINE_SCENE_COUNT; s++) {
        const TimelineScenePace pace = timeline_scene_pace(s);
        t += pace.frames * pace.frame_ms;
    }
    return t;
}

constexpr int32_t timeline_show_end_ms()
{
    return timeline_scene_start_ms(TIMELINE_SCENE_COUNT);
}
