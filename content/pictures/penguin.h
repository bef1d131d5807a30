// Our penguin mascot, drawn from shaded ellipsoids: a black body with a glossy sheen, a white
// belly, orange beak and feet, and a red scarf.
#pragma once

#include "content/tools/vec3.h"

// The penguin's colour at (x, y) in picture pixels, and how much of it is there (0 or 1: the
// caller supersamples). rim is the colour of the light from behind.
bool penguin_sample(double x, double y, Vec3 rim, Vec3* colour);
