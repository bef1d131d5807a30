// The fields' crops, a quarter of one texture each, in the order of LandCrop: ripe wheat,
// ploughed furrows, rows of greens on the soil, and flowering rape. Every quarter repeats on
// its own (a field lays one over each block, less a margin), and its rows run along u. The rows
// are soft and the colours close, so that they do not shimmer when seen from afar.
#include "content/land/land.h"
#include "content/tools/noise.h"

#include <cmath>

namespace {

constexpr double PI = 3.14159265358979323846;

// Rows per quarter: one to a unit of the land, a quarter spanning a block of eight.
constexpr int ROWS = 8;

// Ripe gold, the wind's broad streaks through it, and the tractor's lines.
Vec3 crop_wheat(double u, double v)
{
    const double ears = noise_fbm(u, v, 8, 3, 201), row = 0.5 + 0.5 * std::cos(2 * PI * ROWS * v);
    const double wind = noise_fbm(u * 0.5 + v, v, 2, 2, 203);
    const Vec3 c = mix(Vec3{0.4, 0.22, 0.03}, Vec3{0.72, 0.48, 0.08}, ears);
    return c * (0.8 + 0.2 * row) * (0.85 + 0.3 * wind) * (0.9 + 0.2 * noise_value(u, v, 64, 202));
}

Vec3 crop_furrows(double u, double v)
{
    const double wave = 0.04 * std::sin(2 * PI * 2 * u);
    const double ridge = 0.5 + 0.5 * std::sin(2 * PI * (ROWS * 1.5 * v + wave));
    const double clods = noise_value(u, v, 32, 211);
    const Vec3 c = mix(Vec3{0.09, 0.05, 0.025}, Vec3{0.22, 0.14, 0.07}, ridge);
    return c * (0.85 + 0.3 * clods);
}

Vec3 crop_greens(double u, double v)
{
    const double across = std::fabs(std::fmod(v * ROWS, 1.0) - 0.5); // 0 on a row's middle
    const double leaves = noise_value(u, v, 48, 221), clump = noise_fbm(u, v, 8, 2, 222);
    const double plant = smoothstep(0.36, 0.22, across + 0.08 * (leaves - 0.5));
    const Vec3 soil = Vec3{0.14, 0.085, 0.045} * (0.85 + 0.3 * clump);
    const Vec3 green = mix(Vec3{0.04, 0.16, 0.025}, Vec3{0.1, 0.32, 0.05}, leaves);
    return mix(soil, green, plant);
}

Vec3 crop_rape(double u, double v)
{
    const double bloom = noise_fbm(u, v, 8, 3, 231), row = 0.5 + 0.5 * std::cos(2 * PI * ROWS * v);
    const Vec3 c = mix(Vec3{0.62, 0.5, 0.02}, Vec3{0.88, 0.76, 0.06}, bloom);
    // Green shows through where the rows part.
    return mix(c, Vec3{0.16, 0.3, 0.04}, 0.25 * smoothstep(0.75, 1.0, 1 - row) * (1 - bloom));
}

// Where a texel of a quarter lies in its crop's repeat: the quarter's inner part (inside the
// margin that the fields leave out) holds exactly one repeat, and the margin repeats its edge.
double crop_place(int texel)
{
    constexpr double HALF = LAND_CROP_QUARTER, MARGIN = LAND_CROP_MARGIN * 2 * HALF;
    return clamp01((texel + 0.5 - MARGIN) / (HALF - 2 * MARGIN));
}

} // namespace

RgbImage land_crops_texture()
{
    Vec3 (*const crops[4])(double, double) = {crop_wheat, crop_furrows, crop_greens, crop_rape};
    constexpr int HALF = LAND_CROP_QUARTER;
    RgbImage img(2 * HALF, 2 * HALF);
    for (int q = 0; q < 4; q++)
        for (int y = 0; y < HALF; y++)
            for (int x = 0; x < HALF; x++)
                img.at((q & 1) * HALF + x, (q >> 1) * HALF + y) =
                    crops[q](crop_place(x), crop_place(y));
    return img;
}
