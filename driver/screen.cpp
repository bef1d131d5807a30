#include "driver/demo.h"
#include "platform/display.h"
#include "platform/frame_log.h"
#include "platform/show.h"

void blank_screen(Image* frame)
{
    frame_log_blank_begin();
    screen_palette.fill(0);
    display_set_palette(screen_palette.data());
    image_clear(frame, 0);
    display_present(frame);
    display_wait_retrace();
    frame_log_blank_end();
}
