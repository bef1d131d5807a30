// The X11 back-end's image: every frame is converted into it (through the lookup table on a
// TrueColor display, as it is on PseudoColor) and put into the window. It lies in a shared
// segment when the MIT shared-memory extension is wanted and works, so that the server reads
// it from our memory instead of through the connection.
#include "display/x11/x11.h"
#include "display/x11/x11_scale.h"
#include "platform/display.h"
#include "platform/frame_log.h"

#include <X11/extensions/XShm.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

static bool shm_in_use;
static XImage* x_image;
static XShmSegmentInfo x_segment;
// The server reads a shared image after XShmPutImage has returned: a put it has not reported
// finished yet, and the type of the event that reports it.
static bool shm_put_pending;
static int shm_completion_type;

static X11Layout layout; // where the picture sits in the image
static int image_width, image_height;

// The image's pixels are a shared segment (shm_in_use) or a malloc'ed buffer.
static void x11_image_destroy()
{
    if (x_image == nullptr) return;
    if (!shm_in_use) std::free(x_image->data);
    x_image->data = nullptr;
    // XShmCreateImage keeps the segment record in obdata, which XDestroyImage would free;
    // the record is ours.
    x_image->obdata = nullptr;
    XDestroyImage(x_image);
    x_image = nullptr;
}

static bool attach_refused;

static int x11_attach_error(Display*, XErrorEvent*)
{
    attach_refused = true;
    return 0;
}

// false when no shared image can be had: no segment or no attach on our side (a container's
// IPC limits), or the server could not attach it (a display on another machine). Nothing is
// left over then, and plain images will do.
static bool x11_image_create_shared(size_t* size)
{
    const X11Window& w = x11_window;
    x_segment = {};
    x_image = XShmCreateImage(w.display, w.visual.visual, unsigned(w.visual.depth), ZPixmap,
                              nullptr, &x_segment, unsigned(image_width), unsigned(image_height));
    if (x_image == nullptr) return false;
    *size = size_t(x_image->bytes_per_line) * image_height;
    x_segment.shmid = shmget(IPC_PRIVATE, *size, IPC_CREAT | 0600);
    if (x_segment.shmid < 0) {
        x11_image_destroy();
        return false;
    }
    void* address = shmat(x_segment.shmid, nullptr, 0);
    if (address == reinterpret_cast<void*>(-1)) {
        shmctl(x_segment.shmid, IPC_RMID, nullptr);
        x11_image_destroy();
        return false;
    }
    // Marked for removal at once: freed by the system when the last user detaches, whatever
    // way this process ends from here on. (The server may still attach it.)
    shmctl(x_segment.shmid, IPC_RMID, nullptr);
    x_segment.shmaddr = x_image->data = static_cast<char*>(address);
    // The flag says how the server attaches the segment. It only reads frames from it
    // (XShmPutImage), so it gets no right to write into our memory.
    x_segment.readOnly = True;

    // A refused attach arrives as an X error; catch it here instead of dying in Xlib.
    XSync(w.display, False);
    attach_refused = false;
    XErrorHandler previous = XSetErrorHandler(x11_attach_error);
    XShmAttach(w.display, &x_segment);
    XSync(w.display, False);
    XSetErrorHandler(previous);
    if (!attach_refused) return true;

    shmdt(x_segment.shmaddr);
    x_segment = {};
    x11_image_destroy();
    return false;
}

static int x11_image_create_plain(size_t* size)
{
    const X11Window& w = x11_window;
    x_image = XCreateImage(w.display, w.visual.visual, unsigned(w.visual.depth), ZPixmap, 0,
                           nullptr, unsigned(image_width), unsigned(image_height), 32, 0);
    if (x_image == nullptr) return -1;
    *size = size_t(x_image->bytes_per_line) * image_height;
    x_image->data = static_cast<char*>(std::malloc(*size));
    if (x_image->data == nullptr) {
        x11_image_destroy();
        return -2;
    }
    return 0;
}

// The window-size image. Without a shared image, a plain one does, and shared memory is off.
int x11_image_open(bool shm_wanted)
{
    const X11Window& w = x11_window;
    shm_in_use = shm_wanted && XShmQueryExtension(w.display);
    if (shm_in_use) shm_completion_type = XShmGetEventBase(w.display) + ShmCompletion;
    image_width = w.width;
    image_height = w.height;
    if (w.resizable) {
        image_width = std::max(image_width, DisplayWidth(w.display, w.screen));
        image_height = std::max(image_height, DisplayHeight(w.display, w.screen));
    }
    // The frame is presented whole, also into a window (or screen) smaller than itself, which
    // then shows what fits.
    image_width = std::max(image_width, w.frame_width);
    image_height = std::max(image_height, w.frame_height);
    layout = w.resizable ? x11_layout_fit(w.width, w.height, w.frame_width, w.frame_height)
                         : X11Layout{w.pixel_size, 0, 0};
    size_t size = 0;
    shm_in_use = shm_in_use && x11_image_create_shared(&size);
    const int result = shm_in_use ? 0 : x11_image_create_plain(&size);
    if (result == 0) std::memset(x_image->data, 0, size);
    return result;
}

bool x11_image_shared()
{
    return shm_in_use;
}

void x11_image_close()
{
    if (x_image != nullptr && shm_in_use && x_segment.shmaddr != nullptr) {
        if (x11_window.display != nullptr) XShmDetach(x11_window.display, &x_segment);
        shmdt(x_segment.shmaddr);
        x_segment = {};
    }
    x11_image_destroy();
    shm_in_use = shm_put_pending = false;
}

static Bool x11_is_completion(Display*, XEvent* event, XPointer)
{
    return event->type == shm_completion_type;
}

// The next frame goes into the shared image only once the server is done with the last one.
// At this frame rate the report is long there, so this costs a look at the queue.
static void x11_wait_for_put()
{
    if (!shm_put_pending) return;
    XEvent event;
    XIfEvent(x11_window.display, &event, x11_is_completion, nullptr);
    shm_put_pending = false;
}

// A resizable window that has changed its size gets a new layout and a black image around it.
static void x11_follow_resize()
{
    if (!x11_window_follow_size()) return;
    const X11Window& w = x11_window;
    layout = x11_layout_fit(std::min(w.width, image_width), std::min(w.height, image_height),
                            w.frame_width, w.frame_height);
    std::memset(x_image->data, 0, size_t(x_image->bytes_per_line) * image_height);
}

void display_present(const Image* frame)
{
    const FrameLogPresent logged;
    const X11Window& w = x11_window;
    if (x_image == nullptr || int(frame->width) != w.frame_width ||
        int(frame->height) != w.frame_height)
        return;
    x11_wait_for_put();
    if (w.resizable) x11_follow_resize();
    const std::span<const uint8_t> pixels(frame->pixels, size_t(frame->width) * frame->height);
    const size_t stride = size_t(x_image->bytes_per_line);
    auto* dst = reinterpret_cast<uint8_t*>(x_image->data) + size_t(layout.y) * stride +
                size_t(layout.x) * (x_image->bits_per_pixel / 8);
    pixels_put(w.tables, pixels, frame->width, frame->height, dst, stride, layout.scale);

    const unsigned width = unsigned(std::min(w.width, image_width)),
                   height = unsigned(std::min(w.height, image_height));
    if (shm_in_use) {
        XShmPutImage(w.display, w.window, w.gc, x_image, 0, 0, 0, 0, width, height, True);
        shm_put_pending = true;
    } else
        XPutImage(w.display, w.window, w.gc, x_image, 0, 0, 0, 0, width, height);
    XFlush(w.display);
}
