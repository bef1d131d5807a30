#include "platform/display.h"

#include <gtest/gtest.h>

// The fatal path may close the display before it was opened, or after the end of the run
// already closed it: nothing may happen then.
TEST(X11Close, SafeWhenNothingIsOpen)
{
    uint8_t palette[768] = {};
    uint8_t pixels[320 * 240] = {};
    Image frame{320, 240, pixels};
    display_close();
    display_set_palette(palette);
    display_present(&frame);
    display_wait_retrace();
    display_close();
}
