// The land's textures, painted from tileable noise: each repeats seamlessly across its edges
// (the panorama across its sides only), in colours of one summer day so that the quantiser can
// give all of them one palette.
#include "content/land/land.h"
#include "content/tools/noise.h"
#include "content/tools/random.h"

#include <cmath>

namespace {

constexpr double PI = 3.14159265358979323846;

template <class Paint>
RgbImage tex_paint(int size, Paint paint)
{
    RgbImage img(size, size);
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) img.at(x, y) = paint((x + 0.5) / size, (y + 0.5) / size);
    return img;
}

RgbImage tex_sky()
{
    return tex_paint(256, [](double u, double v) {
        const double n = noise_fbm(u, v, 3, 5, 11);
        const double cloud = smoothstep(0.48, 0.75, n);
        const Vec3 blue{0.10, 0.28, 0.78}, white{0.92, 0.93, 0.95}, shade{0.55, 0.6, 0.7};
        const double lit = smoothstep(0.5, 0.85, noise_fbm(u + 0.02, v + 0.03, 3, 5, 11));
        return mix(blue, mix(shade, white, lit), cloud);
    });
}

// Ridge heights of the panorama (0 bottom .. 1 top of the picture), repeating across it.
double tex_ridge(double u, int layer)
{
    const double f[3] = {2, 5, 11};
    double h = 0;
    for (int i = 0; i < 3; i++)
        h += std::sin(2 * PI * (f[i] * u + 0.17 * i + 0.31 * layer)) / (i + 1.5);
    h += 0.25 * std::fabs(std::sin(2 * PI * (17 * u + layer)));
    return layer == 0 ? 0.54 + 0.1 * h : 0.35 + 0.04 * h;
}

RgbImage tex_panorama()
{
    return tex_paint(256, [](double u, double v) {
        const double up = 1 - v; // height in the picture
        const Vec3 haze{0.45, 0.6, 0.85}, top{0.12, 0.3, 0.78};
        Vec3 c = mix(haze, top, smoothstep(0.35, 1.0, up));
        const double far_ridge = tex_ridge(u, 0), near_ridge = tex_ridge(u, 1);
        if (up < far_ridge) {
            // Blue-grey rock with snow on the upper slopes, streaked down the gullies.
            const double streak = noise_fbm(u, v * 0.3, 16, 3, 5);
            const double snow = smoothstep(far_ridge - 0.12, far_ridge - 0.05, up + 0.08 * streak);
            const Vec3 rock = mix(Vec3{0.16, 0.2, 0.3}, Vec3{0.3, 0.34, 0.45}, streak);
            c = mix(rock, Vec3{0.85, 0.88, 0.95}, snow * smoothstep(0.5, 0.58, up));
        }
        if (up < near_ridge) {
            const double trees = noise_fbm(u, v, 32, 3, 9);
            c = mix(Vec3{0.03, 0.1, 0.04}, Vec3{0.08, 0.2, 0.06}, trees);
        }
        // Meadow at the foot, where the ground's edge meets the wall.
        if (up < 0.32) {
            const double grass = noise_fbm(u, v, 16, 2, 12);
            c = mix(c, mix(Vec3{0.06, 0.18, 0.025}, Vec3{0.14, 0.3, 0.05}, grass),
                    smoothstep(0.32, 0.27, up));
        }
        return c;
    });
}

RgbImage tex_grass()
{
    return tex_paint(256, [](double u, double v) {
        const double patches = noise_fbm(u, v, 4, 3, 21), blades = noise_value(u, v * 0.5, 128, 22);
        Vec3 c = mix(Vec3{0.05, 0.16, 0.02}, Vec3{0.16, 0.32, 0.05}, patches);
        c = c * (0.75 + 0.5 * blades);
        // A few flowers.
        if (noise_value(u, v, 64, 23) > 0.93) c = Vec3{0.9, 0.85, 0.3};
        return c;
    });
}

RgbImage tex_road()
{
    return tex_paint(256, [](double u, double v) {
        const double dirt = noise_fbm(u, v, 4, 4, 31), pebble = noise_value(u, v, 64, 32);
        Vec3 c = mix(Vec3{0.22, 0.17, 0.11}, Vec3{0.38, 0.32, 0.22}, dirt);
        if (pebble > 0.75) c = mix(c, Vec3{0.5, 0.48, 0.44}, smoothstep(0.75, 0.85, pebble));
        return c * (0.85 + 0.3 * noise_value(u, v, 128, 33));
    });
}

RgbImage tex_water()
{
    return tex_paint(256, [](double u, double v) {
        const double wave = noise_fbm(u + 0.1 * std::sin(2 * PI * v * 3), v, 4, 4, 41);
        const double glint = smoothstep(0.7, 0.85, noise_value(u, v * 2, 32, 42));
        Vec3 c = mix(Vec3{0.02, 0.1, 0.22}, Vec3{0.08, 0.3, 0.5}, wave);
        return mix(c, Vec3{0.6, 0.75, 0.9}, 0.6 * glint);
    });
}

RgbImage tex_bark()
{
    return tex_paint(64, [](double u, double v) {
        const double furrow = noise_fbm(u, v * 0.25, 8, 3, 51);
        return mix(Vec3{0.05, 0.03, 0.015}, Vec3{0.2, 0.13, 0.07}, smoothstep(0.3, 0.7, furrow));
    });
}

// A crown's foliage as a lit ball, no holes: u once round it, v from the top pole down. Leaf
// clumps stand out where the sun (high, from one side) lights them; the underside is in shade.
// Blossom, where asked for, dots the lit side pink and white.
Vec3 tex_crown_at(double u, double v, Vec3 dark, Vec3 light, unsigned seed, bool blossom)
{
    const Vec3 sun = normalize(Vec3{-0.5, 0.75, -0.45});
    const double a = 2 * PI * u, lat = (0.5 - v) * PI;
    const Vec3 n{std::cos(lat) * std::cos(a), std::sin(lat), std::cos(lat) * std::sin(a)};
    const double clumps = noise_fbm(u, v, 4, 2, seed);
    const double leaves = smoothstep(0.25, 0.75, noise_value(u, v, 16, seed + 7));
    const double lit = 0.2 + 0.8 * std::max(0.0, dot(n, sun) + 0.5 * (clumps - 0.5));
    const Vec3 c = mix(dark, light, clamp01(lit * (0.55 + 0.6 * leaves)));
    if (!blossom) return c;
    const double flower = smoothstep(0.62, 0.72, noise_value(u, v, 48, seed + 11));
    const Vec3 petals = noise_hash_unit(int(u * 48), int(v * 48), seed) < 0.5
                            ? Vec3{0.85, 0.42, 0.55}
                            : Vec3{0.9, 0.86, 0.8};
    return mix(c, petals * (0.45 + 0.6 * lit), flower * smoothstep(0.1, 0.4, lit));
}

RgbImage tex_crown(Vec3 dark, Vec3 light, unsigned seed)
{
    return tex_paint(
        64, [=](double u, double v) { return tex_crown_at(u, v, dark, light, seed, false); });
}

// Two balls one over the other, at four times the width: plain leaves, and in blossom. Each
// holds its ball inside a margin that repeats the pole's row (see LandCrownMap).
RgbImage tex_crowns(Vec3 dark, Vec3 light, unsigned seed)
{
    return tex_paint(256, [=](double u, double v) {
        const double half = std::fmod(v * 2, 1.0), m = 2 * LAND_CROWN_MARGIN;
        return tex_crown_at(u, clamp01((half - m) / (1 - 2 * m)), dark, light, seed, v >= 0.5);
    });
}

// Needles: drooping branch layers across the cone.
RgbImage tex_needles(Vec3 dark, Vec3 light, unsigned seed)
{
    return tex_paint(64, [=](double u, double v) {
        const double layer = std::fmod(v * 5 + 0.3 * std::sin(2 * PI * u * 3), 1.0);
        const double needles = noise_value(u, v, 32, seed);
        return mix(dark, light, smoothstep(0.2, 1.0, layer) * (0.6 + 0.4 * needles));
    });
}

RgbImage tex_bricks(Vec3 brick, Vec3 mortar, int rows)
{
    return tex_paint(64, [=](double u, double v) {
        const double y = v * rows, row = std::floor(y);
        const double x = u * rows / 2 + (int(row) % 2) * 0.5;
        const bool joint = y - row < 0.14 || x - std::floor(x) < 0.07;
        return joint ? mortar : brick * (0.75 + 0.5 * noise_value(u, v, 16, 61));
    });
}

RgbImage tex_roof()
{
    return tex_paint(64, [](double u, double v) {
        const double row = v * 6, x = u * 6 + 0.5 * (int(std::floor(row)) % 2);
        const double shade = 0.55 + 0.45 * (row - std::floor(row)); // each tile darker at its top
        const bool edge = x - std::floor(x) < 0.08;
        return Vec3{0.45, 0.09, 0.04} *
               (edge ? 0.4 : shade * (0.85 + 0.3 * noise_value(u, v, 8, 71)));
    });
}

RgbImage tex_stone(Vec3 dark, Vec3 light, unsigned seed, int base)
{
    return tex_paint(64, [=](double u, double v) {
        const double n = noise_fbm(u, v, base, 4, seed);
        const double crack =
            smoothstep(0.03, 0.0, std::fabs(noise_value(u, v, base * 2, seed + 3) - 0.5));
        return mix(dark, light, n) * (1.0 - 0.6 * crack);
    });
}

// Dressed stone in courses, each block its own shade, for the bridges.
RgbImage tex_masonry()
{
    return tex_paint(64, [](double u, double v) {
        constexpr int COURSES = 4;
        const double y = v * COURSES, row = std::floor(y);
        const double x = u * 2 + (int(row) % 2) * 0.5, block = std::floor(x);
        const bool joint = y - row < 0.1 || x - block < 0.05;
        const double tint = noise_hash_unit(int(block) % 2, int(row), 111);
        const Vec3 stone = mix(Vec3{0.2, 0.19, 0.16}, Vec3{0.34, 0.31, 0.26}, tint);
        const Vec3 grain = stone * (0.85 + 0.3 * noise_fbm(u, v, 8, 3, 112));
        return joint ? Vec3{0.1, 0.095, 0.085} : grain;
    });
}

RgbImage tex_mossy_rock()
{
    return tex_paint(64, [](double u, double v) {
        const double n = noise_fbm(u, v, 4, 4, 81), moss = noise_fbm(u, v, 2, 3, 82);
        const Vec3 rock = mix(Vec3{0.15, 0.14, 0.12}, Vec3{0.38, 0.36, 0.32}, n);
        return mix(rock, Vec3{0.08, 0.2, 0.04} * (0.7 + 0.6 * n), smoothstep(0.5, 0.65, moss));
    });
}

// Two walls of 256 by 128, one over the other.
RgbImage tex_two_walls(int top, int bottom)
{
    RgbImage img(256, 256);
    const RgbImage a = land_wall_texture(top), b = land_wall_texture(bottom);
    for (int y = 0; y < 128; y++)
        for (int x = 0; x < 256; x++) img.at(x, y) = a.at(x, y), img.at(x, y + 128) = b.at(x, y);
    return img;
}

} // namespace

std::vector<NamedPicture> land_textures(Font* bold)
{
    std::vector<NamedPicture> t;
    t.push_back({"eg", tex_sky()});
    t.push_back({"fa", tex_crown({0.03, 0.08, 0.01}, {0.34, 0.45, 0.05}, 91)});
    t.push_back({"fenyo", tex_needles({0.01, 0.05, 0.02}, {0.06, 0.2, 0.06}, 92)});
    t.push_back({"fenyo2", tex_needles({0.01, 0.04, 0.05}, {0.07, 0.18, 0.17}, 93)});
    t.push_back({"fold", tex_grass()});
    t.push_back({"hazelol", tex_two_walls(0, 1)});
    t.push_back({"hazhatul", land_crops_texture()});
    t.push_back({"hazoldal", tex_two_walls(2, 3)});
    t.push_back({"hegyek", tex_panorama()});
    t.push_back({"hird1", land_billboard_picture(bold)});
    t.push_back({"kereg", tex_bark()});
    t.push_back({"ko1", tex_masonry()});
    t.push_back({"rock1", tex_stone({0.12, 0.11, 0.1}, {0.42, 0.38, 0.33}, 102, 2)});
    t.push_back({"rock4", tex_mossy_rock()});
    t.push_back({"tegla1", tex_bricks({0.4, 0.12, 0.06}, {0.5, 0.48, 0.42}, 8)});
    t.push_back({"teto", tex_roof()});
    t.push_back({"to", tex_water()});
    t.push_back({"ut", tex_road()});
    t.push_back({"zold3", tex_crowns({0.008, 0.04, 0.008}, {0.11, 0.33, 0.045}, 94)});
    return t;
}
