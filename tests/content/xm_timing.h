// Reads when each order position of an XM file starts, from the file's own bytes: the header's
// speed and BPM, each pattern's rows and every Fxx on the way (speed below 32, BPM from 32 on,
// as the demo's player takes them). Jumps, breaks and row repeats are refused: the show's tune
// has none, and the times would need them followed.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct XmOrderTime {
    int pattern;
    int rows;
    double start_ms;
    double row_ms; // the length of its first row
};

struct XmTiming {
    std::vector<XmOrderTime> orders;
    double end_ms = 0;
    double last_row_ms = 0;
};

// Empty on success, else what is wrong with the file.
std::string xm_timing_read(const std::vector<uint8_t>& file, XmTiming* timing);
