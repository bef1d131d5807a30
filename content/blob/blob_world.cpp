// The blob's two pictures: a neon sunset over an endless grid, as the camera sees it (the
// background) and as a chrome ball in the middle of it reflects it (the environment map).
// Both are looked up in one function of direction, so the blob's reflections belong to the
// world behind it; they share one palette.
#include "content/content.h"
#include "content/pictures/pictures.h"
#include "content/tools/picture_set.h"
#include "content/tools/random.h"

#include <cmath>

namespace {

constexpr int ENVIRONMENT_SIZE = 256;
constexpr double FLOOR_DEPTH = 1.0; // the grid lies this far below the eye
constexpr double PI = 3.14159265358979323846;
const Vec3 SUN_DIRECTION = normalize({0.0, 0.16, 1.0});

// Thin bright line where a coordinate nears a whole number; width in grid units.
double grid_line(double c, double width)
{
    const double d = std::fabs(c - std::round(c));
    return 1.0 - smoothstep(width * 0.5, width, d);
}

// Height of the mountain ridge (radians above the horizon) at a bearing.
double ridge(double bearing)
{
    double h = 0.0;
    const double f[4] = {3.0, 7.0, 13.0, 29.0}, a[4] = {0.055, 0.03, 0.014, 0.006};
    for (int i = 0; i < 4; i++) h += a[i] * (0.5 + 0.5 * std::sin(f[i] * bearing + 1.7 * i));
    // The sun sets into a gap between the ranges.
    return h * smoothstep(0.12, 0.6, std::fabs(bearing));
}

Vec3 sky(Vec3 d)
{
    const double elevation = std::asin(std::clamp(d.y, -1.0, 1.0));
    const Vec3 zenith{0.01, 0.006, 0.05}, violet{0.12, 0.015, 0.22}, pink{0.75, 0.08, 0.3},
        amber{0.9, 0.35, 0.08};
    const double t = std::clamp(elevation / (PI / 2), 0.0, 1.0);
    Vec3 c = t < 0.08  ? mix(amber, pink, t / 0.08)
             : t < 0.3 ? mix(pink, violet, (t - 0.08) / 0.22)
                       : mix(violet, zenith, smoothstep(0.3, 1.0, t));
    // The sun: a disc whose lower half is cut by widening bands, in a wide glow.
    const double a = std::acos(std::clamp(dot(d, SUN_DIRECTION), -1.0, 1.0));
    const double radius = 0.3;
    c += Vec3{0.8, 0.2, 0.3} * (0.35 * std::exp(-a * 6.0));
    if (a < radius) {
        const double up = (elevation - SUN_DIRECTION.y) / radius; // -1 bottom .. 1 top
        const Vec3 disc = mix(Vec3{0.95, 0.05, 0.35}, Vec3{1.0, 0.8, 0.1}, clamp01(0.5 + 0.5 * up));
        const double band = up < 0.1 ? std::fmod((0.1 - up) * 6.0, 1.0) : 1.0;
        const double gap = up < 0.1 ? (0.1 - up) * 0.8 : 0.0;
        const double edge = smoothstep(radius, radius - 0.01, a);
        if (band > gap) c = mix(c, disc, edge);
    }
    // Stars high up, where the sky is dark.
    const double bearing = std::atan2(d.x, d.z);
    const double sx = bearing * 60.0, sy = elevation * 60.0;
    ContentRandom r{uint32_t(int(std::floor(sx)) * 7919 + int(std::floor(sy)) * 104729) | 1u};
    r.next_bits();
    if (r.unit() < 0.05 && t > 0.25) {
        const double fx = sx - std::floor(sx) - 0.5, fy = sy - std::floor(sy) - 0.5;
        c += Vec3{0.8, 0.8, 1.0} * (std::exp(-(fx * fx + fy * fy) * 60.0) * r.unit());
    }
    // Mountains: dark purple, with a neon rim along the ridge.
    const double h = ridge(bearing);
    if (elevation < h && elevation > -0.02) {
        const double below = h - elevation;
        c = mix(Vec3{0.05, 0.01, 0.09}, Vec3{0.25, 0.04, 0.3}, std::exp(-below * 40.0));
        c += Vec3{0.2, 0.9, 1.0} * std::exp(-below * 400.0);
    }
    return c;
}

// The grid floor below the horizon: magenta lines on dark violet, fading into a haze.
Vec3 floor_colour(Vec3 d)
{
    const double t = FLOOR_DEPTH / -d.y;
    const double x = d.x * t, z = d.z * t;
    const double distance = std::sqrt(x * x + z * z);
    // Lines get wider with distance so they thin out smoothly instead of flickering.
    const double w = 0.03 + distance * 0.004;
    const double line = std::max(grid_line(x * 0.5, w), grid_line(z * 0.5, w));
    Vec3 c = Vec3{0.02, 0.0, 0.05} + Vec3{1.0, 0.08, 0.75} * line;
    c += Vec3{0.6, 0.1, 0.3} * (0.12 * std::exp(-distance * 0.02)); // the sun's glow on the floor
    const double haze = 1.0 - std::exp(-distance * 0.02);
    return mix(c, Vec3{0.55, 0.08, 0.3}, haze);
}

Vec3 world(Vec3 d)
{
    return d.y < -0.002 ? floor_colour(d) : sky(d);
}

// The camera looks slightly down along +z, so the horizon sits above the middle.
RgbImage render_background()
{
    RgbImage img(PICTURE_WIDTH, PICTURE_HEIGHT);
    const double focal = 0.5 * PICTURE_WIDTH / std::tan(0.5 * 70.0 * PI / 180.0);
    const double tilt = 0.12; // radians below the horizon
    constexpr int SS = 3;
    for (int y = 0; y < PICTURE_HEIGHT; y++)
        for (int x = 0; x < PICTURE_WIDTH; x++) {
            Vec3 sum;
            for (int sy = 0; sy < SS; sy++)
                for (int sx = 0; sx < SS; sx++) {
                    const double px = x + (sx + 0.5) / SS - 0.5 * PICTURE_WIDTH;
                    const double py = 0.5 * PICTURE_HEIGHT - (y + (sy + 0.5) / SS);
                    const Vec3 v = normalize({px, py, focal});
                    const Vec3 d = {v.x, v.y * std::cos(tilt) - v.z * std::sin(tilt),
                                    v.y * std::sin(tilt) + v.z * std::cos(tilt)};
                    sum += world(d);
                }
            img.at(x, y) = sum * (1.0 / (SS * SS));
        }
    return img;
}

// A box blur along rows, then columns: the blob is liquid, not a perfect mirror, and its
// facets would break thin grid lines into crackles.
void soften(RgbImage& img, int radius)
{
    RgbImage out = img;
    for (int pass = 0; pass < 2; pass++) {
        for (int y = 0; y < img.height; y++)
            for (int x = 0; x < img.width; x++) {
                Vec3 sum;
                for (int d = -radius; d <= radius; d++) {
                    const int sx = pass == 0 ? std::clamp(x + d, 0, img.width - 1) : x;
                    const int sy = pass == 1 ? std::clamp(y + d, 0, img.height - 1) : y;
                    sum += img.at(sx, sy);
                }
                out.at(x, y) = sum * (1.0 / (2 * radius + 1));
            }
        img.pixels.swap(out.pixels);
    }
}

// What a mirror ball reflects towards the camera at each normal: texel (u, v) stands for the
// view-space normal (u - 128, v - 128) / 128, x to the right and y down, facing the camera.
RgbImage render_environment()
{
    RgbImage img(ENVIRONMENT_SIZE, ENVIRONMENT_SIZE);
    constexpr int SS = 3;
    const double half = 0.5 * ENVIRONMENT_SIZE;
    for (int y = 0; y < ENVIRONMENT_SIZE; y++)
        for (int x = 0; x < ENVIRONMENT_SIZE; x++) {
            Vec3 sum;
            for (int sy = 0; sy < SS; sy++)
                for (int sx = 0; sx < SS; sx++) {
                    double nx = (x + (sx + 0.5) / SS - half) / half;
                    double ny = -(y + (sy + 0.5) / SS - half) / half; // up
                    const double r2 = nx * nx + ny * ny;
                    if (r2 > 0.999) { // beyond the rim: the rim's own reflection
                        const double k = std::sqrt(0.999 / r2);
                        nx *= k, ny *= k;
                    }
                    const Vec3 n{nx, ny, -std::sqrt(std::max(0.0, 1.0 - nx * nx - ny * ny))};
                    const Vec3 view{0.0, 0.0, 1.0};
                    const Vec3 r = view - n * (2.0 * dot(view, n));
                    sum += world(normalize(r));
                }
            img.at(x, y) = sum * (1.0 / (SS * SS));
        }
    soften(img, 2);
    return img;
}

} // namespace

bool content_write_blob(const std::string& root)
{
    std::vector<NamedPicture> pictures;
    pictures.push_back({"grafika/e_3dbl_2.pcx", render_background()});
    pictures.push_back({"grafika/e_3dbl_3.pcx", render_environment()});
    return content_make_dir(root, "grafika") && picture_set_write(root, pictures);
}
