// 16.16 fixed point as the fillers use it: edge positions and interpolants are signed 32-bit
// numbers with 16 fractional bits, and a pixel coordinate is the value shifted right (the floor).
//
// Interpolants (shade, texture coordinates) may wrap around 32 bits on purpose - the texture
// routines mask them anyway - so their arithmetic goes through unsigned helpers, which wrap
// without undefined behaviour.
#pragma once

#include <cstdint>

constexpr int FX16_SHIFT = 16;
constexpr int32_t FX16_ONE = 1 << FX16_SHIFT;
// The right edge of every span carries this bias: a span covers floor(L) .. floor(R + 0.875).
constexpr int32_t FX16_RIGHT_BIAS = 0xE000;

constexpr int32_t fx16_from_int(int32_t v)
{
    return int32_t(uint32_t(v) << FX16_SHIFT);
}
constexpr int32_t fx16_floor(int32_t v)
{
    return v >> FX16_SHIFT;
} // arithmetic: the floor

// a + b and a + b * n, wrapping like the 32-bit registers they model.
constexpr int32_t fx16_add(int32_t a, int32_t b)
{
    return int32_t(uint32_t(a) + uint32_t(b));
}
constexpr int32_t fx16_sub(int32_t a, int32_t b)
{
    return int32_t(uint32_t(a) - uint32_t(b));
}
constexpr int32_t fx16_add_times(int32_t a, int32_t b, int32_t n)
{
    return int32_t(uint32_t(a) + uint32_t(b) * uint32_t(n));
}

// Float to integer by truncation, saturated instead of undefined when out of range (a w close
// to zero gives huge texture coordinates); NaN gives 0.
constexpr int32_t fx16_trunc(float f)
{
    if (f >= 2147483648.0f) return INT32_MAX;
    if (f > -2147483648.0f) return int32_t(f);
    if (f <= -2147483648.0f) return INT32_MIN;
    return 0;
}
