// vantor-icon: the program's icon, cut from the title picture (the penguin under the aurora)
// and resampled to a square PNG of the size asked for. Run at build time for the desktop entry.
#include "capture/capture.h"
#include "gfx2d/pcx.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// The square around the penguin in the 320x240 title picture.
constexpr int CROP_X = 92, CROP_Y = 94, CROP_SIZE = 136;

struct Rgb {
    double r, g, b;
};

// The source colour at (x, y), clamped to the crop.
Rgb icon_texel(const Image* picture, const uint8_t* palette, int x, int y)
{
    x = std::clamp(x, 0, CROP_SIZE - 1) + CROP_X;
    y = std::clamp(y, 0, CROP_SIZE - 1) + CROP_Y;
    const uint8_t* c = palette + 3 * picture->pixels[size_t(y) * picture->width + size_t(x)];
    return {double(c[0]), double(c[1]), double(c[2])};
}

// Each icon pixel averages the source area it covers (a smaller icon), or is interpolated
// between the nearest source pixels (a larger one).
std::vector<uint8_t> icon_resample(const Image* picture, const uint8_t* palette, int size)
{
    std::vector<uint8_t> out(size_t(size) * size * 3);
    const double step = double(CROP_SIZE) / size;
    // Samples per icon pixel and axis: enough to cover the area when shrinking.
    const int taps = std::max(1, int(std::ceil(step)) * 2);
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) {
            Rgb sum{0, 0, 0};
            for (int j = 0; j < taps; j++)
                for (int i = 0; i < taps; i++) {
                    // The sample's position in source pixels, pixel centres at .5.
                    const double sx = (x + (i + 0.5) / taps) * step - 0.5;
                    const double sy = (y + (j + 0.5) / taps) * step - 0.5;
                    const int x0 = int(std::floor(sx)), y0 = int(std::floor(sy));
                    const double fx = sx - x0, fy = sy - y0;
                    const Rgb a = icon_texel(picture, palette, x0, y0);
                    const Rgb b = icon_texel(picture, palette, x0 + 1, y0);
                    const Rgb c = icon_texel(picture, palette, x0, y0 + 1);
                    const Rgb d = icon_texel(picture, palette, x0 + 1, y0 + 1);
                    auto mix = [&](double Rgb::*ch) {
                        return (a.*ch * (1 - fx) + b.*ch * fx) * (1 - fy) +
                               (c.*ch * (1 - fx) + d.*ch * fx) * fy;
                    };
                    sum.r += mix(&Rgb::r);
                    sum.g += mix(&Rgb::g);
                    sum.b += mix(&Rgb::b);
                }
            const double n = double(taps) * taps;
            uint8_t* p = &out[(size_t(y) * size + size_t(x)) * 3];
            p[0] = uint8_t(std::lround(sum.r / n));
            p[1] = uint8_t(std::lround(sum.g / n));
            p[2] = uint8_t(std::lround(sum.b / n));
        }
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    const char* program = argv[0];
    char* end = nullptr;
    const long size = argc == 4 ? std::strtol(argv[2], &end, 10) : 0;
    if (argc != 4 || *end != '\0' || size < 16 || size > 1024) {
        std::fprintf(stderr, "usage: %s TITLE.pcx SIZE OUT.png\n"
                             "The icon: the penguin of the title picture, SIZE x SIZE pixels "
                             "(16-1024).\n",
                     program);
        return 2;
    }
    Image* picture = nullptr;
    uint8_t palette[768];
    if (pcx_load_image(argv[1], &picture, palette) != PCX_OK) {
        std::fprintf(stderr, "%s: cannot read the picture %s\n", program, argv[1]);
        return 1;
    }
    if (picture->width < uint32_t(CROP_X + CROP_SIZE) ||
        picture->height < uint32_t(CROP_Y + CROP_SIZE)) {
        std::fprintf(stderr, "%s: %s is smaller than the title picture\n", program, argv[1]);
        image_destroy(&picture);
        return 1;
    }
    const std::vector<uint8_t> icon = icon_resample(picture, palette, int(size));
    image_destroy(&picture);
    if (!capture_write_png(argv[3], icon.data(), int(size), int(size))) {
        std::fprintf(stderr, "%s: cannot write %s\n", program, argv[3]);
        return 1;
    }
    return 0;
}
