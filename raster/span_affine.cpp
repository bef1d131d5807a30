// Affine span routines: texture coordinates (and shade) step linearly across the span.
#include "raster/scan.h"
#include "raster/span.h"
#include "raster/texel.h"

SpanState span_state;

namespace {

template <class Texel, bool Shaded>
void span_affine(int32_t y, int32_t xl, int32_t xr) {
    int32_t skipped;
    if (!scan::clip_span(xl, xr, skipped)) return;
    const SpanState& s = span_state;
    int32_t u = fx16_add_times(s.u, s.du, skipped);
    int32_t v = fx16_add_times(s.v, s.dv, skipped);
    int32_t shade = fx16_add_times(s.shade, s.dshade, skipped);
    uint8_t* p = render_target.row_table[y] + xl;
    for (int32_t n = xr - xl + 1; n > 0; n--) {
        const uint8_t texel = Texel::at(s.texture, s.texture_size, u, v);
        if constexpr (Shaded) {
            *p++ = s.shade_table[fx16_floor(shade) * 256 + texel];
            shade = fx16_add(shade, s.dshade);
        } else {
            *p++ = texel;
        }
        u = fx16_add(u, s.du);
        v = fx16_add(v, s.dv);
    }
}

template <bool Shaded>
constexpr SpanRoutine affine_sizes[SPAN_SIZE_CLASSES] = {
    span_affine<TexelPow2<8>, Shaded>, span_affine<TexelPow2<7>, Shaded>,
    span_affine<TexelPow2<6>, Shaded>, span_affine<TexelPow2<5>, Shaded>,
    span_affine<TexelPow2<4>, Shaded>, span_affine<TexelAny, Shaded>};

} // namespace

const SpanRoutine span_affine_routines[2][SPAN_SIZE_CLASSES] = {
    {affine_sizes<false>[0], affine_sizes<false>[1], affine_sizes<false>[2], affine_sizes<false>[3],
     affine_sizes<false>[4], affine_sizes<false>[5]},
    {affine_sizes<true>[0], affine_sizes<true>[1], affine_sizes<true>[2], affine_sizes<true>[3],
     affine_sizes<true>[4], affine_sizes<true>[5]}};
