#include "fake_display.h"

#include "platform/clock.h"
#include "platform/display.h"

#include <cstring>

std::vector<PresentedFrame> fake_display_frames;
int32_t fake_display_present_ms;
static std::array<uint8_t, 768> fake_palette;

void display_open(int, char**, const char*, int, int) {}
void display_set_palette(const uint8_t* palette)
{
    std::memcpy(fake_palette.data(), palette, 768);
}
void display_present(const Image* frame)
{
    const size_t n = size_t(frame->width) * frame->height;
    fake_display_frames.push_back(
        {fake_palette, std::vector<uint8_t>(frame->pixels, frame->pixels + n), clock_now_ms()});
    if (fake_display_present_ms > 0) wait_frame(clock_now_ms(), fake_display_present_ms);
}
void display_wait_retrace() {}
void display_close() {}
