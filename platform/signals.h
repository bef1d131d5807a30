// The seam of the terminating signals. In the real variant (music/signals.cpp, beside the
// music child) SIGINT, SIGTERM and SIGHUP end the show through the fatal-error path: the
// handler only tells the music child to quit and records the signal; the parent leaves at the
// next safe point (a frame boundary, an interrupted prompt) with the display closed and the
// library shut down, and finally ends by the same signal so its caller sees why. Those that
// were ignored when the program started (nohup, a background job) stay ignored. The capture
// program keeps the signals' default actions.
#pragma once

void demo_signals_install();
// Whether a terminating signal has arrived: for waits that must not outlast it.
bool demo_signals_caught();
// At a safe point: ends the program through demo_exit when a signal has arrived.
void demo_signals_check();
// Last step of demo_exit: if a signal asked for the exit, re-raise it with its default
// action (status 128 + signal number). Returns when there was none.
void demo_signals_resend();
