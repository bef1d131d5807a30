// The land flight: a scripted camera over a textured landscape, ending on a billboard.
#pragma once

#include "gfx2d/image.h"

void land_load();
void land_run(Image* frame);
void land_free();
