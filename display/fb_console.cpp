#include "display/fb_console.h"

#include "display/fb_device.h"

#include <linux/fb.h>
#include <linux/kd.h>
#include <linux/vt.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <cstdio>
#include <cstring>

static volatile sig_atomic_t console_state = FB_CONSOLE_ACTIVE;
static volatile sig_atomic_t drawing;
static volatile sig_atomic_t colours_lost;
static bool release_at_once;
static bool switching_taken;
static int tty_fd = -1;
static pid_t owner; // the process that took the console; its children never touch it

static uint8_t* device_memory;
static size_t device_memory_length;

static int colours_fd = -1; // set while saved_colours holds the console's colours
static FbColourMap saved_colours;
static volatile sig_atomic_t cursor_hidden;
static volatile sig_atomic_t graphics_mode;
static int mode_fd = -1; // set while saved_mode holds the console's mode
static fb_var_screeninfo saved_mode;

// Fatal signals, and the ones that end the show through the driver's own handlers.
static constexpr std::array ending_signals = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGSEGV,
                                              SIGBUS, SIGFPE,  SIGILL, SIGABRT};
static struct sigaction previous_actions[NSIG];
static bool handlers_installed;

bool fb_console_is_virtual(int fd)
{
    const char* name = fb_device_ttyname(fd);
    return name != nullptr && std::strncmp(name, "/dev/tty", 8) == 0 && name[8] >= '0' &&
           name[8] <= '9';
}

// A failed grant still counts as released: the console is no longer ours to draw on.
static int fb_console_grant_release()
{
    const int result = fb_device_ioctl(tty_fd, VT_RELDISP, reinterpret_cast<void*>(1));
    console_state = FB_CONSOLE_RELEASED;
    return result;
}

static void fb_console_grant_release_reported()
{
    if (fb_console_grant_release() != 0) std::printf("ERROR: ioctl(VT_RELDISP) !\n");
}

static void fb_console_on_release(int)
{
    if (getpid() != owner) return;
    console_state = FB_CONSOLE_RELEASE_REQUESTED;
    if (release_at_once && !drawing) fb_console_grant_release();
}

static void fb_console_on_acquire(int)
{
    if (getpid() != owner) return;
    // The other console drew over our memory; black until the next present.
    if (device_memory != nullptr) std::memset(device_memory, 0, device_memory_length);
    colours_lost = 1;
    console_state = FB_CONSOLE_ACTIVE;
}

// Only calls that are safe in a signal handler: ioctl and write. The mode goes back while the
// console is still in graphics mode, so that text mode finds the size it had and redraws.
static void fb_console_restore()
{
    if (mode_fd >= 0) {
        saved_mode.activate = FB_ACTIVATE_NOW;
        fb_device_ioctl(mode_fd, FBIOPUT_VSCREENINFO, &saved_mode);
        mode_fd = -1;
    }
    if (colours_fd >= 0) {
        fb_colour_map_put(colours_fd, &saved_colours);
        colours_fd = -1;
    }
    if (graphics_mode) {
        fb_device_ioctl(tty_fd, KDSETMODE, reinterpret_cast<void*>(KD_TEXT));
        graphics_mode = 0;
    }
    if (switching_taken) {
        if (console_state == FB_CONSOLE_RELEASE_REQUESTED) fb_console_grant_release();
        vt_mode automatic{};
        automatic.mode = VT_AUTO;
        fb_device_ioctl(tty_fd, VT_SETMODE, &automatic);
        switching_taken = false;
    }
    if (cursor_hidden) {
        static const char show[] = "\033[?0c\n";
        ssize_t ignored = write(STDOUT_FILENO, show, sizeof show - 1);
        (void)ignored;
        cursor_hidden = 0;
    }
}

static bool fb_console_is_fault(int signo)
{
    return signo != SIGINT && signo != SIGTERM && signo != SIGHUP;
}

static void fb_console_call(const struct sigaction& action, int signo, siginfo_t* info,
                            void* context)
{
    if (action.sa_flags & SA_SIGINFO)
        action.sa_sigaction(signo, info, context);
    else
        action.sa_handler(signo);
}

// Gives the console back whenever the signal is going to end the process, then lets the
// action that was there before ours do its part: the driver's handlers end the show at the
// next frame (and close the display the normal way), a second signal ends it at once.
static void fb_console_on_ending_signal(int signo, siginfo_t* info, void* context)
{
    const struct sigaction previous = previous_actions[signo];
    const bool mine = getpid() == owner;
    const bool chained = previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN;
    if (fb_console_is_fault(signo) || !chained) {
        if (mine) fb_console_restore();
        signal(signo, SIG_DFL);
        if (chained) fb_console_call(previous, signo, info, context);
        raise(signo); // delivered when this handler returns
        return;
    }
    fb_console_call(previous, signo, info, context);
    // A handler that put back the default action has just raised the signal again.
    struct sigaction now;
    if (sigaction(signo, nullptr, &now) == 0 && now.sa_handler == SIG_DFL && mine)
        fb_console_restore();
}

static void fb_console_install_handlers()
{
    if (handlers_installed) return;
    for (int s : ending_signals) {
        sigaction(s, nullptr, &previous_actions[s]);
        struct sigaction action = {};
        action.sa_sigaction = fb_console_on_ending_signal;
        action.sa_flags = SA_SIGINFO;
        // The handler we chain to keeps the signals it blocks.
        action.sa_mask = previous_actions[s].sa_mask;
        sigaction(s, &action, nullptr);
    }
    handlers_installed = true;
}

static void fb_console_remove_handlers()
{
    if (!handlers_installed) return;
    for (int s : ending_signals) sigaction(s, &previous_actions[s], nullptr);
    handlers_installed = false;
}

int fb_console_take(int fd, bool at_once)
{
    tty_fd = fd;
    release_at_once = at_once;
    owner = getpid();

    struct sigaction action = {};
    sigemptyset(&action.sa_mask);
    action.sa_handler = fb_console_on_release;
    sigaction(SIGUSR1, &action, nullptr);
    action.sa_handler = fb_console_on_acquire;
    sigaction(SIGUSR2, &action, nullptr);

    vt_mode mode{};
    mode.mode = VT_PROCESS;
    mode.waitv = 0;
    mode.relsig = SIGUSR1;
    mode.acqsig = SIGUSR2;
    mode.frsig = 0;
    if (fb_device_ioctl(fd, VT_SETMODE, &mode) != 0) return -1;
    switching_taken = true;
    console_state = FB_CONSOLE_ACTIVE;
    colours_lost = 0;
    fb_console_install_handlers();
    return 0;
}

void fb_console_set_memory(uint8_t* memory, size_t length)
{
    device_memory = memory;
    device_memory_length = memory != nullptr ? length : 0;
}

bool fb_console_begin_draw()
{
    drawing = 1;
    if (console_state == FB_CONSOLE_RELEASE_REQUESTED) fb_console_grant_release_reported();
    if (console_state == FB_CONSOLE_RELEASED) {
        drawing = 0;
        return false;
    }
    return true;
}

void fb_console_end_draw()
{
    if (console_state == FB_CONSOLE_RELEASE_REQUESTED) fb_console_grant_release_reported();
    drawing = 0;
    // A release asked for in the meantime was left to us.
    if (console_state == FB_CONSOLE_RELEASE_REQUESTED && release_at_once)
        fb_console_grant_release_reported();
}

int fb_console_state()
{
    return console_state;
}

bool fb_console_colours_lost()
{
    if (!colours_lost) return false;
    colours_lost = 0;
    return true;
}

static fb_cmap fb_colour_map_of(FbColourMap* map)
{
    fb_cmap c{};
    c.start = 0;
    c.len = 256;
    c.red = map->red;
    c.green = map->green;
    c.blue = map->blue;
    c.transp = map->transp;
    return c;
}

int fb_colour_map_put(int fb_fd, FbColourMap* map)
{
    fb_cmap c = fb_colour_map_of(map);
    return fb_device_ioctl(fb_fd, FBIOPUTCMAP, &c) == 0 ? 0 : -1;
}

int fb_console_save_colours(int fb_fd)
{
    saved_colours = {};
    fb_cmap c = fb_colour_map_of(&saved_colours);
    if (fb_device_ioctl(fb_fd, FBIOGETCMAP, &c) != 0) return -1;
    colours_fd = fb_fd;
    return 0;
}

void fb_console_save_mode(int fb_fd, const fb_var_screeninfo& mode)
{
    saved_mode = mode;
    mode_fd = fb_fd;
}

void fb_console_hide_cursor()
{
    std::printf("\033[?1c\n");
    std::fflush(stdout);
    cursor_hidden = 1;
}

void fb_console_graphics()
{
    if (fb_device_ioctl(tty_fd, KDSETMODE, reinterpret_cast<void*>(KD_GRAPHICS)) == 0)
        graphics_mode = 1;
}

void fb_console_give_back()
{
    // What the program printed comes before the cursor's escape sequence.
    std::fflush(stdout);
    fb_console_restore();
    fb_console_remove_handlers();
    fb_console_set_memory(nullptr, 0);
}
