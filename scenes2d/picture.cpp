#include "scenes2d/picture.h"

#include "gfx2d/pcx.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "platform/exit.h"
#include "platform/show.h"

#include <cstring>

namespace {

constexpr int CHANNELS = 768;

// The fade keeps one 16.16 accumulator per colour channel and moves it by a fixed step per
// frame; the shown value is read before each step, so frame 0 is black.
struct PictureFade {
    Palette palette;
    int32_t step[CHANNELS];
    int32_t acc[CHANNELS];
};

PictureFade picture;

void picture_fade_start(int32_t fade)
{
    const int32_t k = fade > 0 ? 65536 / fade : 0; // 16.16 share of the colour per frame
    for (int i = 0; i < CHANNELS; i++) {
        picture.step[i] = picture.palette[i] * k;
        picture.acc[i] = 0;
    }
    // Without fade frames the hold shows the picture as it is.
    if (fade <= 0) screen_palette = picture.palette;
}

void picture_fade_frame(int direction)
{
    for (int i = 0; i < CHANNELS; i++) {
        screen_palette[i] = uint8_t(picture.acc[i] >> 16); // 16.16 to a channel value
        picture.acc[i] += direction * picture.step[i];
    }
}

} // namespace

void picture_scene(Image* frame, int32_t fade, int32_t hold, const char* path)
{
    clock_restart();
    clock_elapsed_ms();
    int32_t frame_start = clock_now_ms();

    Image* image;
    if (pcx_load_image(path, &image, picture.palette.data()) != PCX_OK)
        demo_fatal("Cann't load image %s !\n", path);
    // The picture is copied whole onto the frame: any other size would read or write past
    // one of them.
    if (image->width != frame->width || image->height != frame->height) {
        image_destroy(&image);
        demo_fatal("Cann't load image %s !\n", path);
    }

    picture_fade_start(fade);
    std::memcpy(frame->pixels, image->pixels, size_t(frame->width) * frame->height);

    // Only the palette changes from here on.
    const int32_t frames = 2 * fade + hold;
    for (int32_t i = 0; i < frames;) {
        if (i < fade)
            picture_fade_frame(+1);
        else if (i >= fade + hold)
            picture_fade_frame(-1);
        display_set_palette(screen_palette.data());
        display_present(frame);
        i++;
        wait_frame(frame_start, PICTURE_FRAME_MS);
        frame_start = clock_now_ms();
        clock_elapsed_ms();
    }
    image_destroy(&image);
}
