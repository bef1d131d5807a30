// console_probe: opens the display back-end it is linked with (framebuffer or SVGAlib) with the
// display-mode answer from standard input, sets a known palette once and presents a known frame
// every 40 ms for the number of seconds on the second line of standard input (default 6), then
// closes and prints "probe: done". checkshot.py knows the picture: blocks of 20x20 frame pixels,
// block (bx, by) in palette entry bx + 16 by, whose colour is probe_colour below. Entries 0-15
// are used too: the console loads its own colours there when it comes back.
#include "platform/display.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

int main(int argc, char** argv)
{
    display_open(argc, argv, "console probe", 320, 240);
    std::vector<uint8_t> pixels(320 * 240);
    for (int y = 0; y < 240; y++)
        for (int x = 0; x < 320; x++) pixels[size_t(y) * 320 + x] = uint8_t(x / 20 + 16 * (y / 20));
    Image frame{320, 240, pixels.data()};
    uint8_t palette[768];
    for (int i = 0; i < 256; i++) {
        palette[3 * i] = uint8_t((i * 37 + 20) % 256);
        palette[3 * i + 1] = uint8_t((i * 91 + 50) % 256);
        palette[3 * i + 2] = uint8_t((i * 53 + 90) % 256);
    }
    display_set_palette(palette);

    char line[32] = "6";
    if (std::fgets(line, sizeof line, stdin) == nullptr) line[0] = '6';
    const int frames = std::atoi(line) * 25;
    const timespec period{0, 40000000};
    for (int i = 0; i < frames; i++) {
        display_present(&frame);
        nanosleep(&period, nullptr);
    }
    display_close();
    std::printf("probe: done\n");
    return 0;
}
