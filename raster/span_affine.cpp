// Affine span routines: texture coordinates (and shade) step linearly across the span.
#include "raster/scan.h"
#include "raster/shade.h"
#include "raster/span.h"
#include "raster/texel.h"

SpanState span_state;

namespace {

template <class Texel, bool Shaded, bool Hold>
void affine_pixels(uint8_t* p, int32_t n, int32_t u, int32_t v, int32_t shade)
{
    // Copied out of the shared state: the compiler must assume that a pixel store may change
    // it, and would fetch every field again for every pixel.
    const uint8_t* const texture = span_state.texture;
    const uint8_t* const shades = span_state.shade_table;
    const int32_t size = span_state.texture_size, dshade = span_state.dshade;
    const uint32_t du = Texel::coordinate(span_state.du), dv = Texel::coordinate(span_state.dv);
    uint32_t tu = Texel::coordinate(u), tv = Texel::coordinate(v);
#pragma GCC unroll 4
    for (; n > 0; n--) {
        const uint8_t texel = Texel::at(texture, size, tu, tv);
        if constexpr (Shaded) {
            *p++ = shade_row<Hold>(shades, shade)[texel];
            shade = fx16_add(shade, dshade);
        } else {
            *p++ = texel;
        }
        tu += du;
        tv += dv;
    }
}

template <class Texel, bool Shaded>
void span_affine(int32_t y, int32_t xl, int32_t xr)
{
    int32_t skipped;
    if (!scan_clip_span(xl, xr, skipped)) return;
    const SpanState& s = span_state;
    const int32_t u = fx16_add_times(s.u, s.du, skipped);
    const int32_t v = fx16_add_times(s.v, s.dv, skipped);
    const int32_t shade = fx16_add_times(s.shade, s.dshade, skipped);
    uint8_t* p = render_target.row_table[y] + xl;
    const int32_t n = xr - xl + 1;
    if (Shaded && !shade_span_in_table(shade, s.dshade, n))
        affine_pixels<Texel, Shaded, true>(p, n, u, v, shade);
    else
        affine_pixels<Texel, Shaded, false>(p, n, u, v, shade);
}

} // namespace

const SpanRoutine span_affine_routines[2][SPAN_SIZE_CLASSES] = {
    {span_affine<TexelPow2<8>, false>, span_affine<TexelPow2<7>, false>,
     span_affine<TexelPow2<6>, false>, span_affine<TexelPow2<5>, false>,
     span_affine<TexelPow2<4>, false>, span_affine<TexelAny, false>},
    {span_affine<TexelPow2<8>, true>, span_affine<TexelPow2<7>, true>,
     span_affine<TexelPow2<6>, true>, span_affine<TexelPow2<5>, true>,
     span_affine<TexelPow2<4>, true>, span_affine<TexelAny, true>}};
