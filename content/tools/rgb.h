// A true-colour picture in linear light, before it is reduced to 256 colours.
#pragma once

#include "content/tools/vec3.h"

#include <cstdint>
#include <vector>

struct RgbImage {
    int width = 0, height = 0;
    std::vector<Vec3> pixels; // row 0 first

    RgbImage(int w, int h) : width(w), height(h), pixels(size_t(w) * h) {}
    Vec3& at(int x, int y) { return pixels[size_t(y) * width + x]; }
    const Vec3& at(int x, int y) const { return pixels[size_t(y) * width + x]; }
};

// Soft roll-off of highlights and the sRGB curve: 8-bit RGB, three bytes per pixel.
std::vector<uint8_t> rgb_to_display(const RgbImage& img);
// Covers with colour where coverage (0-255, one byte per pixel) is set.
void rgb_paint(RgbImage& img, const std::vector<uint8_t>& coverage, Vec3 colour);
