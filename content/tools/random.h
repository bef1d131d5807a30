// A tiny fixed-seed generator (xorshift32): the content must come out the same on every build.
#pragma once

#include <cstdint>

struct ContentRandom {
    uint32_t state;

    uint32_t next_bits()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    // In [0, 1), from the top 24 bits.
    double unit() { return (next_bits() >> 8) * (1.0 / 16777216.0); }
    // In [-1, 1).
    double noise() { return double(next_bits()) / 2147483648.0 - 1.0; }
};
