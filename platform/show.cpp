#include "platform/show.h"

Palette screen_palette;

const char* demo_segment_name(int segment)
{
    // In the order of demo_run's sequence, after its six loading steps.
    static const char* const scenes[] = {"title-picture", "text-pages",    "city", "dream-picture",
                                         "blob",          "money-picture", "land", "last-picture"};
    constexpr int first = 6, count = int(sizeof scenes / sizeof scenes[0]);
    return segment >= first && segment < first + count ? scenes[segment - first] : "blank";
}

uint64_t demo_frame_hash(const uint8_t* pixels, size_t count, size_t stride)
{
    uint64_t h = 0xcbf29ce484222325ull;
    for (size_t i = 0; i < count; i++, pixels += stride)
        for (size_t c = 0; c < 3; c++) {
            h ^= pixels[c];
            h *= 0x100000001b3ull;
        }
    return h;
}
