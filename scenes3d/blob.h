// The blob: three metaballs melt into one chrome blob over a background, while the camera
// flies in, holds and flies out.
#pragma once

#include "gfx2d/image.h"

void blob_load();
void blob_run(Image* frame);
void blob_free();
