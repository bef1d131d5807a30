// The city flight: a scripted camera through a textured city with a turning fire pipe.
#pragma once

#include "gfx2d/image.h"

void city_load();
void city_run(Image* frame);
void city_free();
