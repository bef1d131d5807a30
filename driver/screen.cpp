#include "display/display.h"
#include "driver/demo.h"

Palette screen_palette;

void blank_screen(Image* frame)
{
    screen_palette.fill(0);
    display_set_palette(screen_palette.data());
    image_clear(frame, 0);
    display_present(frame);
    display_wait_retrace();
}
