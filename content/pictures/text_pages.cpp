// The five text pages of the waving text scene: bright letters with a soft edge on black. The
// scene shrinks a page to 220x180 and waves it, so the type is large and bold.
#include "content/pictures/pictures.h"

#include <algorithm>

namespace {

struct TextLine {
    const char* text;
    int size; // pixel size; shrunk when the line would not fit
};

struct TextPage {
    TextLine lines[5];
};

constexpr TextPage TEXT_PAGES[5] = {
    {{{"vantor6", 84}, {"for LINUX", 44}, {"a demo drawn", 30}, {"in software", 30}}},
    {{{"software 3D", 48}, {"every pixel", 36}, {"drawn by", 36}, {"the CPU", 36}}},
    {{{"320 x 240", 56}, {"in 256", 42}, {"colours", 42}, {"one palette at a time", 26}}},
    {{{"music by", 34},
      {"MikMod", 54},
      {"on X11, the", 30},
      {"framebuffer", 30},
      {"or SVGAlib", 30}}},
    {{{"thanks for", 46}, {"watching!", 46}, {"see you in", 34}, {"the next demo", 34}}},
};

constexpr int MARGIN = 12;
constexpr uint8_t LETTER = 255;   // read as letter (above 200)
constexpr uint8_t EDGE_LOW = 100; // the soft edge spans 100-200
constexpr uint8_t EDGE_HIGH = 200;

} // namespace

std::vector<uint8_t> picture_render_text_page(Font* bold, int page)
{
    const TextPage& p = TEXT_PAGES[std::clamp(page, 1, 5) - 1];
    int sizes[5] = {};
    int block = 0;
    for (int i = 0; i < 5 && p.lines[i].text; i++) {
        sizes[i] = p.lines[i].size;
        while (sizes[i] > 8 &&
               font_text_width(bold, sizes[i], p.lines[i].text) > PICTURE_WIDTH - 2 * MARGIN)
            sizes[i]--;
        block += sizes[i] * 9 / 8;
    }

    // The block of lines sits in the middle of the page; baselines at about 0.8 of a line.
    Coverage letters(PICTURE_WIDTH, PICTURE_HEIGHT);
    int top = (PICTURE_HEIGHT - block) / 2;
    for (int i = 0; i < 5 && p.lines[i].text; i++) {
        font_draw_centred(bold, sizes[i], PICTURE_WIDTH / 2, top + sizes[i] * 19 / 20,
                          p.lines[i].text, letters);
        top += sizes[i] * 9 / 8;
    }

    const Coverage edge = coverage_blur(coverage_dilate(letters, 3), 1);
    std::vector<uint8_t> grey(letters.alpha.size());
    for (size_t i = 0; i < grey.size(); i++) {
        if (letters.alpha[i] >= 128)
            grey[i] = LETTER;
        else if (edge.alpha[i] >= 48)
            grey[i] = uint8_t(EDGE_LOW + (EDGE_HIGH - EDGE_LOW) * edge.alpha[i] / 255);
    }
    return grey;
}
