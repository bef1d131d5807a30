// The ways out of a program: every one releases what is open first. The display, the music
// and the signals are whichever variants the program links.
#pragma once

// The status of a run that could not go on: a data file missing or broken, memory not to be
// had. 0 is kept for a show that ran to its end.
constexpr int DEMO_EXIT_FAILURE = 1;

// Releases what is open - display, music child, sound library - and ends the process.
[[noreturn]] void demo_exit(int status);
// The fatal-error procedure: prints the message with printf, then demo_exit(DEMO_EXIT_FAILURE).
[[noreturn]] void demo_fatal(const char* format, ...) __attribute__((format(printf, 1, 2)));
