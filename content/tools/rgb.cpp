#include "content/tools/rgb.h"

#include <cmath>

static double rgb_encode(double linear)
{
    // Highlights approach white instead of clipping; below 0.6 the light stays as rendered.
    if (linear > 0.6) linear = 0.6 + 0.4 * (1 - std::exp(-(linear - 0.6) / 0.4));
    linear = clamp01(linear);
    const double s =
        linear <= 0.0031308 ? 12.92 * linear : 1.055 * std::pow(linear, 1 / 2.4) - 0.055;
    return std::round(clamp01(s) * 255);
}

std::vector<uint8_t> rgb_to_display(const RgbImage& img)
{
    std::vector<uint8_t> out(img.pixels.size() * 3);
    for (size_t i = 0; i < img.pixels.size(); i++) {
        out[i * 3 + 0] = uint8_t(rgb_encode(img.pixels[i].x));
        out[i * 3 + 1] = uint8_t(rgb_encode(img.pixels[i].y));
        out[i * 3 + 2] = uint8_t(rgb_encode(img.pixels[i].z));
    }
    return out;
}

void rgb_paint(RgbImage& img, const std::vector<uint8_t>& coverage, Vec3 colour)
{
    for (size_t i = 0; i < img.pixels.size(); i++)
        if (coverage[i]) img.pixels[i] = mix(img.pixels[i], colour, coverage[i] / 255.0);
}
