// The browser's screen: each presented frame goes through the palette into RGBA bytes, which
// the page (web/index.html) puts on its 320x240 canvas and scales to the window with crisp
// pixels. The page's check run (index.html?check) also gets the capture's hash line of every
// frame, with segments counted the same way, at the blank steps.
//
// The page's side of the contract is the object Module.vantor (see hooks() in the page).
#include "display/pixels.h"
#include "platform/display.h"
#include "platform/show.h"

#include <cstdio>
#include <emscripten.h>
#include <vector>

EM_JS(int, display_web_check_run, (), { return Module.vantor.simulated ? 1 : 0; });
EM_JS(void, display_web_put, (const uint32_t* rgba, int width, int height),
      { Module.vantor.present(rgba, width, height); });
// Around the present, for the page's render times: the scene drew from the last end to this
// beginning.
EM_JS(void, display_web_present_begin, (int segment), { Module.vantor.presentBegin(segment); });
EM_JS(void, display_web_present_end, (), { Module.vantor.presentEnd(); });
EM_JS(void, display_web_blank, (), { Module.vantor.blank(); });

// RGBA in memory order, as ImageData wants it: red in the lowest byte of the little-endian word.
constexpr PixelChannels WEB_RGBA = {{0, 8}, {8, 8}, {16, 8}};
constexpr uint32_t WEB_OPAQUE = 0xff000000u;

static std::array<uint32_t, 256> web_table;
static std::vector<uint32_t> web_rgba;
static int web_width, web_height;
static bool web_print_hashes;
static int web_segment, web_frame_in_segment;

void display_open(int, char**, const char*, int width, int height)
{
    web_width = width;
    web_height = height;
    web_rgba.assign(size_t(width) * height, WEB_OPAQUE);
    web_table.fill(WEB_OPAQUE);
    web_print_hashes = display_web_check_run() != 0;
    web_segment = 0;
    web_frame_in_segment = 0;
}

// Like a true-colour screen, the new colours show at the next present.
void display_set_palette(const uint8_t* palette)
{
    pixels_table_fill(web_table, palette, WEB_RGBA, false);
    for (uint32_t& value : web_table) value |= WEB_OPAQUE;
}

void display_present(const Image* frame)
{
    if (web_rgba.empty()) return;
    display_web_present_begin(web_segment);
    const size_t n = size_t(web_width) * web_height;
    pixels_convert(std::span<const uint8_t>(frame->pixels, n), uint32_t(web_width),
                   uint32_t(web_height), web_table, reinterpret_cast<uint8_t*>(web_rgba.data()),
                   size_t(web_width) * 4, 1);
    if (web_print_hashes)
        std::printf("s%02d f%04d %016llx\n", web_segment, web_frame_in_segment,
                    static_cast<unsigned long long>(demo_frame_hash(
                        reinterpret_cast<const uint8_t*>(web_rgba.data()), n, 4)));
    display_web_put(web_rgba.data(), web_width, web_height);
    web_frame_in_segment++;
    display_web_present_end();
}

// Only the blank step waits for the retrace: it closes one segment of the sequence.
void display_wait_retrace()
{
    web_segment++;
    web_frame_in_segment = 0;
    display_web_blank();
}

// The page keeps the last picture until the end screen covers it.
void display_close()
{
    web_rgba.clear();
}
