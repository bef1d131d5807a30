// Back-to-front ordering of an object's faces for the painter's algorithm.
#pragma once

#include <cstdint>

struct Face3D;

struct DepthSortEntry {
    int32_t key; // only the low 16 bits take part in the sort
    Face3D* face;
};

constexpr int32_t DEPTH_SORT_CAPACITY = 10000;

// Stable radix sort, ascending on the low 16 bits of the key: two passes of one byte each.
// At most DEPTH_SORT_CAPACITY entries are sorted; any beyond stay where they are.
void sort_faces_by_depth(DepthSortEntry* entries, int32_t count);
