#include "content/tools/font.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include <ft2build.h>
#include FT_FREETYPE_H

struct Font {
    FT_Library library;
    FT_Face face;
};

Font* font_open(const char* file_name)
{
    // Where the build found the fonts; the generator runs on the machine that builds.
    const std::string path = std::string(VANTOR_FONT_DIR) + "/" + file_name;
    auto* font = new Font{};
    if (FT_Init_FreeType(&font->library) != 0) {
        std::fprintf(stderr, "mkshow: cannot start FreeType\n");
        delete font;
        return nullptr;
    }
    if (FT_New_Face(font->library, path.c_str(), 0, &font->face) != 0) {
        std::fprintf(stderr, "mkshow: cannot open the font %s (install fonts-dejavu-core)\n",
                     path.c_str());
        FT_Done_FreeType(font->library);
        delete font;
        return nullptr;
    }
    return font;
}

void font_close(Font* font)
{
    if (font == nullptr) return;
    FT_Done_Face(font->face);
    FT_Done_FreeType(font->library);
    delete font;
}

// Walks the glyphs of text with kerning; calls draw(glyph slot, pen x) for each.
template <typename Draw>
static int font_walk(Font* font, int pixel_size, const char* text, Draw draw)
{
    FT_Set_Pixel_Sizes(font->face, 0, FT_UInt(pixel_size));
    const bool kerning = FT_HAS_KERNING(font->face);
    long pen = 0; // 26.6
    FT_UInt previous = 0;
    for (const char* c = text; *c; c++) {
        const FT_UInt glyph = FT_Get_Char_Index(font->face, FT_ULong(uint8_t(*c)));
        if (kerning && previous && glyph) {
            FT_Vector delta;
            FT_Get_Kerning(font->face, previous, glyph, FT_KERNING_DEFAULT, &delta);
            pen += delta.x;
        }
        if (FT_Load_Glyph(font->face, glyph, FT_LOAD_RENDER) == 0) {
            draw(font->face->glyph, int(pen >> 6));
            pen += font->face->glyph->advance.x;
        }
        previous = glyph;
    }
    return int((pen + 32) >> 6);
}

int font_text_width(Font* font, int pixel_size, const char* text)
{
    return font_walk(font, pixel_size, text, [](FT_GlyphSlot, int) {});
}

void font_draw(Font* font, int pixel_size, int x, int baseline, const char* text, Coverage& out)
{
    font_walk(font, pixel_size, text, [&](FT_GlyphSlot slot, int pen) {
        const FT_Bitmap& bm = slot->bitmap;
        const int left = x + pen + slot->bitmap_left;
        const int top = baseline - slot->bitmap_top;
        for (int row = 0; row < int(bm.rows); row++) {
            const int y = top + row;
            if (y < 0 || y >= out.height) continue;
            for (int col = 0; col < int(bm.width); col++) {
                const int px = left + col;
                if (px < 0 || px >= out.width) continue;
                uint8_t& dst = out.alpha[size_t(y) * out.width + px];
                dst = std::max(dst, bm.buffer[row * bm.pitch + col]);
            }
        }
    });
}

void font_draw_centred(Font* font, int pixel_size, int centre_x, int baseline, const char* text,
                       Coverage& out)
{
    font_draw(font, pixel_size, centre_x - font_text_width(font, pixel_size, text) / 2, baseline,
              text, out);
}
