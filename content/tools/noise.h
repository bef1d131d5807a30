// Tileable value noise for the worlds' textures: a lattice of `period` cells across the unit
// square that wraps at its edges, so a texture made of it repeats without a seam.
#pragma once

#include <cstdint>

// A well-mixed 32-bit value per lattice point, and the same as a share in [0, 1).
uint32_t noise_hash(int x, int y, uint32_t seed);
double noise_hash_unit(int x, int y, uint32_t seed);
// Smoothly interpolated lattice values at (u, v) of the unit square: 0..1.
double noise_value(double u, double v, int period, uint32_t seed);
// Octaves from period `base` up, each twice as fine and half as strong: 0..1.
double noise_fbm(double u, double v, int base, int octaves, uint32_t seed);
