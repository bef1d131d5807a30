// The city's twelve textures, drawn procedurally: they all wrap at their edges so that tiles
// meet without seams, and they share one palette (warm brick and roofs, cool glass and sky,
// greys of stone and road, the fire and plasma's own hues).
#include "content/city/city_world.h"

#include "content/tools/noise.h"

#include <cmath>

namespace {

constexpr int SIZE = 256;
constexpr double PI = 3.14159265358979323846;

template <typename F>
RgbImage paint(F colour)
{
    RgbImage img(SIZE, SIZE);
    for (int y = 0; y < SIZE; y++)
        for (int x = 0; x < SIZE; x++)
            img.at(x, y) = colour(x, y, (x + 0.5) / SIZE, (y + 0.5) / SIZE);
    return img;
}

// Bricks in running bond: the colour of brick (or mortar) at texel (x, y).
Vec3 brick(int x, int y, int w, int h, Vec3 base, uint32_t seed)
{
    const int row = y / h, shift = (row % 2) * (w / 2);
    const int col = ((x + shift) % SIZE) / w;
    const int bx = (x + shift) % w, by = y % h;
    if (bx < 2 || by < 2) return Vec3{0.16, 0.15, 0.13} * (0.8 + 0.4 * noise_hash_unit(x, y, seed));
    const double tone = 0.7 + 0.5 * noise_hash_unit(col, row, seed);
    const double grain = 0.85 + 0.3 * noise_hash_unit(x, y, seed + 1);
    return base * (tone * grain);
}

// A window in a facade: frame, sill, panes lit warm or dark with a faint sky reflection.
// (wx, wy) is the position inside the window, 0..1; lit says how the room behind is lit.
Vec3 window(double wx, double wy, double lit, Vec3 frame)
{
    const double edge = 0.08;
    if (wx < edge || wx > 1 - edge || wy < edge || wy > 1 - edge) return frame;
    if (std::fabs(wx - 0.5) < 0.035 || std::fabs(wy - 0.4) < 0.03) return frame * 0.8; // mullions
    if (lit > 0.0) {
        const Vec3 warm{1.3, 0.85, 0.35};
        return warm * (lit * (0.8 + 0.35 * wy));
    }
    return mix(Vec3{0.02, 0.03, 0.07}, Vec3{0.12, 0.18, 0.3}, (1 - wy) * 0.8 + 0.2 * wx);
}

// Facade of four floors; bays across, each with one window. style picks the wall.
RgbImage facade(int bays, uint32_t seed, int style)
{
    return paint([&](int x, int y, double u, double v) {
        const double fu = u * bays, fv = v * 4;
        const int bay = int(fu), floor = int(fv);
        const double bx = fu - bay, by = fv - floor;
        // Each window's light: a few rooms lit, some dimmer.
        const double r = noise_hash_unit(bay, floor, seed);
        const double lit = r < 0.3 ? 1.0 : r < 0.4 ? 0.55 : 0.0;
        Vec3 wall;
        if (style == 0)
            wall = brick(x, y, 16, 8, {0.42, 0.13, 0.07}, seed);
        else if (style == 1)
            wall = Vec3{0.62, 0.5, 0.3} * (0.8 + 0.3 * noise_fbm(u, v, 8, 4, seed));
        else
            wall = Vec3{0.33, 0.34, 0.36} * (0.8 + 0.25 * noise_fbm(u, v, 16, 3, seed));
        // Window openings: tall in the old houses, wide bands in the modern ones.
        const double x0 = style == 2 ? 0.06 : 0.25, x1 = style == 2 ? 0.94 : 0.75;
        const double y0 = style == 2 ? 0.3 : 0.22, y1 = style == 2 ? 0.78 : 0.8;
        if (bx > x0 && bx < x1 && by > y0 && by < y1) {
            const Vec3 frame = style == 0   ? Vec3{0.75, 0.72, 0.65}
                               : style == 1 ? Vec3{0.12, 0.3, 0.16}
                                            : Vec3{0.2, 0.21, 0.22};
            return window((bx - x0) / (x1 - x0), (by - y0) / (y1 - y0), lit, frame);
        }
        // Sills under the windows and a band between floors.
        if (style != 2 && by > y1 && by < y1 + 0.05 && bx > x0 - 0.04 && bx < x1 + 0.04)
            return Vec3{0.7, 0.68, 0.62};
        if (style == 1 && by > 0.96) return Vec3{0.5, 0.4, 0.26};
        if (style == 2 && by > 0.9) return Vec3{0.45, 0.46, 0.47};
        // Grime that runs down from the windows.
        return wall * (1.0 - 0.25 * smoothstep(0.0, 0.3, by - y1) * (bx > x0 && bx < x1));
    });
}

RgbImage horizon()
{
    // Top half: distant blocks against a hazy sky; bottom half: the fields around the city.
    return paint([](int x, int y, double u, double v) {
        if (y < SIZE / 2) {
            const double t = v * 2; // 0 top .. 1 ground line
            const Vec3 sky = mix(Vec3{0.13, 0.31, 0.76}, Vec3{0.6, 0.65, 0.75}, t * t);
            const int block = int(u * 24);
            const double top = 0.45 + 0.4 * noise_hash_unit(block, 0, 7) +
                               0.1 * (noise_hash_unit(int(u * 96), 1, 7) > 0.7);
            if (t < top) return sky;
            const double haze = 0.55 - 0.25 * (t - top) / (1 - top);
            Vec3 c{0.16, 0.17, 0.24};
            if (noise_hash(x / 3, y / 4, 11) % 9 == 0 && (x % 3) && (y % 4)) c = {0.7, 0.55, 0.3};
            return mix(c, Vec3{0.6, 0.62, 0.7}, haze);
        }
        const double n = noise_fbm(u, v * 2, 4, 4, 13);
        const double fields = noise_value(u, v * 2, 6, 17);
        Vec3 c = mix(Vec3{0.12, 0.16, 0.08}, Vec3{0.3, 0.28, 0.15}, fields);
        return c * (0.7 + 0.5 * n);
    });
}

RgbImage clouds()
{
    return paint([](int, int, double u, double v) {
        const double n = noise_fbm(u, v, 4, 6, 21);
        const double cover = smoothstep(0.45, 0.75, n);
        const Vec3 blue{0.12, 0.3, 0.75}, white{0.95, 0.95, 0.98}, shade{0.55, 0.58, 0.68};
        const Vec3 cloud =
            mix(shade, white, smoothstep(0.5, 0.85, noise_fbm(u + 0.02, v + 0.03, 8, 4, 23)));
        return mix(blue * (0.9 + 0.2 * v), cloud, cover);
    });
}

RgbImage cobbles()
{
    // Rounded setts on a grid whose rows are offset; dark sand in the joints.
    return paint([](int x, int y, double u, double v) {
        const int h = 16, row = y / h, w = 16, shift = (row % 2) * 8;
        const int col = ((x + shift) % SIZE) / w;
        const double bx = ((x + shift) % w + 0.5) / w - 0.5, by = (y % h + 0.5) / h - 0.5;
        const double r = std::sqrt(bx * bx * 1.2 + by * by * 1.2);
        const double tone = 0.65 + 0.45 * noise_hash_unit(col, row, 31);
        if (r > 0.5) return Vec3{0.1, 0.09, 0.07} * (0.8 + 0.4 * noise_fbm(u, v, 16, 2, 33));
        const Vec3 stone =
            mix(Vec3{0.28, 0.26, 0.24}, Vec3{0.36, 0.3, 0.24}, noise_hash_unit(col, row, 32));
        return stone * (tone * (1.05 - 0.5 * r) * (0.9 + 0.2 * noise_fbm(u, v, 32, 2, 34)));
    });
}

RgbImage stone()
{
    // Large dressed blocks with thin joints and weathering.
    return paint([](int x, int y, double u, double v) {
        const int row = y / 64, shift = (row % 2) * 48;
        const int col = ((x + shift) % SIZE) / 96;
        const int bx = (x + shift) % 96, by = y % 64;
        const double n = noise_fbm(u, v, 8, 5, 41);
        const Vec3 base = Vec3{0.42, 0.41, 0.38} * (0.8 + 0.3 * noise_hash_unit(col, row, 42));
        if (bx < 3 || by < 3) return Vec3{0.13, 0.13, 0.12};
        return base * (0.75 + 0.45 * n);
    });
}

RgbImage roof()
{
    // Rows of tiles overlapping downwards: light at each tile's top, shadow under the next row.
    return paint([](int x, int y, double u, double v) {
        const int h = 16, row = y / h, w = 16, shift = (row % 2) * 8;
        const int col = ((x + shift) % SIZE) / w;
        const double bx = ((x + shift) % w + 0.5) / w, by = (y % h + 0.5) / h;
        const double arc = 0.85 - 0.35 * std::sin(PI * bx); // the rounded lower edge
        const Vec3 tile =
            mix(Vec3{0.45, 0.12, 0.05}, Vec3{0.55, 0.22, 0.08}, noise_hash_unit(col, row, 51));
        if (by > arc) return tile * 0.35;
        return tile * ((0.6 + 0.5 * (1 - by)) * (0.85 + 0.3 * noise_fbm(u, v, 16, 3, 52)));
    });
}

RgbImage road()
{
    // Asphalt 16 units across and 8 along: a dashed line along the middle, patches and cracks.
    return paint([](int, int y, double u, double v) {
        const double n = noise_fbm(u, v, 8, 5, 61);
        Vec3 c = Vec3{0.07, 0.07, 0.075} * (0.75 + 0.55 * n);
        if (noise_value(u, v, 3, 62) > 0.72) c = c * 0.75;                   // patched
        if (std::fabs(noise_fbm(u, v, 4, 4, 63) - 0.5) < 0.006) c = c * 0.4; // cracks
        if (std::fabs(u - 0.5) < 0.012 && (y % 128) < 80)
            c = Vec3{0.75, 0.72, 0.6} * (0.8 + 0.3 * n);
        return c;
    });
}

RgbImage fire()
{
    return paint([](int, int, double u, double v) {
        const double n = noise_fbm(u + 0.3 * noise_fbm(u, v, 4, 3, 71), v, 4, 5, 72);
        const double t = clamp01(1.4 * n - 0.1);
        const Vec3 c = t < 0.5 ? mix(Vec3{0.25, 0.01, 0.0}, Vec3{1.0, 0.25, 0.02}, t * 2)
                               : mix(Vec3{1.0, 0.25, 0.02}, Vec3{1.2, 1.0, 0.4}, (t - 0.5) * 2);
        return c;
    });
}

RgbImage plasma()
{
    // Several periods across the texture: the tube wears it stretched over its whole length.
    return paint([](int, int, double u, double v) {
        const double a = 2 * PI * u * 5, b = 2 * PI * v * 4;
        const double p =
            std::sin(a + std::sin(b)) + std::sin(b + 2 * std::cos(a * 0.2 * 5)) + std::sin(a + b);
        const double t = 0.5 + 0.5 * std::sin(p * 2.0);
        const double glow = std::pow(0.5 + 0.5 * std::cos(p * 3.0), 6);
        return mix(Vec3{0.05, 0.0, 0.18}, Vec3{0.1, 0.55, 0.8}, t) + Vec3{0.9, 0.15, 0.7} * glow;
    });
}

} // namespace

std::vector<NamedPicture> city_textures()
{
    RgbImage blind = paint([](int x, int y, double u, double v) {
        return brick(x, y, 16, 8, {0.36, 0.14, 0.08}, 81) *
               (0.75 + 0.35 * noise_fbm(u, v, 4, 3, 82));
    });
    return {{"none", horizon()},
            {"ablak-1", facade(4, 91, 0)},
            {"ablak-2", facade(3, 92, 1)},
            {"ablak-3", facade(4, 93, 2)},
            {"fal-2", blind},
            {"felho-1", clouds()},
            {"kovek-1", cobbles()},
            {"ko-1", stone()},
            {"teto", roof()},
            {"ut-a4", road()},
            {"fire1", fire()},
            {"plasma", plasma()}};
}
