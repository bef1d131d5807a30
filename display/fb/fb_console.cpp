#include "display/fb/fb_console.h"

#include "display/fb/fb_device.h"

#include <linux/fb.h>
#include <linux/kd.h>
#include <linux/vt.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// The handlers read what the program writes here: every flag and descriptor is a volatile
// sig_atomic_t, and a record that goes with one (the saved mode, the saved colours, the device
// memory) is complete before the flag that announces it is set (a signal fence between them).
static_assert(sizeof(pid_t) == sizeof(sig_atomic_t));
static volatile sig_atomic_t console_state = FB_CONSOLE_ACTIVE;
static volatile sig_atomic_t drawing;
static volatile sig_atomic_t colours_lost;
static volatile sig_atomic_t stop_pending; // a stop signal that came while a picture was drawn
static volatile sig_atomic_t release_at_once;
static volatile sig_atomic_t switching_taken;
static volatile sig_atomic_t tty_fd = -1;
static volatile sig_atomic_t own_vt; // the number of our console; 0 when not known
// The process that took the console; its children never touch it.
static volatile sig_atomic_t owner;

static uint8_t* volatile device_memory;
static volatile size_t device_memory_length;

static volatile sig_atomic_t colours_fd = -1; // set while saved_colours holds the console's colours
static FbColourMap saved_colours;
static volatile sig_atomic_t cursor_hidden;
static volatile sig_atomic_t graphics_mode;
static volatile sig_atomic_t mode_fd = -1; // set while saved_mode holds the console's mode
static fb_var_screeninfo saved_mode;

static struct sigaction previous_actions[NSIG];
static bool handled[NSIG];                           // ours now; previous_actions[s] goes back
static volatile sig_atomic_t ignored_at_start[NSIG]; // a fault the shell had us ignore
static bool handlers_installed;

bool fb_console_is_virtual(int fd)
{
    const char* name = fb_device_ttyname(fd);
    return name != nullptr && std::strncmp(name, "/dev/tty", 8) == 0 && name[8] >= '0' &&
           name[8] <= '9';
}

static bool fb_console_mine()
{
    return getpid() == owner;
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
    if (!fb_console_mine()) return;
    const int saved_errno = errno;
    console_state = FB_CONSOLE_RELEASE_REQUESTED;
    if (release_at_once && !drawing) fb_console_grant_release();
    errno = saved_errno;
}

static void fb_console_clear_memory()
{
    uint8_t* const memory = device_memory;
    std::atomic_signal_fence(std::memory_order_acquire);
    if (memory != nullptr) std::memset(memory, 0, device_memory_length);
}

static void fb_console_on_acquire(int)
{
    if (!fb_console_mine()) return;
    // The other console drew over our memory; black until the next present.
    fb_console_clear_memory();
    colours_lost = 1;
    console_state = FB_CONSOLE_ACTIVE;
}

static int fb_console_process_switching()
{
    vt_mode mode{};
    mode.mode = VT_PROCESS;
    mode.waitv = 0;
    mode.relsig = SIGUSR1;
    mode.acqsig = SIGUSR2;
    mode.frsig = 0;
    return fb_device_ioctl(tty_fd, VT_SETMODE, &mode);
}

// Whether our console is the one on the screen; when the kernel cannot say, it is taken to be.
static bool fb_console_on_screen()
{
    vt_stat state{};
    if (own_vt <= 0 || fb_device_ioctl(tty_fd, VT_GETSTATE, &state) != 0) return true;
    return state.v_active == own_vt;
}

static void fb_console_write(const char* text, size_t length)
{
    ssize_t ignored = write(STDOUT_FILENO, text, length);
    (void)ignored;
}

// Only calls that are safe in a signal handler: ioctl and write. The mode goes back while the
// console is still in graphics mode, so that text mode finds the size it had and redraws. Mode
// and colours go to the device only while it shows our console: after a switch away it is the
// other console's, and the kernel gives ours its own mode and colours when it returns.
static void fb_console_restore()
{
    const bool on_screen = console_state != FB_CONSOLE_RELEASED;
    if (mode_fd >= 0) {
        fb_var_screeninfo mode = saved_mode;
        mode.activate = FB_ACTIVATE_NOW;
        if (on_screen) fb_device_ioctl(mode_fd, FBIOPUT_VSCREENINFO, &mode);
        mode_fd = -1;
    }
    if (colours_fd >= 0) {
        if (on_screen) fb_colour_map_put(colours_fd, &saved_colours);
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
        switching_taken = 0;
    }
    if (cursor_hidden) {
        static const char show[] = "\033[?0c\n";
        fb_console_write(show, sizeof show - 1);
        cursor_hidden = 0;
    }
}

// What fb_console_restore gives back, to be taken again after a stop.
struct FbConsoleTaken {
    bool switching, graphics, cursor;
    int colours_fd, mode_fd;
};

static FbConsoleTaken fb_console_taken()
{
    return {switching_taken != 0, graphics_mode != 0, cursor_hidden != 0, colours_fd, mode_fd};
}

// After a stop, as after a switch back: the memory black and the next present puts our colours
// (and the stand-in our mode). With another console on the screen, nothing is ours until the
// kernel hands ours back with the acquire signal.
static void fb_console_retake(const FbConsoleTaken& taken)
{
    if (taken.switching && fb_console_process_switching() == 0) switching_taken = 1;
    const bool on_screen = fb_console_on_screen();
    if (taken.graphics &&
        fb_device_ioctl(tty_fd, KDSETMODE, reinterpret_cast<void*>(KD_GRAPHICS)) == 0)
        graphics_mode = 1;
    if (taken.cursor) {
        static const char hide[] = "\033[?1c\n";
        fb_console_write(hide, sizeof hide - 1);
        cursor_hidden = 1;
    }
    colours_fd = taken.colours_fd;
    mode_fd = taken.mode_fd;
    if (on_screen) fb_console_clear_memory();
    colours_lost = 1;
    console_state = on_screen ? FB_CONSOLE_ACTIVE : FB_CONSOLE_RELEASED;
}

// Stops the process by the stop signal's default action, the console given back meanwhile so
// that the user has a text console and Alt+Fn while the program waits for its fg.
static void fb_console_stop(int signo)
{
    const bool mine = fb_console_mine();
    const FbConsoleTaken taken = fb_console_taken();
    if (mine) fb_console_restore();
    struct sigaction ours, stop = {};
    stop.sa_handler = SIG_DFL;
    sigaction(signo, &stop, &ours);
    sigset_t only, saved;
    sigemptyset(&only);
    sigaddset(&only, signo);
    sigprocmask(SIG_UNBLOCK, &only, &saved);
    raise(signo); // returns after SIGCONT (at once in a group orphaned from its shell)
    sigprocmask(SIG_SETMASK, &saved, nullptr);
    sigaction(signo, &ours, nullptr);
    if (mine) fb_console_retake(taken);
}

// A picture being written finishes first: fb_console_end_draw raises the signal again.
static void fb_console_on_stop(int signo)
{
    const int saved_errno = errno;
    if (drawing && fb_console_mine())
        stop_pending = signo;
    else
        fb_console_stop(signo);
    errno = saved_errno;
}

// Faults come from the kernel whatever their disposition: these are handled even when the
// shell had us ignore them, and only their kernel-made and self-sent instances end the process.
static bool fb_console_is_fault(int signo)
{
    return signo == SIGSEGV || signo == SIGBUS || signo == SIGFPE || signo == SIGILL ||
           signo == SIGTRAP || signo == SIGSYS || signo == SIGABRT;
}

// The ones the show ends itself with at the next frame, when its own handlers take them
// (platform/signals.h).
static bool fb_console_show_ends_itself(int signo)
{
    return signo == SIGINT || signo == SIGTERM || signo == SIGHUP;
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
// action that was there before ours do its part: the show's handlers end the show at the
// next frame (and close the display the normal way), a second signal ends it at once.
static void fb_console_on_ending_signal(int signo, siginfo_t* info, void* context)
{
    const int saved_errno = errno;
    if (ignored_at_start[signo] && info->si_code <= 0 && info->si_pid != getpid()) {
        errno = saved_errno; // sent by someone else: ignored, as the shell asked
        return;
    }
    const struct sigaction previous = previous_actions[signo];
    const bool mine = fb_console_mine();
    const bool chained = previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN;
    if (!fb_console_show_ends_itself(signo) || !chained) {
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
    errno = saved_errno;
}

// The stop signals of job control: Ctrl-Z, and a background job's reads and writes.
static bool fb_console_is_stop(int signo)
{
    return signo == SIGTSTP || signo == SIGTTIN || signo == SIGTTOU;
}

// Every signal whose default action ends the process, but SIGKILL: all up to the last
// real-time one but those that stop, continue, are ignored by default or switch the console.
// The C library keeps two real-time signals for itself and refuses them to sigaction.
static bool fb_console_ends_process(int signo)
{
    switch (signo) {
    case SIGKILL:
    case SIGSTOP:
    case SIGCONT:
    case SIGCHLD:
    case SIGURG:
    case SIGWINCH:
    case SIGUSR1:
    case SIGUSR2:
        return false;
    }
    return !fb_console_is_stop(signo);
}

// Within our handlers, none of the others: each finds the console as a whole.
static sigset_t fb_console_blocked_in_handlers(const sigset_t& also)
{
    sigset_t set = also;
    for (int s : {SIGUSR1, SIGUSR2, SIGTSTP, SIGTTIN, SIGTTOU}) sigaddset(&set, s);
    return set;
}

static void fb_console_install(int signo)
{
    struct sigaction& previous = previous_actions[signo];
    if (sigaction(signo, nullptr, &previous) != 0) return;
    const bool ignored = previous.sa_handler == SIG_IGN;
    if (ignored && !fb_console_is_fault(signo)) return;
    ignored_at_start[signo] = ignored;
    struct sigaction action = {};
    if (fb_console_is_stop(signo)) {
        action.sa_handler = fb_console_on_stop;
        action.sa_flags = SA_RESTART; // a prompt goes on waiting after fg
    } else {
        action.sa_sigaction = fb_console_on_ending_signal;
        action.sa_flags = SA_SIGINFO;
    }
    // The handler we chain to keeps the signals it blocks.
    action.sa_mask = fb_console_blocked_in_handlers(previous.sa_mask);
    handled[signo] = sigaction(signo, &action, nullptr) == 0;
}

static void fb_console_install_handlers()
{
    if (handlers_installed) return;
    for (int s = 1; s <= SIGRTMAX; s++)
        if (fb_console_ends_process(s) || fb_console_is_stop(s)) fb_console_install(s);
    handlers_installed = true;
}

static void fb_console_remove_handlers()
{
    if (!handlers_installed) return;
    for (int s = 1; s <= SIGRTMAX; s++) {
        if (handled[s]) sigaction(s, &previous_actions[s], nullptr);
        handled[s] = false;
        ignored_at_start[s] = 0;
    }
    handlers_installed = false;
}

int fb_console_take(int fd, bool at_once)
{
    tty_fd = fd;
    release_at_once = at_once;
    owner = getpid();
    const char* name = fb_device_ttyname(fd);
    own_vt = fb_console_is_virtual(fd) ? std::atoi(name + 8) : 0;

    sigset_t none;
    sigemptyset(&none);
    struct sigaction action = {};
    action.sa_mask = fb_console_blocked_in_handlers(none);
    action.sa_handler = fb_console_on_release;
    sigaction(SIGUSR1, &action, nullptr);
    action.sa_handler = fb_console_on_acquire;
    sigaction(SIGUSR2, &action, nullptr);

    if (fb_console_process_switching() != 0) return -1;
    switching_taken = 1;
    console_state = FB_CONSOLE_ACTIVE;
    colours_lost = 0;
    fb_console_install_handlers();
    return 0;
}

void fb_console_set_memory(uint8_t* memory, size_t length)
{
    device_memory = nullptr;
    std::atomic_signal_fence(std::memory_order_release);
    device_memory_length = memory != nullptr ? length : 0;
    std::atomic_signal_fence(std::memory_order_release);
    device_memory = memory;
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
    // So was a stop: now its handler can give the console back.
    if (const int signo = stop_pending) {
        stop_pending = 0;
        raise(signo);
    }
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
    colours_fd = -1;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    saved_colours = {};
    fb_cmap c = fb_colour_map_of(&saved_colours);
    if (fb_device_ioctl(fb_fd, FBIOGETCMAP, &c) != 0) return -1;
    std::atomic_signal_fence(std::memory_order_release);
    colours_fd = fb_fd;
    return 0;
}

void fb_console_save_mode(int fb_fd, const fb_var_screeninfo& mode)
{
    mode_fd = -1;
    std::atomic_signal_fence(std::memory_order_seq_cst);
    saved_mode = mode;
    std::atomic_signal_fence(std::memory_order_release);
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
