// The music: MikMod set-up on the terminal, and a child process that plays the module.
#pragma once

// Output mode, device and frequency questions, then the library. 0, or -1 on failure;
// either way the show goes on (silently when the music is off).
int sound_setup();
// 0, or -1 when the module could not be loaded.
int music_load(const char* path);
// Forks the child that plays the module.
void music_start();
// Tells the child to quit and collects it.
void music_stop();
void sound_shutdown();
