#include "raster/sort.h"

#include <algorithm>

static DepthSortEntry sort_scratch[DEPTH_SORT_CAPACITY];

// One counting pass on the byte at 'shift': stable, so equal bytes keep their order.
static void sort_pass(const DepthSortEntry* from, DepthSortEntry* to, int32_t count, int shift)
{
    int32_t start[256] = {};
    for (int32_t i = 0; i < count; i++) start[(uint32_t(from[i].key) >> shift) & 0xff]++;
    int32_t sum = 0;
    for (int32_t& s : start) { // counts become starting positions
        const int32_t n = s;
        s = sum;
        sum += n;
    }
    for (int32_t i = 0; i < count; i++)
        to[start[(uint32_t(from[i].key) >> shift) & 0xff]++] = from[i];
}

void sort_faces_by_depth(DepthSortEntry* entries, int32_t count)
{
    count = std::clamp(count, 0, DEPTH_SORT_CAPACITY);
    sort_pass(entries, sort_scratch, count, 0);
    sort_pass(sort_scratch, entries, count, 8);
}
