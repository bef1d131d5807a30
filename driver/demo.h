// The program's spine: start-up, the scene sequence and shutdown.
#pragma once

#include "gfx2d/image.h"

// Black palette, cleared frame, present, wait for retrace.
void blank_screen(Image* frame);

// The whole run; the program's exit status. What the music and the signals do is the linked
// music variant's: the real child and handlers, or the capture's silent stand-ins.
int demo_run(int argc, char** argv);
