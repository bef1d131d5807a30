// The real programs' frame log. With VANTOR_FRAME_LOG=path in the environment, every presented
// frame leaves a line in that file, which scripts/frame_stats.py turns into the pacing,
// present-cost and start-up figures. Every call here does nothing while the log is off.
//
//   start <exec_us> <open_us>          the process's start and the opening of the log
//   frame <scene> <end_us> <render_us> <present_us> <cpu_us> <period_ms>
//   peak <process> <kB>                the peak resident memory of "parent" or "music"
//
// Times are CLOCK_MONOTONIC microseconds. A frame's render time runs from its start (the end
// of the frame wait, or of the blank step before the scene) to the back-end's present, whose
// own cost follows; cpu_us is the process's CPU time so far, and period_ms the period the frame
// was paced to (0 for a scene's first frame and for the blank steps).
#pragma once

#include <cstdint>

// Opens the log named by VANTOR_FRAME_LOG, if any; a log that cannot be written is reported
// on standard error and the show goes on without it.
void frame_log_open();
// Around the blank step between two scenes: its present is the blank step's, and the next
// scene starts where it ends.
void frame_log_blank_begin();
void frame_log_blank_end();
// The frame wait has reached its boundary; the next frame was paced to period_ms.
void frame_log_frame_start(int32_t period_ms);
void frame_log_peak(const char* process, long kilobytes);
// Records the parent's peak memory and closes the log.
void frame_log_close();

// Times one present of a real back-end, from construction to destruction.
class FrameLogPresent {
  public:
    FrameLogPresent();
    ~FrameLogPresent();
    FrameLogPresent(const FrameLogPresent&) = delete;
    FrameLogPresent& operator=(const FrameLogPresent&) = delete;

  private:
    int64_t begin_us;
};
