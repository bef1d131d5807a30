// The picture scene: one full-screen picture fades in from black, stays, and fades out.
#pragma once

#include "gfx2d/image.h"
#include "timeline/timeline.h"

#include <cstdint>

constexpr int32_t PICTURE_FRAME_MS = TIMELINE_PICTURE_FRAME_MS;

// Runs 2 x fade + hold frames of the 320x240 picture at path. A picture that can't be loaded,
// or that is not the frame's size, ends the program through the fatal-error procedure.
void picture_scene(Image* frame, int32_t fade, int32_t hold, const char* path);
