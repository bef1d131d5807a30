// What every part of the show shares: its title, the frame's size, the screen palette and
// the names of the sequence's segments.
#pragma once

#include "gfx2d/palette.h"

#include <cstddef>
#include <cstdint>

// The program-wide palette that the blank step and the picture scene fill.
extern Palette screen_palette;

constexpr const char* DEMO_TITLE = "vantor6 for LINUX by orsel";
constexpr uint32_t FRAME_WIDTH = 320;
constexpr uint32_t FRAME_HEIGHT = 240;

// The show is a row of segments, each closed by a blank step: the name of the scene that a
// segment shows, or "blank" for the loading steps before the first.
const char* demo_segment_name(int segment);

// FNV-1a over the red, green and blue bytes of count pixels that lie stride bytes apart (3 for
// RGB, 4 for RGBA, whose fourth byte is left out): the hash of a presented frame that the golden
// frames keep and that the capture and the web page's check run print.
uint64_t demo_frame_hash(const uint8_t* pixels, size_t count, size_t stride);
