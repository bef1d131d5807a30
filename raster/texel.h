// Texel fetch by texture size, from 16.16 coordinates; the texture repeats in both directions.
#pragma once

#include "raster/fixed.h"

#include <cstddef>
#include <cstdint>

// Power-of-two sizes wrap by masking.
template <int LogSize>
struct TexelPow2 {
    static constexpr int32_t mask = (1 << LogSize) - 1;
    static uint8_t at(const uint8_t* tex, int32_t, int32_t u, int32_t v)
    {
        return tex[((fx16_floor(v) & mask) << LogSize) + (fx16_floor(u) & mask)];
    }
};

// Any other size wraps by a remainder that is never negative, so negative coordinates repeat
// the texture too. The only per-pixel division of the fillers.
struct TexelAny {
    static int32_t wrap(int32_t c, int32_t size)
    {
        const int32_t r = c % size;
        return r < 0 ? r + size : r;
    }
    static uint8_t at(const uint8_t* tex, int32_t size, int32_t u, int32_t v)
    {
        return tex[size_t(wrap(fx16_floor(v), size)) * size_t(size) +
                   size_t(wrap(fx16_floor(u), size))];
    }
};
