// Placeholder until the music process lands: the show runs silent.
#include "driver/music.h"

int sound_setup() { return 0; }
int music_load(const char*) { return 0; }
void music_start() {}
void music_stop() {}
void sound_shutdown() {}
