// SVGAlib back-end: the 256-colour modes the card offers, a menu of them, every frame drawn into
// an off-screen context of the mode's size (scaled when the mode is not the frame's) and copied
// to the screen by the library. Linked against the real SVGAlib when it is installed, otherwise
// against our stand-in in display/svga/svgalib/ on the framebuffer console.
#include "platform/ask.h"
#include "platform/display.h"
#include "platform/exit.h"
#include "platform/frame_log.h"

#include <vga.h>
#include <vgagl.h>

#include <cstdio>
#include <cstring>
#include <iterator>

namespace {

struct SvgaMode {
    int number;
    const char* text;
};
constexpr SvgaMode MODES[] = {
    {G320x200x256, "320x200 / 256 colors -> fast but wrong"},
    {G320x240x256, "320x240 / 256 colors -> RECOMMENDED!!!!"},
    {G320x400x256, "320x400 / 256 colors -> slow"},
    {G360x480x256, "360x480 / 256 colors -> slower"},
    {G640x480x256, "640x480 / 256 colors -> the slowest"},
    {G800x600x256, "800x600 / 256 colors -> snail"},
};

bool vga_started;   // vga_init succeeded: text mode is due at close
bool contexts_made; // both contexts exist
int chosen_mode;
GraphicsContext physical, virtual_screen;
int mode_width, mode_height, mode_pixels;
Image* mode_image; // the scaled frame, when the mode is not the frame's size
int card_palette[768];

[[noreturn]] void svga_fail(const char* message, int status)
{
    std::printf("%s", message);
    demo_exit(status);
}

} // namespace

void display_open(int, char**, const char*, int width, int height)
{
    if (vga_init() != 0) svga_fail("ERROR: Can't init vga\n", 255);
    vga_started = true;

    int available[std::size(MODES)];
    int count = 0;
    for (int i = 0; i < int(std::size(MODES)); i++)
        if (vga_hasmode(MODES[i].number)) available[count++] = i;
    if (count == 0) svga_fail("ERROR: Not valid vga mode avaible!", 255);

    if (!ask_answered(ASK_MODE)) {
        std::printf("Choose a vga mode:\n");
        for (int n = 0; n < count; n++) std::printf(" %d. %s\n", n + 1, MODES[available[n]].text);
    }
    chosen_mode =
        MODES[available[ask_answer(ASK_MODE, "Type the number of the vga mode:", 1, count) - 1]]
            .number;
    if (vga_setmode(chosen_mode) != 0) svga_fail("ERROR: Can't init vga\n", 255);

    gl_setcontextvga(chosen_mode);
    gl_disableclipping();
    gl_getcontext(&physical);
    gl_clearscreen(0);
    gl_enablepageflipping(&physical);
    const bool have_virtual = gl_setcontextvgavirtual(chosen_mode) == 0;
    gl_getcontext(&virtual_screen);
    contexts_made = true;

    const vga_modeinfo* info = vga_getmodeinfo(chosen_mode);
    mode_width = info->width;
    mode_height = info->height;
    mode_pixels = mode_width * mode_height;
    // Both off-screen buffers are had here or never: a present has no way to say it failed.
    const bool scaled = mode_width != width || mode_height != height;
    if (!have_virtual || virtual_screen.vbuf == nullptr ||
        (scaled && image_create(&mode_image, uint32_t(mode_width), uint32_t(mode_height)) != 0))
        svga_fail("Cann't allocate image!\n", DEMO_EXIT_FAILURE);
    std::printf("Width: %d  Height: %d  Colors: %d\n", info->width, info->height, info->colors);
}

void display_set_palette(const uint8_t* palette)
{
    if (!contexts_made || vga_getcolors() != 256) return;
    // The card's colour registers take 6 bits per channel.
    for (int i = 0; i < 768; i++) card_palette[i] = palette[i] >> 2;
    vga_setpalvec(0, 256, card_palette);
}

void display_present(const Image* frame)
{
    const FrameLogPresent logged;
    if (!contexts_made || virtual_screen.vbuf == nullptr) return;
    const Image* source = frame;
    if (int(frame->width) != mode_width || int(frame->height) != mode_height) {
        if (mode_image == nullptr) return;
        image_blit_scaled(mode_image, 0, 0, mode_width, mode_height, frame, 0, 0,
                          int32_t(frame->width), int32_t(frame->height), 0, 0);
        source = mode_image;
    }
    // Row by row: the context's lines may be longer than the mode is wide.
    for (int y = 0; y < mode_height; y++)
        std::memcpy(virtual_screen.vbuf + size_t(y) * virtual_screen.bytewidth,
                    source->pixels + size_t(y) * source->width, size_t(mode_width));
    gl_copyscreen(&physical);
}

void display_wait_retrace()
{
    if (contexts_made) vga_waitretrace();
}

// Safe at any point: also reached from the fatal path and from failed set-ups.
void display_close()
{
    if (mode_image != nullptr) image_destroy(&mode_image);
    mode_image = nullptr;
    if (contexts_made) {
        gl_freecontext(&virtual_screen);
        gl_freecontext(&physical);
        contexts_made = false;
    }
    if (vga_started) vga_setmode(TEXT);
    vga_started = false;
}
