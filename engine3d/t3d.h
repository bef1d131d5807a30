// The ".t3d" object files of the 3D worlds: a material list, a vertex list and a triangle list
// in plain text.
#pragma once

#include "engine3d/object.h"
#include "gfx2d/palette.h"

#include <cstdint>

enum T3dResult : int {
    T3D_OK = 0,
    T3D_CANNOT_OPEN = -1,
    T3D_UNEXPECTED_END = -2,     // while a header is searched, or after a count or materials
    T3D_BAD_COUNT_LINE = -4,     // a count line that does not begin with an integer
    T3D_BAD_MATERIAL = -5,       // a material line without six fields; also no object memory
    T3D_SHORT_VERTICES = -6,     // the file ends inside the vertex lines
    T3D_BAD_VERTEX = -7,         // a vertex line without three numbers
    T3D_SHORT_TRIANGLES = -8,    // the file ends inside the triangle lines
    T3D_BAD_TRIANGLE = -9,       // a triangle line without 13 fields
    T3D_UNKNOWN_TEXTURE = -10,   // a material names a texture the scene does not have
    T3D_BAD_VERTEX_INDEX = -11,  // a triangle corner outside the vertex list
    T3D_BAD_MATERIAL_SLOT = -12, // a slot outside 0-1023, or a triangle's slot never filled
    T3D_LONG_TEXTURE_NAME = -13, // a texture name of 20 characters or more
    T3D_BAD_COUNT = -14,         // a count below 0 or above T3D_MAX_COUNT
    T3D_BAD_NUMBER = -15,        // a coordinate that is not finite or far out of range
};

constexpr int T3D_MATERIAL_SLOTS = 1024;
constexpr int T3D_TEXTURE_NAME_SIZE = 20; // names of at most 19 characters
constexpr int32_t T3D_MAX_COUNT = 1000000;

// Reads the file into a new object in *handle: material colours become the palette's nearest
// colours, texture names (matched without regard to case) become indices of the list, and
// texture coordinates become texels of the named texture's size. With reverse set, every
// triangle's corners (and their coordinates) are stored in the opposite order. names may be
// null; texture_count is taken modulo 256. Normals and the model matrix are left to the
// caller. On failure nothing is left allocated.
int t3d_load(Object3D** handle, const char* path, const uint8_t* palette, int reverse,
             const char* const* names, const int32_t* sizes, int texture_count);
