/* A stand-in for SVGAlib's vgagl.h: the graphics contexts that vantor-svga uses, with the
   real header's layouts and values (see vgagl.cpp). */
#ifndef VGAGL_H
#define VGAGL_H

#ifdef __cplusplus
extern "C" {
#endif

#define CONTEXT_VIRTUAL 0x0
#define CONTEXT_PAGED 0x1
#define CONTEXT_LINEAR 0x2
#define CONTEXT_MODEX 0x3
#define CONTEXT_PLANAR16 0x4

#define MODEFLAG_PAGEFLIPPING_CAPABLE 0x01
#define MODEFLAG_TRIPLEBUFFERING_CAPABLE 0x02
#define MODEFLAG_PAGEFLIPPING_ENABLED 0x04
#define MODEFLAG_TRIPLEBUFFERING_ENABLED 0x08
#define MODEFLAG_FLIPPAGE_BANKALIGNED 0x10
#define MODEFLAG_32BPP_SHIFT8 0x20
#define MODEFLAG_24BPP_REVERSED 0x20

typedef struct {
    void (*driver_setpixel_func)(int, int, int);
    int (*driver_getpixel_func)(int, int);
    void (*driver_hline_func)(int, int, int, int);
    void (*driver_fillbox_func)(int, int, int, int, int);
    void (*driver_putbox_func)(int, int, int, int, void*, int);
    void (*driver_getbox_func)(int, int, int, int, void*, int);
    void (*driver_putboxmask_func)(int, int, int, int, void*);
    void (*driver_putboxpart_func)(int, int, int, int, int, int, void*, int, int);
    void (*driver_getboxpart_func)(int, int, int, int, int, int, void*, int, int);
    void (*driver_copybox_func)(int, int, int, int, int, int);
} framebufferfunctions;

typedef struct {
    unsigned char modetype;
    unsigned char modeflags;
    unsigned char dummy;
    unsigned char flippage;
    int width;
    int height;
    int bytesperpixel;
    int colors;
    int bitsperpixel;
    int bytewidth;
    char* vbuf;
    int clip;
    int clipx1;
    int clipy1;
    int clipx2;
    int clipy2;
    framebufferfunctions ff;
} GraphicsContext;

extern GraphicsContext currentcontext;

#define BYTESPERPIXEL (currentcontext.bytesperpixel)
#define BYTEWIDTH (currentcontext.bytewidth)
#define WIDTH (currentcontext.width)
#define HEIGHT (currentcontext.height)
#define VBUF (currentcontext.vbuf)
#define MODETYPE (currentcontext.modetype)
#define MODEFLAGS (currentcontext.modeflags)
#define BITSPERPIXEL (currentcontext.bitsperpixel)
#define COLORS (currentcontext.colors)
#define __clip (currentcontext.clip)
#define __clipx1 (currentcontext.clipx1)
#define __clipy1 (currentcontext.clipy1)
#define __clipx2 (currentcontext.clipx2)
#define __clipy2 (currentcontext.clipy2)

extern int gl_setcontextvga(int m);
extern int gl_setcontextvgavirtual(int m);
extern void gl_setcontext(GraphicsContext* gc);
extern void gl_getcontext(GraphicsContext* gc);
extern void gl_disableclipping(void);
extern void gl_enableclipping(void);
extern void gl_clearscreen(int c);
extern int gl_enablepageflipping(GraphicsContext* gc);
extern void gl_copyscreen(GraphicsContext* gc);
extern void gl_freecontext(GraphicsContext* gc);

#ifdef __cplusplus
}
#endif

#endif
