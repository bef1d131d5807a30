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
