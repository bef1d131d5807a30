// The virtual console under a framebuffer back-end: process-controlled console switching, the
// device's colour map, the text cursor, and giving all of it back - at close, from the handlers
// of the signals that end the process, and for as long as the process is stopped (Ctrl-Z), so
// that the user never keeps a console in graphics colours with no cursor and no way to switch
// away. Signals ignored when the console is taken (nohup, a background job) stay ignored.
#pragma once

#include <cstddef>
#include <cstdint>

#include <linux/fb.h>

enum FbConsoleState : int {
    FB_CONSOLE_ACTIVE = 1,
    FB_CONSOLE_RELEASED = 2,
    FB_CONSOLE_RELEASE_REQUESTED = 3,
};

// 256 entries of 16-bit red, green, blue and transparency: the device's colour map.
struct FbColourMap {
    uint16_t red[256], green[256], blue[256], transp[256];
};

// True when fd's terminal is a virtual console: its name is "/dev/tty" followed by a digit.
bool fb_console_is_virtual(int fd);

// Takes console switching for this process: VT_SETMODE on tty_fd, process-controlled, SIGUSR1
// to release and SIGUSR2 to acquire, and handlers that give the console back when a signal
// ends the process, or before SIGTSTP, SIGTTIN or SIGTTOU stop it (taking it again once it
// goes on, as after a switch back). With release_at_once a release is granted in the handler
// unless a picture is being drawn; otherwise at the next fb_console_begin_draw or
// fb_console_end_draw. A stop that comes while a picture is drawn waits for its end, too.
// Returns 0, or -1 when VT_SETMODE fails (then nothing is taken).
int fb_console_take(int tty_fd, bool release_at_once);

// The device memory that the acquire handler clears when the console comes back.
void fb_console_set_memory(uint8_t* memory, size_t length);

// Around every write into device memory or colour map. begin grants a pending release and
// returns false while the console is away: nothing may be drawn then.
bool fb_console_begin_draw();
void fb_console_end_draw();
int fb_console_state();
// True once after each return of the console: the console has loaded its own colours meanwhile.
bool fb_console_colours_lost();

// Reads the console's colour map from the device and keeps it for giving back. -1: not read.
int fb_console_save_colours(int fb_fd);
// FBIOPUTCMAP of all 256 entries; -1 on failure.
int fb_colour_map_put(int fb_fd, FbColourMap* map);

// Keeps the device's mode for giving back, before a program changes it.
void fb_console_save_mode(int fb_fd, const fb_var_screeninfo& mode);

// Hides the text cursor ("\033[?1c\n" on standard output); giving back shows it again.
void fb_console_hide_cursor();

// Stops the console drawing its text and blinking cursor over the picture (KD_GRAPHICS);
// giving back puts it into text mode again, which redraws its text.
void fb_console_graphics();

// Gives back whatever was taken: a pending release is granted, automatic switching, the saved
// mode, colours (both only while our console is on the screen), text mode and the cursor
// return, the signal handlers are put back. Safe when nothing was taken.
void fb_console_give_back();
