// Reading the shade table with an interpolated 16.16 light level. Edge extrapolation can carry
// a shade a little past the corners' values - below row 0 next to a corner of shade 0 - so a
// span whose shade leaves the table's rows anywhere is drawn with the row held on the table.
// Spans that stay on it, nearly all, take the plain look-up.
#pragma once

#include "gfx2d/palette.h"
#include "raster/fixed.h"

#include <algorithm>
#include <cstdint>

// Whether a shade stepping linearly over n pixels stays on the table's rows.
inline bool shade_span_in_table(int32_t shade, int32_t dshade, int32_t n)
{
    const int64_t first = shade, last = shade + int64_t(dshade) * (n - 1);
    return std::min(first, last) >= 0 && (std::max(first, last) >> FX16_SHIFT) < SHADE_LEVELS;
}

template <bool Hold>
inline const uint8_t* shade_row(const uint8_t* table, int32_t shade)
{
    int32_t row = fx16_floor(shade);
    if constexpr (Hold) row = std::clamp(row, 0, SHADE_LEVELS - 1);
    return table + row * 256;
}
