// The headless back-end: every presented frame is turned into RGB and handed to a sink
// (PNG files, a hash line, or nothing). Frames are named by their segment - the number of
// blank steps seen so far - and their index within it, which stays stable as scenes are
// added to the sequence.
#pragma once

#include "capture/capture_media.h"

#include <cstdint>
#include <cstdio>
#include <string>

struct CaptureSettings {
    std::string png_dir;         // write PNGs here when not empty
    int every = 1;               // keep every N-th frame of a segment for the PNGs
    int scale = 1;               // 1: 320x240 pictures, 2: pixels doubled
    int only_segment = -1;       // every output limited to this segment (-1: all)
    int last_segment = -1;       // with only_segment: the segments from that one to this one
    bool print_hashes = false;   // one line per presented frame on results
    bool print_times = false;    // the same with the frame's time and scene, and the music's
                                 // start and stop
    int stop_after_segment = -1; // end the run when this segment is over (-1: run to the end)
    int holes_sentinel = -1;     // 0-255: count the pixels each frame left undrawn (see below)
    int profile = 0;             // 1: render times per scene at the end, 2: the same as JSON
    MediaSettings media;         // the video and the WAV file
    FILE* results = stdout;      // the hashes, holes and profile: nothing else is written here
};

// The module, relative to the data tree.
constexpr const char* CAPTURE_MUSIC_PATH = "music/vantor6.xm";

void capture_configure(const CaptureSettings& settings);
// The sequence stopped the music: the whole show has been presented.
void capture_show_finished();
// With print_times: "music start|stop MS ms", the moment on the show's clock.
void capture_music_moment(const char* what);

// Finding undrawn pixels: after every present the frame is filled with the sentinel index, and
// the next present counts the pixels that still hold it, printing "sSS fFFFF holes N dropped D"
// (D: faces the render list has lost so far). A scene that really draws the sentinel's colour
// counts too, so a second run with another sentinel tells holes from drawn pixels.
// The frame's own pixels are overwritten: the run shows nothing meaningful otherwise.

// Writes width x height RGB bytes as an 8-bit PNG; false on failure, with errno telling why.
bool capture_write_png(const char* path, const uint8_t* rgb, int width, int height);
