// How a face crossing the near plane is cut, by its key clip_z(V0) + 4 clip_z(V1) +
// 16 clip_z(V2) with 1 for a corner closer than near. Each new vertex N lies on the edge from
// a near corner (closer) to a kept one; faces list their corners as 0..2 for the face's own
// vertices and 3, 4 for the new vertices in the order they are made.
#pragma once

#include <array>

namespace near_clip {

struct NewVertex {
    int closer, kept;
};

struct Case {
    int key;
    int new_count;
    std::array<NewVertex, 2> made;
    int face_count;
    std::array<std::array<int, 3>, 2> faces;
};

constexpr int N0 = 3, N1 = 4; // the first and the second new vertex

constexpr std::array<Case, 7> cases = {{
    {0, 0, {}, 1, {{{0, 1, 2}}}},
    {1, 2, {{{0, 1}, {0, 2}}}, 2, {{{N0, 1, 2}, {N1, N0, 2}}}},  // V0 near: N01, N02
    {4, 2, {{{1, 0}, {1, 2}}}, 2, {{{0, N0, 2}, {N0, N1, 2}}}},  // V1 near: N10, N12
    {16, 2, {{{2, 1}, {2, 0}}}, 2, {{{0, 1, N0}, {0, N0, N1}}}}, // V2 near: N21, N20
    {5, 2, {{{0, 2}, {1, 2}}}, 1, {{{N0, N1, 2}}}},              // V0, V1 near: N02, N12
    {17, 2, {{{0, 1}, {2, 1}}}, 1, {{{N0, 1, N1}}}},             // V0, V2 near: N01, N21
    {20, 2, {{{1, 0}, {2, 0}}}, 1, {{{0, N0, N1}}}},             // V1, V2 near: N10, N20
}};

// The case for a key, or null when the face is dropped (a corner beyond far, or all near).
constexpr const Case* find(int key)
{
    for (const Case& c : cases)
        if (c.key == key) return &c;
    return nullptr;
}

} // namespace near_clip
