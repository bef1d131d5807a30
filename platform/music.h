// The music seam: MikMod set-up on the terminal, and a child process that plays the module.
// music/music.cpp is that real variant; the capture program links a silent one of its own.
//
// The parent asks the questions and tries the chosen driver in a short-lived probe
// process, so a driver that aborts or hangs cannot take the show down. It then checks the
// module with the silent driver only: device handles and sound-server connections do not
// survive fork, so the music child opens the real device and loads the module itself, and
// the parent never touches the device.
#pragma once

// Output mode, device and frequency questions, then the driver check. 0, or -1 when the
// driver cannot start; either way the show goes on (silently when the music is off).
int sound_setup();
// 0, or -1 when the module could not be loaded.
int music_load(const char* path);
// Forks the child that plays the module; a failed fork leaves the music off.
void music_start();
// Tells the child to quit (once) and collects it.
void music_stop();
// Stops the child if still running, then releases the library.
void sound_shutdown();

// Async-signal-safe: tells a running child to quit unless it has been told already.
// For the parent's handlers of the terminating signals.
void music_tell_child_to_quit();
