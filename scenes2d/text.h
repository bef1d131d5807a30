// The waving text pages: five pages of text zoom in and out on a waving mesh, in cycling
// colours, over glowing trails of what was drawn before.
#pragma once

#include "gfx2d/image.h"
#include "timeline/timeline.h"

#include <cstdint>

constexpr int32_t TEXT_FRAME_MS = TIMELINE_TEXT_FRAME_MS;

// Loads and prepares the pages, texture, layer and tables; ends the program on failure.
void text_scene_setup();
// The 36-second scene.
void text_scene_run(Image* frame);
// Releases what the set-up took; harmless when it never ran.
void text_scene_release();
