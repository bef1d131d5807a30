// A pixel buffer that is the render target while it lives.
#pragma once

#include "raster/target.h"

#include <cstdint>
#include <string>
#include <vector>

struct Canvas {
    int width, height;
    std::vector<uint8_t> pixels;

    Canvas(int w, int h, uint8_t fill = 0) : width(w), height(h), pixels(size_t(w) * h, fill)
    {
        set_render_target(pixels.data(), w, h);
    }
    ~Canvas() { set_render_target(nullptr, 0, 0); }
    Canvas(const Canvas&) = delete;

    uint8_t at(int x, int y) const { return pixels[size_t(y) * width + x]; }
    void clear(uint8_t c = 0) { pixels.assign(pixels.size(), c); }
    int count(uint8_t c) const
    {
        int n = 0;
        for (uint8_t p : pixels) n += p == c;
        return n;
    }
    // The covered columns of one row as "first..last", "" when empty, "gap" when not contiguous.
    std::string span(int y, uint8_t background = 0) const
    {
        int first = -1, last = -1;
        for (int x = 0; x < width; x++)
            if (at(x, y) != background) {
                if (first < 0)
                    first = x;
                else if (last != x - 1)
                    return "gap";
                last = x;
            }
        return first < 0 ? "" : std::to_string(first) + ".." + std::to_string(last);
    }
};
