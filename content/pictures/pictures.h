// The pictures of the show, each rendered in true colour before it is reduced to 256 colours.
#pragma once

#include "content/tools/font.h"
#include "content/tools/rgb.h"

#include <cstdint>
#include <vector>

constexpr int PICTURE_WIDTH = 320;
constexpr int PICTURE_HEIGHT = 240;

// Chrome and glass spheres over an endless checkerboard under a sunset sky.
RgbImage picture_render_dream();
// Towers of gold coins on dark velvet, with glints.
RgbImage picture_render_money();
// The title card: a penguin on the ice under the aurora, with the show's name.
RgbImage picture_render_title(Font* bold);
// Text page n (1-5): bright letters (255) with a soft edge (150) on black.
std::vector<uint8_t> picture_render_text_page(Font* bold, int page);
