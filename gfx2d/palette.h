// 256-colour palettes, colour matching, the light-level shade table and the trig tables.
#pragma once

#include <array>
#include <cstdint>

// 256 entries of red, green, blue, 0-255 each; entry i is bytes 3i .. 3i+2.
using Palette = std::array<uint8_t, 768>;
static_assert(sizeof(Palette) == 768);

constexpr int SHADE_LEVELS = 64;
// Row = light level (31 and 32 are the colour itself), column = colour index.
using ShadeTable = std::array<uint8_t, SHADE_LEVELS * 256>;
static_assert(sizeof(ShadeTable) == 16384);

// Packed colour: red in bits 0-7, green 8-15, blue 16-23.
constexpr uint32_t colour_pack(int r, int g, int b)
{
    return uint32_t(r & 0xff) | uint32_t(g & 0xff) << 8 | uint32_t(b & 0xff) << 16;
}

// The lowest index at the smallest squared RGB distance.
uint8_t palette_nearest(uint32_t colour, const uint8_t* palette);
void shade_table_build(const uint8_t* palette, uint8_t* table);

// Angles in 1024ths of a turn; amplitude 1023.
constexpr int TRIG_STEPS = 1024;
extern int32_t sin_table[TRIG_STEPS];
extern int32_t cos_table[TRIG_STEPS];
void trig_tables_init();
