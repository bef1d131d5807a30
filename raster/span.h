// The state that a textured filler hands to its span routines, and the 24 span routines:
// four families (affine, affine shaded, perspective, perspective shaded), each with one
// routine per power-of-two texture size from 256 down to 16 and one for any other size.
#pragma once

#include <cstdint>

using SpanRoutine = void (*)(int32_t y, int32_t left_x, int32_t right_x);

struct SpanState {
    const uint8_t* texture;
    int32_t texture_size;
    SpanRoutine span;
    int32_t u, v, du, dv;       // 16.16 texels at the row's left edge, and per pixel (affine)
    int32_t shade, dshade;      // 16.16 light level at the left edge, and per pixel
    float a, b, w;              // u/z, v/z and 1/z at the left edge (perspective)
    float da, db, dw;           // per pixel
    float da16, db16, dw16;     // per 16-pixel run
    const uint8_t* shade_table; // 64 rows of 256
};

extern SpanState span_state;

enum SpanFamily : int {
    SPAN_AFFINE,
    SPAN_AFFINE_SHADED,
    SPAN_PERSPECTIVE,
    SPAN_PERSPECTIVE_SHADED,
    SPAN_FAMILIES
};
constexpr int SPAN_SIZE_CLASSES = 6; // 256, 128, 64, 32, 16, any other size

// 0 for 256 ... 4 for 16; 5 for every other size.
constexpr int span_size_class(int32_t size)
{
    for (int k = 0; k < 5; k++)
        if (size == 256 >> k) return k;
    return 5;
}

extern const SpanRoutine span_affine_routines[2][SPAN_SIZE_CLASSES];      // plain, shaded
extern const SpanRoutine span_perspective_routines[2][SPAN_SIZE_CLASSES]; // plain, shaded

inline SpanRoutine span_routine(SpanFamily family, int32_t texture_size)
{
    const int k = span_size_class(texture_size);
    switch (family) {
    case SPAN_AFFINE:
        return span_affine_routines[0][k];
    case SPAN_AFFINE_SHADED:
        return span_affine_routines[1][k];
    case SPAN_PERSPECTIVE:
        return span_perspective_routines[0][k];
    default:
        return span_perspective_routines[1][k];
    }
}
