// What every part of the show shares: its title, the frame's size, the screen palette and
// the names of the sequence's segments.
#pragma once

#include "gfx2d/palette.h"

#include <cstdint>

// The program-wide palette that the blank step and the picture scene fill.
extern Palette screen_palette;

constexpr const char* DEMO_TITLE = "vantor6 for LINUX by orsel";
constexpr uint32_t FRAME_WIDTH = 320;
constexpr uint32_t FRAME_HEIGHT = 240;

// The show is a row of segments, each closed by a blank step: the name of the scene that a
// segment shows, or "blank" for the loading steps before the first.
const char* demo_segment_name(int segment);
