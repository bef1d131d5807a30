#include "raster/target.h"

#include <algorithm>

// Until the driver sets it, the target has no rows and every filler draws nothing.
RenderTarget render_target;

void set_render_target(uint8_t* pixels, int32_t width, int32_t height)
{
    render_target.width = std::max(width, 0);
    render_target.height = std::clamp(height, 0, RENDER_TARGET_MAX_ROWS);
    if (pixels == nullptr) render_target.height = 0;
    // Rows past the last one get no pointer at all: the fillers never reach them.
    for (int y = 0; y < RENDER_TARGET_MAX_ROWS; y++)
        render_target.row_table[y] =
            y < render_target.height ? pixels + size_t(y) * size_t(render_target.width) : nullptr;
}
