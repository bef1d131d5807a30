// The seam between the show and the screen. Each program links exactly one back-end: a real
// screen of display/, or the capture program's headless one.
#pragma once

#include "gfx2d/image.h"

#include <cstdint>

// Asks the display-mode question and opens the screen or window for a width x height frame.
// Set-up failures end the process with the back-end's own message and status.
void display_open(int argc, char** argv, const char* title, int width, int height);
// 768 bytes, red-green-blue 0-255. Visible at once on 8-bit displays, at the next present
// where pixels are converted.
void display_set_palette(const uint8_t* palette);
void display_present(const Image* frame);
void display_wait_retrace();
// Releases what display_open took; safe to call when nothing is open.
void display_close();

// The back-end's own command-line options, read before the dialogue: how many arguments from
// argv[i] on it takes (1 or 2), 0 when argv[i] is none of its options, -1 when the value is
// bad (the message is printed). A back-end without options need not define these two.
int display_option(int argc, char** argv, int i);
// Lines for --help describing those options, or "".
const char* display_options_help();
