// Perspective-correct span routines: u/z, v/z and 1/z step linearly across the span, and the
// true u, v come from one divide at the start of every 16-pixel run; within a run u and v
// step linearly.
#include "raster/scan.h"
#include "raster/shade.h"
#include "raster/span.h"
#include "raster/texel.h"

namespace {

constexpr int32_t RUN = 16;

// u/z over 1/z, as 16.16 texels.
struct Divided {
    int32_t u, v;
};
inline Divided perspective_divide(float a, float b, float w)
{
    const float r = 65536.0f / w; // 16.16
    return {fx16_trunc(a * r), fx16_trunc(b * r)};
}

// The difference spread over a 16-pixel run: (next - now) * 4096 >> 16, a 64-bit product.
inline int32_t run_step(int32_t next, int32_t now)
{
    return int32_t(((int64_t(next) - now) * 4096) >> FX16_SHIFT);
}

// Runs from pixel xl to xr of row p with a, b, w and the shade at xl.
template <class Texel, bool Shaded, bool Hold>
void perspective_runs(uint8_t* p, int32_t xl, int32_t xr, float a, float b, float w, int32_t shade)
{
    const SpanState& s = span_state;
    // The per-pixel fields as locals: a pixel store could alias the shared state, which would
    // then be fetched again for every pixel.
    const uint8_t* const texture = s.texture;
    const uint8_t* const shades = s.shade_table;
    const int32_t size = s.texture_size, dshade = s.dshade;
    Divided at = perspective_divide(a, b, w);
    int32_t u = at.u, v = at.v;
    // The first run covers 17 pixels, each later one 16; the last is cut at the span's end
    // but keeps the step of a full run.
    int32_t x = xl, run_end = xl + RUN;
    while (x <= xr) {
        const int32_t end = run_end < xr ? run_end : xr;
        w += s.dw16, a += s.da16, b += s.db16;
        const Divided next = perspective_divide(a, b, w);
        const int32_t du = run_step(next.u, u), dv = run_step(next.v, v);
        const uint32_t tdu = Texel::coordinate(du), tdv = Texel::coordinate(dv);
        uint32_t tu = Texel::coordinate(u), tv = Texel::coordinate(v);
        const int32_t count = end - x + 1;
        for (int32_t i = 0; i < count; i++) {
            const uint8_t texel = Texel::at(texture, size, tu, tv);
            if constexpr (Shaded) {
                *p++ = shade_row<Hold>(shades, shade)[texel];
                shade = fx16_add(shade, dshade);
            } else {
                *p++ = texel;
            }
            tu += tdu;
            tv += tdv;
        }
        // The next run's step starts from where this one ended, in plain 16.16.
        u = fx16_add_times(u, du, count);
        v = fx16_add_times(v, dv, count);
        x = end + 1;
        run_end = end + RUN;
    }
}

template <class Texel, bool Shaded>
void span_perspective(int32_t y, int32_t xl, int32_t xr)
{
    int32_t skipped;
    if (!scan_clip_span(xl, xr, skipped)) return;
    const SpanState& s = span_state;
    float a = s.a, b = s.b, w = s.w;
    int32_t shade = s.shade;
    if (skipped > 0) {
        const float n = float(skipped);
        a += n * s.da, b += n * s.db, w += n * s.dw;
        shade = fx16_add_times(shade, s.dshade, skipped);
    }
    uint8_t* p = render_target.row_table[y] + xl;
    if (Shaded && !shade_span_in_table(shade, s.dshade, xr - xl + 1))
        perspective_runs<Texel, Shaded, true>(p, xl, xr, a, b, w, shade);
    else
        perspective_runs<Texel, Shaded, false>(p, xl, xr, a, b, w, shade);
}

} // namespace

const SpanRoutine span_perspective_routines[2][SPAN_SIZE_CLASSES] = {
    {span_perspective<TexelPow2<8>, false>, span_perspective<TexelPow2<7>, false>,
     span_perspective<TexelPow2<6>, false>, span_perspective<TexelPow2<5>, false>,
     span_perspective<TexelPow2<4>, false>, span_perspective<TexelAny, false>},
    {span_perspective<TexelPow2<8>, true>, span_perspective<TexelPow2<7>, true>,
     span_perspective<TexelPow2<6>, true>, span_perspective<TexelPow2<5>, true>,
     span_perspective<TexelPow2<4>, true>, span_perspective<TexelAny, true>}};
