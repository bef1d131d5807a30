// X11 back-end: placeholder until the real one lands.
#include "display/display.h"
#include "driver/ask.h"

void display_open(int, char**, const char*, int, int) {}
void display_set_palette(const uint8_t*) {}
void display_present(const Image*) {}
void display_wait_retrace() {}
void display_close() {}
