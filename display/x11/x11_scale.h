// Where the frame sits in a window of any size: the largest whole scale that fits, centred,
// the rest of the window black. Kept free of Xlib so that it can be tested without a server.
#pragma once

#include <algorithm>

struct X11Layout {
    int scale = 1;
    int x = 0, y = 0; // top left corner of the picture in the window
};

constexpr X11Layout x11_layout_fit(int window_width, int window_height, int frame_width,
                                   int frame_height)
{
    X11Layout l;
    l.scale = std::max(1, std::min(window_width / frame_width, window_height / frame_height));
    // A window smaller than the frame shows its top left part.
    l.x = std::max(0, (window_width - frame_width * l.scale) / 2);
    l.y = std::max(0, (window_height - frame_height * l.scale) / 2);
    return l;
}

// --scale N: 1 to 8 screen pixels per frame pixel; 0 when the text is not such a number.
constexpr int x11_scale_from_text(const char* text)
{
    if (text == nullptr || text[0] < '1' || text[0] > '8' || text[1] != '\0') return 0;
    return text[0] - '0';
}
