// How a face crossing the near plane is cut, by its key clip_z(V0) + 4 clip_z(V1) +
// 16 clip_z(V2) with 1 for a corner closer than near. Each new vertex N lies on the edge from
// a near corner (closer) to a kept one; faces list their corners as 0..2 for the face's own
// vertices and 3, 4 for the new vertices in the order they are made.
#pragma once

#include <array>

struct NearClipVertex {
    int closer, kept;
};

struct NearClipCase {
    int key;
    int new_count;
    std::array<NearClipVertex, 2> made;
    int face_count;
    std::array<std::array<int, 3>, 2> faces;
};

constexpr int NEAR_CLIP_N0 = 3, NEAR_CLIP_N1 = 4; // the first and the second new vertex

constexpr std::array<NearClipCase, 7> near_clip_cases = {{
    {0, 0, {}, 1, {{{0, 1, 2}}}},
    {1,
     2,
     {{{0, 1}, {0, 2}}},
     2,
     {{{NEAR_CLIP_N0, 1, 2}, {NEAR_CLIP_N1, NEAR_CLIP_N0, 2}}}}, // V0 near: N01, N02
    {4,
     2,
     {{{1, 0}, {1, 2}}},
     2,
     {{{0, NEAR_CLIP_N0, 2}, {NEAR_CLIP_N0, NEAR_CLIP_N1, 2}}}}, // V1 near: N10, N12
    {16,
     2,
     {{{2, 1}, {2, 0}}},
     2,
     {{{0, 1, NEAR_CLIP_N0}, {0, NEAR_CLIP_N0, NEAR_CLIP_N1}}}},         // V2 near: N21, N20
    {5, 2, {{{0, 2}, {1, 2}}}, 1, {{{NEAR_CLIP_N0, NEAR_CLIP_N1, 2}}}},  // V0, V1 near: N02, N12
    {17, 2, {{{0, 1}, {2, 1}}}, 1, {{{NEAR_CLIP_N0, 1, NEAR_CLIP_N1}}}}, // V0, V2 near: N01, N21
    {20, 2, {{{1, 0}, {2, 0}}}, 1, {{{0, NEAR_CLIP_N0, NEAR_CLIP_N1}}}}, // V1, V2 near: N10, N20
}};

// The case for a key, or null when the face is dropped (a corner beyond far, or all near).
constexpr const NearClipCase* near_clip_find(int key)
{
    for (const NearClipCase& c : near_clip_cases)
        if (c.key == key) return &c;
    return nullptr;
}
