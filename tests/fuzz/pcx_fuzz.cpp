// The PCX reader, given whole files.
#include "gfx2d/pcx.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    uint8_t* pixels = nullptr;
    uint8_t palette[768];
    int32_t width, height;
    if (pcx_read_memory("fuzz.pcx", data, size, &pixels, palette, &width, &height) == 0) {
        // Touch every pixel the reader claims to have made.
        volatile uint8_t sum = 0;
        for (size_t i = 0; i < size_t(width) * size_t(height); i++) sum = sum + pixels[i];
    }
    std::free(pixels);
    return 0;
}
