#include "driver/demo.h"

#include "platform/clock.h"
#include "platform/display.h"
#include "platform/exit.h"
#include "platform/frame_log.h"
#include "platform/music.h"
#include "platform/show.h"
#include "platform/signals.h"
#include "raster/target.h"
#include "scenes2d/picture.h"
#include "scenes2d/text.h"
#include "scenes3d/blob.h"
#include "scenes3d/city.h"
#include "scenes3d/land.h"
#include "timeline/timeline.h"

#include <cstdio>

// The picture fades' frames: in and out, and still between.
constexpr int32_t FADE = TIMELINE_PICTURE_FADE_FRAMES, HOLD = TIMELINE_PICTURE_HOLD_FRAMES;

static void demo_banner(const char* text)
{
    std::printf("*** %s *** \n", text);
}

int demo_run(int argc, char** argv)
{
    frame_log_open();
    // The real programs end on SIGINT, SIGTERM and SIGHUP through the fatal-error path.
    demo_signals_install();
    demo_banner(DEMO_TITLE);
    sound_setup();
    display_open(argc, argv, DEMO_TITLE, FRAME_WIDTH, FRAME_HEIGHT);
    trig_tables_init();
    seed_random();

    Image* frame;
    if (image_create(&frame, FRAME_WIDTH, FRAME_HEIGHT) != 0)
        demo_fatal("Cann't allocate image!\n");
    set_render_target(frame->pixels, int32_t(frame->width), int32_t(frame->height));
    music_load("music/vantor6.xm");

    // Loading comes first, so the music starts with the first picture.
    blank_screen(frame);
    blob_load();
    blank_screen(frame);
    city_load();
    blank_screen(frame);
    land_load();
    blank_screen(frame);
    text_scene_setup();
    blank_screen(frame);
    music_start();
    blank_screen(frame);

    // The show: every scene between two blank steps.
    picture_scene(frame, FADE, HOLD, "grafika/pingu3.pcx");
    blank_screen(frame);
    text_scene_run(frame);
    blank_screen(frame);
    city_run(frame);
    blank_screen(frame);
    picture_scene(frame, FADE, HOLD, "grafika/dream.pcx");
    blank_screen(frame);
    blob_run(frame);
    blank_screen(frame);
    picture_scene(frame, FADE, HOLD, "grafika/money.pcx");
    blank_screen(frame);
    land_run(frame);
    blank_screen(frame);
    picture_scene(frame, FADE, HOLD, "grafika/pingu3.pcx");
    blank_screen(frame);

    // A signal that came between frames ends the program with its status here.
    demo_signals_check();
    music_stop();
    sound_shutdown();
    text_scene_release();
    blob_free();
    land_free();
    city_free();
    image_destroy(&frame);
    display_close();
    frame_log_close();

    demo_banner("The show is over - thank you for watching");
    demo_banner("Drawn in software at 320x240 in 256 colours, music played by MikMod");
    demo_banner("See you in the next demo!");
    return 0;
}
