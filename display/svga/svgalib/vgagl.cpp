// The stand-in for SVGAlib's graphics contexts. The physical context's buffer is the mode's
// graphics memory (vga_getgraphmem); copying a picture into it puts it on the screen at once,
// so page flipping is not offered: the screen never shows a half-copied picture from drawing.
#include "display/svga/svgalib/standin.h"

#include <vga.h>
#include <vgagl.h>

#include <cstdlib>
#include <cstring>

GraphicsContext currentcontext;

static int gl_setcontext_of(int mode, bool virtual_screen)
{
    if (!vga_hasmode(mode) || mode == TEXT) return -1;
    const vga_modeinfo* info = vga_getmodeinfo(mode);
    if (info == nullptr) return -1;
    GraphicsContext c{};
    c.modetype = virtual_screen ? CONTEXT_VIRTUAL : CONTEXT_LINEAR;
    c.width = info->width;
    c.height = info->height;
    c.bytesperpixel = 1;
    c.colors = 256;
    c.bitsperpixel = 8;
    c.bytewidth = info->width;
    c.clipx2 = info->width - 1;
    c.clipy2 = info->height - 1;
    if (virtual_screen) {
        c.vbuf = static_cast<char*>(std::malloc(size_t(c.bytewidth) * c.height));
        if (c.vbuf == nullptr) return -1;
    } else {
        c.vbuf = reinterpret_cast<char*>(vga_getgraphmem());
    }
    currentcontext = c;
    return 0;
}

int gl_setcontextvga(int m)
{
    return gl_setcontext_of(m, false);
}

int gl_setcontextvgavirtual(int m)
{
    return gl_setcontext_of(m, true);
}

void gl_setcontext(GraphicsContext* gc)
{
    currentcontext = *gc;
}

void gl_getcontext(GraphicsContext* gc)
{
    *gc = currentcontext;
}

void gl_disableclipping(void)
{
    currentcontext.clip = 0;
}

void gl_enableclipping(void)
{
    currentcontext.clip = 1;
}

static bool gl_is_screen(const GraphicsContext& c)
{
    return c.modetype != CONTEXT_VIRTUAL && c.vbuf != nullptr &&
           c.vbuf == reinterpret_cast<char*>(vga_getgraphmem());
}

void gl_clearscreen(int c)
{
    if (currentcontext.vbuf == nullptr) return;
    for (int y = 0; y < currentcontext.height; y++)
        std::memset(currentcontext.vbuf + size_t(y) * currentcontext.bytewidth, c,
                    size_t(currentcontext.width));
    if (gl_is_screen(currentcontext)) svgalib_standin_show();
}

int gl_enablepageflipping(GraphicsContext*)
{
    return 0;
}

void gl_copyscreen(GraphicsContext* gc)
{
    const GraphicsContext& from = currentcontext;
    if (gc == nullptr || gc->vbuf == nullptr || from.vbuf == nullptr) return;
    const int width = from.width < gc->width ? from.width : gc->width;
    const int height = from.height < gc->height ? from.height : gc->height;
    for (int y = 0; y < height; y++)
        std::memcpy(gc->vbuf + size_t(y) * gc->bytewidth, from.vbuf + size_t(y) * from.bytewidth,
                    size_t(width));
    if (gl_is_screen(*gc)) svgalib_standin_show();
}

void gl_freecontext(GraphicsContext* gc)
{
    if (gc != nullptr && gc->modetype == CONTEXT_VIRTUAL) std::free(gc->vbuf);
}
