// Render times of the headless show, per scene: from the end of one present to the start of
// the next, which on the virtual clock is the time the scene took to draw the frame.
#pragma once

// Marks the hand-over of a frame of the given segment to the display, and the end of it.
void profile_present_begin(int segment);
void profile_present_end();
#include <cstdio>

// Frames, median, 99th percentile and maximum per scene in milliseconds, and the run's wall
// time, onto out: one line per scene, or one JSON object.
void profile_report(FILE* out, bool json);
