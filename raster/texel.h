// Texel fetch by texture size; the texture repeats in both directions. A span routine turns its
// 16.16 coordinates and steps into the texel type's own form once (coordinate), steps them with
// wrapping unsigned adds, and fetches with at.
#pragma once

#include "raster/fixed.h"

#include <cstddef>
#include <cstdint>

// Power-of-two sizes keep each coordinate shifted left until its texel bits are the word's top
// bits: the texture's wrap is then the word's own, and a texel is a shift per coordinate away
// with no masking. Shifting is exact under wrapping addition, so every texel is the one that
// masking the plain 16.16 coordinate would give.
template <int LogSize>
struct TexelPow2 {
    static constexpr int shift = FX16_SHIFT - LogSize;
    static uint32_t coordinate(int32_t c) { return uint32_t(c) << shift; }
    static uint8_t at(const uint8_t* tex, int32_t, uint32_t u, uint32_t v)
    {
        return tex[((v >> (32 - LogSize)) << LogSize) | (u >> (32 - LogSize))];
    }
};

// Any other size wraps by a remainder that is never negative, so negative coordinates repeat
// the texture too. The only per-pixel division of the fillers.
struct TexelAny {
    static uint32_t coordinate(int32_t c) { return uint32_t(c); }
    static int32_t wrap(int32_t c, int32_t size)
    {
        const int32_t r = c % size;
        return r < 0 ? r + size : r;
    }
    static uint8_t at(const uint8_t* tex, int32_t size, uint32_t u, uint32_t v)
    {
        return tex[size_t(wrap(fx16_floor(int32_t(v)), size)) * size_t(size) +
                   size_t(wrap(fx16_floor(int32_t(u)), size))];
    }
};
