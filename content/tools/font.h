// Text through FreeType, as 8-bit coverage masks that the pictures are painted through.
#pragma once

#include "content/tools/coverage.h"

struct Font;

// Opens a font of Debian's fonts-dejavu-core by file name (for example "DejaVuSans-Bold.ttf");
// prints what is missing and answers null when it can't.
Font* font_open(const char* file_name);
void font_close(Font* font);

// Advance width of text at the given pixel size.
int font_text_width(Font* font, int pixel_size, const char* text);
// Draws text with its baseline starting at (x, baseline); coverage only ever grows.
void font_draw(Font* font, int pixel_size, int x, int baseline, const char* text, Coverage& out);
// The same, centred on centre_x.
void font_draw_centred(Font* font, int pixel_size, int centre_x, int baseline, const char* text,
                       Coverage& out);
