// The program's spine: start-up, the scene sequence, shutdown, and the ways out.
#pragma once

#include "gfx2d/image.h"
#include "gfx2d/palette.h"

// The program-wide palette that the blank step and the picture scene fill.
extern Palette screen_palette;

constexpr const char* DEMO_TITLE = "vantor6 for LINUX by orsel";
constexpr uint32_t FRAME_WIDTH = 320;
constexpr uint32_t FRAME_HEIGHT = 240;

// The show is a row of segments, each closed by a blank step: the name of the scene that a
// segment shows, or "blank" for the loading steps before the first.
const char* demo_segment_name(int segment);

// Black palette, cleared frame, present, wait for retrace.
void blank_screen(Image* frame);

// The whole run; the program's exit status. What the music and the signals do is the linked
// music variant's: the real child and handlers, or the capture's silent stand-ins.
int demo_run(int argc, char** argv);

// The status of a run that could not go on: a data file missing or broken, memory not to be
// had. 0 is kept for a show that ran to its end.
constexpr int DEMO_EXIT_FAILURE = 1;

// Releases what is open - display, music child, sound library - and ends the process.
[[noreturn]] void demo_exit(int status);
// The fatal-error procedure: prints the message with printf, then demo_exit(DEMO_EXIT_FAILURE).
[[noreturn]] void demo_fatal(const char* format, ...) __attribute__((format(printf, 1, 2)));
