// The title card: the penguin on the ice under an aurora, with the show's name above it.
#include "content/pictures/penguin.h"
#include "content/pictures/pictures.h"

#include <cmath>
#include <cstdint>

namespace {

constexpr double HORIZON = 172;
const Vec3 AURORA_GREEN{0.1, 0.95, 0.45};
const Vec3 AURORA_VIOLET{0.45, 0.08, 0.6};

// Fine vertical rays that make the aurora look like hanging curtains.
double title_rays(double x, double seed)
{
    const double a = 0.5 + 0.5 * std::sin(x * 0.31 + seed + 3 * std::sin(x * 0.047 + seed));
    const double b = 0.5 + 0.5 * std::sin(x * 0.73 + 2 * seed);
    return 0.35 + 0.65 * a * (0.6 + 0.4 * b);
}

// A curtain whose lower edge waves along base(x); bright at the edge, fading upwards.
Vec3 title_curtain(double x, double y, double base, double seed, double strength)
{
    const double above = base - y;
    if (above < -12) return {};
    const double glow = above < 0 ? std::exp(above / 3) : std::exp(-above / 38);
    const Vec3 colour = mix(AURORA_GREEN, AURORA_VIOLET, smoothstep(8, 60, above));
    return colour * (glow * title_rays(x, seed) * strength);
}

Vec3 title_sky(double x, double y)
{
    Vec3 sky = mix(Vec3{0.003, 0.006, 0.03}, Vec3{0.02, 0.07, 0.11}, smoothstep(0, HORIZON, y));
    const double base1 = 112 + 16 * std::sin(x * 0.018 + 0.5) + 8 * std::sin(x * 0.047 + 2.0) +
                         3 * std::sin(x * 0.13);
    const double base2 = 84 + 12 * std::sin(x * 0.025 + 2.6) + 6 * std::sin(x * 0.061 + 1.0);
    sky += title_curtain(x, y, base1, 0.0, 0.9);
    sky += title_curtain(x, y, base2, 4.0, 0.45);
    return sky;
}

// Distant ice mountains, their snowy ridges lit by the aurora, then the snowfield.
double title_ridge(double x)
{
    return 158 - 13 * std::fabs(std::sin(x * 0.021 + 1.0)) -
           7 * std::fabs(std::sin(x * 0.057 + 0.3)) - 3 * std::fabs(std::sin(x * 0.13 + 2.0));
}

Vec3 title_ground(double x, double y, Vec3 sky)
{
    const double ridge = title_ridge(x);
    if (y < ridge) return sky;
    if (y < HORIZON) {
        const double lit = std::exp(-(y - ridge) / 5);
        return mix(Vec3{0.015, 0.03, 0.06}, Vec3{0.12, 0.32, 0.3}, lit);
    }
    const double depth = (y - HORIZON) / (240 - HORIZON);
    Vec3 snow = mix(Vec3{0.1, 0.2, 0.25}, Vec3{0.45, 0.55, 0.68}, std::pow(depth, 0.7));
    // Wind-carved ridges in the snow, and the aurora's green in its shine near the horizon.
    snow = snow * (0.92 + 0.08 * std::sin(y * 1.7 + 6 * std::sin(x * 0.03 + y * 0.1)));
    snow += AURORA_GREEN * (0.12 * std::exp(-(y - HORIZON) / 10));
    // The penguin's shadow.
    const double sx = (x - 165) / 48, sy = (y - 224) / 7;
    snow = snow * (1 - 0.6 * std::exp(-(sx * sx + sy * sy) * 2));
    return snow;
}

Vec3 title_sample(double x, double y)
{
    Vec3 colour;
    if (penguin_sample(x, y, AURORA_GREEN * 0.8, &colour)) return colour;
    return title_ground(x, y, title_sky(x, y));
}

// Open sky: above the mountains and not behind the penguin (a star is a pixel and its cross).
bool title_open_sky(int x, int y)
{
    Vec3 unused;
    for (int d = -1; d <= 1; d++)
        if (y + d + 1.5 > title_ridge(x + 0.5) ||
            penguin_sample(x + d + 0.5, y + 0.5, {}, &unused) ||
            penguin_sample(x + 0.5, y + d + 0.5, {}, &unused))
            return false;
    return true;
}

// A fixed scatter of stars in the open sky, and a glitter of frost on the snow.
void title_stars(RgbImage& img)
{
    uint32_t seed = 2024;
    auto next = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return (seed >> 8) / 16777216.0;
    };
    for (int i = 0; i < 170; i++) {
        const int x = int(next() * img.width), y = int(next() * 150);
        const double b = 0.15 + 0.85 * std::pow(next(), 3);
        if (!title_open_sky(x, y)) continue;
        img.at(x, y) += Vec3{0.9, 0.95, 1.0} * b;
        if (b > 0.6)
            for (auto [dx, dy] : {std::pair{1, 0}, {-1, 0}, {0, 1}, {0, -1}})
                if (x + dx >= 0 && x + dx < img.width && y + dy >= 0)
                    img.at(x + dx, y + dy) += Vec3{0.5, 0.55, 0.7} * (b * 0.25);
    }
    Vec3 unused;
    for (int i = 0; i < 90; i++) {
        const int x = int(next() * img.width);
        const int y = int(HORIZON + 4 + next() * (img.height - HORIZON - 5));
        if (!penguin_sample(x + 0.5, y + 0.5, {}, &unused))
            img.at(x, y) += Vec3{0.6, 0.75, 0.8} * (0.2 + 0.5 * next());
    }
}

// Letters with a dark halo and a vertical gradient from top to bottom colour.
void title_text(RgbImage& img, Font* font, int size, int baseline, const char* text, Vec3 top,
                Vec3 bottom)
{
    Coverage letters(img.width, img.height);
    font_draw_centred(font, size, img.width / 2, baseline, text, letters);
    const Coverage halo = coverage_blur(coverage_dilate(letters, 3), 2);
    rgb_paint(img, halo.alpha, Vec3{0.0, 0.01, 0.03});
    const double rise = size * 0.75; // about the height of the capitals
    for (int y = 0; y < img.height; y++)
        for (int x = 0; x < img.width; x++) {
            const double a = letters.at(x, y) / 255.0;
            if (a > 0)
                img.at(x, y) =
                    mix(img.at(x, y), mix(top, bottom, clamp01((y - (baseline - rise)) / rise)), a);
        }
}

} // namespace

RgbImage picture_render_title(Font* bold)
{
    RgbImage img(PICTURE_WIDTH, PICTURE_HEIGHT);
    constexpr int SAMPLES = 3;
    for (int y = 0; y < img.height; y++)
        for (int x = 0; x < img.width; x++) {
            Vec3 sum;
            for (int sy = 0; sy < SAMPLES; sy++)
                for (int sx = 0; sx < SAMPLES; sx++)
                    sum += title_sample(x + (sx + 0.5) / SAMPLES, y + (sy + 0.5) / SAMPLES);
            img.at(x, y) = sum * (1.0 / (SAMPLES * SAMPLES));
        }
    title_stars(img);
    title_text(img, bold, 62, 64, "vantor6", Vec3{1.3, 1.3, 1.3}, Vec3{0.25, 0.7, 1.0});
    title_text(img, bold, 24, 92, "for LINUX", Vec3{0.7, 1.2, 0.8}, Vec3{0.15, 0.8, 0.45});
    return img;
}
