/* A stand-in for SVGAlib's vga.h, used when the real library is not installed: the same
   names, values and signatures for the calls vantor-svga makes, drawn on the Linux framebuffer
   console (see vga.cpp). */
#ifndef VGA_H
#define VGA_H

#ifdef __cplusplus
extern "C" {
#endif

#define TEXT 0
#define G320x200x16 1
#define G640x200x16 2
#define G640x350x16 3
#define G640x480x16 4
#define G320x200x256 5
#define G320x240x256 6
#define G320x400x256 7
#define G360x480x256 8
#define G640x480x2 9
#define G640x480x256 10
#define G800x600x256 11
#define G1024x768x256 12
#define G1280x1024x256 13

#define HAVE_RWPAGE 1
#define IS_INTERLACED 2
#define IS_MODEX 4
#define IS_DYNAMICMODE 8
#define CAPABLE_LINEAR 16
#define IS_LINEAR 32
#define EXT_INFO_AVAILABLE 64
#define RGB_MISORDERED 128
#define HAVE_EXT_SET 256
#define LINEAR_CAN 512
#define IOCTL_SETDISPLAY 1024

#define HAVE_BITBLIT 1
#define HAVE_FILLBLIT 2
#define HAVE_IMAGEBLIT 4
#define HAVE_HLINELISTBLIT 8
#define HAVE_BLITWAIT 16

typedef struct {
    int width;
    int height;
    int bytesperpixel;
    int colors;
    int linewidth;
    int maxlogicalwidth;
    int startaddressrange;
    int maxpixels;
    int haveblit;
    int flags;
    int chiptype;
    int memory;
    int linewidth_unit;
    char* linear_aperture;
    int aperture_size;
    void (*set_aperture_page)(int page);
    void* extensions;
} vga_modeinfo;

extern int vga_init(void);
extern int vga_hasmode(int mode);
extern int vga_setmode(int mode);
extern vga_modeinfo* vga_getmodeinfo(int mode);
extern int vga_getcolors(void);
extern int vga_setpalvec(int start, int num, int* pal);
extern void vga_waitretrace(void);
extern unsigned char* vga_getgraphmem(void);
extern int vga_getcurrentmode(void);

#ifdef __cplusplus
}
#endif

#endif
