// A framebuffer device as a surface for frames of palette indices, shared by the framebuffer
// back-end and the SVGAlib stand-in: the device's description and its mapped memory, the
// visible area within it, the colours (the device's colour map on an 8-bit pseudo-colour
// screen, a lookup table on a 16- or 32-bit true-colour one) and the writing of a frame.
// Every write goes through fb_surface_begin_draw and fb_console_end_draw, so that nothing is
// drawn while the console is away.
#pragma once

#include "display/fb/fb_area.h"
#include "display/fb/fb_console.h"
#include "display/pixels.h"

#include <linux/fb.h>

#include <cstddef>
#include <cstdint>

struct FbSurface {
    int fd = -1;
    fb_fix_screeninfo fix{};
    fb_var_screeninfo var{};
    uint8_t* memory = nullptr; // the whole mapping, memory_length bytes
    size_t memory_length = 0;
    FbArea area;                // the visible area, clipped to the mapping (fb_surface_describe)
    bool pseudo_colour = false; // the palette is the colour map, else the lookup table
    PixelChannels channels;
    FbColourMap colour_map{}; // the palette as the colour map of a pseudo-colour screen
    PixelTables tables;
};

// What fb_surface_open and fb_surface_read could not do, in the order they try.
enum FbSurfaceError : int {
    FB_SURFACE_NO_DEVICE = -1,  // the device does not open
    FB_SURFACE_NO_FIXED = -2,   // FBIOGET_FSCREENINFO failed
    FB_SURFACE_NO_MODE = -3,    // FBIOGET_VSCREENINFO failed
    FB_SURFACE_NOT_PACKED = -4, // not a packed-pixel framebuffer
    FB_SURFACE_NO_MAPPING = -5, // the memory cannot be mapped
};

// Opens the device at path and reads it (fb_surface_read): 0, or an FbSurfaceError. The
// device stays open after a failure; fb_surface_close releases it.
int fb_surface_open(FbSurface* s, const char* path);
// Reads the device's description again and maps its memory, unless the mapping already has
// the memory's length: 0, or an FbSurfaceError.
int fb_surface_read(FbSurface* s);
// Unmaps the memory and closes the device; safe at any point.
void fb_surface_close(FbSurface* s);

// Whether a frame can be shown in this mode: packed pixels, and 8-bit pseudo colour or 16- or
// 32-bit true colour.
bool fb_surface_showable(const fb_fix_screeninfo& fix, const fb_var_screeninfo& var);
// Takes the visible area, the kind of colours and the channels from the device's description.
void fb_surface_describe(FbSurface* s);

// The palette (768 bytes) into the colour map, and into the lookup table of a true-colour
// screen, where it takes effect at the next frame. Nothing reaches the device.
void fb_surface_set_palette(FbSurface* s, const uint8_t* palette);
// FBIOPUTCMAP of the colour map on a pseudo-colour screen: 0, or -1 when the device refused
// it. 0 on a true-colour screen, which has none.
int fb_surface_put_colour_map(FbSurface* s);

enum FbSurfaceDraw : int {
    FB_SURFACE_AWAY,  // the console is away: draw nothing, and do not end the drawing
    FB_SURFACE_READY, // draw, then fb_console_end_draw
    // As READY, the console being back since the last picture: it has loaded its own colours
    // meanwhile, and ours went back onto a pseudo-colour screen (or were refused)
    FB_SURFACE_BACK,
    FB_SURFACE_BACK_COLOURS_REFUSED,
};
// Begins a picture (fb_console_begin_draw) and puts the colours back after a console switch.
int fb_surface_begin_draw(FbSurface* s);

// Writes a width x height frame with its top left corner at (left, top) of the visible area,
// each frame pixel scale x scale screen pixels, through the colours of the screen.
void fb_surface_put(const FbSurface& s, const uint8_t* pixels, uint32_t width, uint32_t height,
                    uint32_t left, uint32_t top, int scale);
