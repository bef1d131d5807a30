// Reduces a true-colour picture to 256 colours with a palette chosen for it: median cut on the
// colours, refined by a few rounds of k-means, then Floyd-Steinberg error diffusion.
#pragma once

#include "gfx2d/image.h"

#include <cstdint>
#include <vector>

struct QuantizeOptions {
    int colours = 256;     // palette entries to fill; the rest stay black
    int refine_rounds = 4; // k-means rounds after the median cut
    double dither = 0.85;  // share of the error passed on; 0 maps to the nearest colour only
};

// rgb holds img->width x img->height pixels of three bytes. Fills img's pixels and palette.
void quantize_image(const std::vector<uint8_t>& rgb, Image* img, uint8_t* palette,
                    const QuantizeOptions& options = {});
