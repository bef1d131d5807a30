// Coverage masks: how much of each pixel a shape (a text, an outline) covers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// One byte per pixel, 0 (outside) to 255 (inside), row 0 first.
struct Coverage {
    int width = 0, height = 0;
    std::vector<uint8_t> alpha;

    Coverage(int w, int h) : width(w), height(h), alpha(size_t(w) * h) {}
    uint8_t at(int x, int y) const { return alpha[size_t(y) * width + x]; }
};

// Grows the shape by radius pixels in every direction: each pixel takes the largest coverage
// within a disc around it.
Coverage coverage_dilate(const Coverage& in, int radius);
// Softens the edges with a box blur of the given radius, run twice (close to a Gaussian).
Coverage coverage_blur(const Coverage& in, int radius);
