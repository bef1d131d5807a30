// A display that keeps every presented frame with the palette it was shown in.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

struct PresentedFrame {
    std::array<uint8_t, 768> palette;
    std::vector<uint8_t> pixels;
    int32_t time_ms; // virtual clock at the present
};

extern std::vector<PresentedFrame> fake_display_frames;
// Simulated time every present takes: a machine that draws slower than the frame period.
extern int32_t fake_display_present_ms;
