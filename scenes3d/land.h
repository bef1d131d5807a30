// The land flight: a scripted camera over a textured landscape, ending on a billboard.
#pragma once

#include "gfx2d/image.h"

// What the scene loads: textures from 3d/land/textu/, objects from 3d/land/ (in the order of
// the path's object bits).
constexpr int LAND_TEXTURE_COUNT = 19;
extern const char* const land_texture_names[LAND_TEXTURE_COUNT];
extern const char* const land_object_names[33];

void land_load();
void land_run(Image* frame);
void land_free();
