#include "gfx2d/palette.h"

#include <cmath>
#include <cstdlib>

int32_t sin_table[TRIG_STEPS];
int32_t cos_table[TRIG_STEPS];

uint8_t palette_nearest(uint32_t colour, const uint8_t* palette)
{
    const int r = colour & 0xff, g = (colour >> 8) & 0xff, b = (colour >> 16) & 0xff;
    int best = 0x10000000;
    uint8_t best_index = 0;
    for (int i = 0; i < 256; i++) {
        const int dr = r - palette[3 * i], dg = g - palette[3 * i + 1], db = b - palette[3 * i + 2];
        const int d = dr * dr + dg * dg + db * db;
        if (d < best) {
            best = d;
            best_index = uint8_t(i);
        }
    }
    return best_index;
}

// The shade table matches on differences of squared channels, ties going to the highest
// index; the squares are taken once per table.
static int shade_squares[768];

static uint8_t shade_match(int r, int g, int b)
{
    const int rr = r * r, gg = g * g, bb = b * b;
    int best = 0x7fffffff;
    uint8_t best_index = 0;
    for (int i = 0; i < 256; i++) {
        const int d = std::abs(rr - shade_squares[3 * i]) +
                      std::abs(gg - shade_squares[3 * i + 1]) +
                      std::abs(bb - shade_squares[3 * i + 2]);
        if (d <= best) {
            best = d;
            best_index = uint8_t(i);
        }
    }
    return best_index;
}

void shade_table_build(const uint8_t* palette, uint8_t* table)
{
    for (int i = 0; i < 768; i++) shade_squares[i] = palette[i] * palette[i];

    for (int c = 0; c < 256; c++) {
        const int ch[3] = {palette[3 * c], palette[3 * c + 1], palette[3 * c + 2]};
        int acc[3];

        // Rows 31 down to 0: C * (L + 1) / 32, accumulators with 10 frac bits.
        for (int k = 0; k < 3; k++) acc[k] = ch[k] * 1024;
        for (int i = 0; i < 32; i++) {
            int t[3];
            for (int k = 0; k < 3; k++) {
                t[k] = acc[k] >> 10;
                if (t[k] <= 0) t[k] = 0;
                acc[k] -= ch[k] * 32;
            }
            table[(31 - i) * 256 + c] = shade_match(t[0], t[1], t[2]);
        }

        // Rows 32 to 63: C * (j - 16) / 16, saturating at 255.
        for (int k = 0; k < 3; k++) acc[k] = ch[k] * 1024;
        for (int j = 32; j < 64; j++) {
            int t[3];
            for (int k = 0; k < 3; k++) {
                t[k] = acc[k] >> 10;
                if (t[k] > 254) t[k] = 255;
                acc[k] += ch[k] * 64;
            }
            table[j * 256 + c] = shade_match(t[0], t[1], t[2]);
        }
    }
}

// In double, not long double: long double is 80 bits on x86-64 but 128 on arm64, where the
// quarter turns come out a hair inside +-1 and truncate to 1022.
void trig_tables_init()
{
    for (int i = 0; i < TRIG_STEPS; i++) {
        const double angle = i * 0.006135923151542565;
        cos_table[i] = int32_t(std::cos(angle) * 1023);
        sin_table[i] = int32_t(std::sin(angle) * 1023);
    }
}
