// What the two halves of the X11 back-end share. x11_window.cpp holds the connection, the
// window with its colours, size and events, and the display operations; x11_image.cpp the
// image that every frame is converted into, plain or in shared memory, and its put into the
// window.
#pragma once

#include "display/pixels.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

struct X11Window {
    Display* display = nullptr; // null once closed, or abandoned after an error
    int screen = 0;
    Window window = 0;
    GC gc = nullptr;
    XVisualInfo visual{};
    int width = 0, height = 0; // the window's size, the newest the server reported
    int frame_width = 0, frame_height = 0;
    int pixel_size = 1; // screen pixels per frame pixel of a window of fixed size
    // --scale or --fullscreen: the picture sits at the largest whole scale that fits the
    // window, centred, in an image as large as the screen, so that a resize needs no new image.
    bool resizable = false;
    PixelTables tables; // none on PseudoColor, where the palette is the window's colormap
};

extern X11Window x11_window;

// A resizable window: takes the server's reports of its size off the queue; true when the
// newest size differs from x11_window's, which it then holds.
bool x11_window_follow_size();

// The image for the window, shared when shm_wanted and both sides can have it, else plain:
// 0, or -1 (no image) or -2 (no memory for its pixels).
int x11_image_open(bool shm_wanted);
// Whether the open image lies in shared memory.
bool x11_image_shared();
// Detaches and frees the image; safe without one, and after the connection is gone.
void x11_image_close();
