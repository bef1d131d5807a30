// The 3D object record: vertices, faces and the depth-sort scratch space, with its model
// matrix; and the operations that build objects outside the per-frame pipeline.
#pragma once

#include "engine3d/math3d.h"
#include "gfx2d/image.h"
#include "raster/sort.h"
#include "raster/triangle.h"

#include <cstdint>

// Clip codes of a vertex against one pair of view-volume planes.
enum ClipCode : uint8_t { CLIP_INSIDE = 0, CLIP_LOW = 1, CLIP_HIGH = 2 };

struct Vertex3D {
    Vec4 position;           // object space; w is not a coordinate
    Vec4 transformed;        // view space; after projection x, y are screen offsets, z the depth
    Vec4 normal;             // w = number of faces that share the vertex
    Vec4 transformed_normal; // view space
    uint8_t light;           // light level of the Gouraud modes, 0..63
    uint8_t clip_x, clip_y, clip_z;
};

struct Face3D {
    int32_t vertex0, vertex1, vertex2; // indices into the object's vertices
    Vec4 normal;                       // unit, object space
    Vec4 transformed_normal;           // view space
    uint8_t colour;                    // palette index
    uint8_t texture;                   // index into the scene's texture list
    TextureCoords uv;                  // per corner, in texels
    uint8_t visible;                   // front-facing after projection
    uint8_t light;                     // light level of the flat-lit modes
};

struct Object3D {
    int32_t vertex_count; // in use; never more than the arrays were created with
    int32_t face_count;
    Vertex3D* vertices;
    Face3D* faces;
    DepthSortEntry* sort_buffer; // one per face
    Matrix4 matrix;              // model matrix, applied before the view
};

// Releases what *handle holds, then allocates a record with room for the given counts; both
// counts start at that capacity, the matrix is all zero and the arrays are not cleared.
// 0 on success; -1 no record, -2 no vertices, -3 no faces, -4 no sort buffer. After a failure
// nothing is left allocated and *handle is null.
int object_create(Object3D** handle, int32_t vertex_count, int32_t face_count);
// Releases the record and its arrays and sets *handle to null.
void object_destroy(Object3D** handle);

// Whether all three corners of the face are vertices of an object with that many vertices.
inline bool object_face_valid(const Face3D& f, int32_t vertex_count)
{
    auto in = [vertex_count](int32_t i) { return i >= 0 && i < vertex_count; };
    return in(f.vertex0) && in(f.vertex1) && in(f.vertex2);
}
// Faces that named a vertex the object does not have, skipped by the normals, the planar
// texture coordinates and the render list since the program started.
int64_t object_broken_faces();
void object_count_broken_face();

// Unit face normals (degenerate faces get (1, 1, 1)) and per vertex the mean of the normals
// of its faces, from object-space positions into normal.
void object_compute_normals(Object3D* object);
// The same from transformed positions into transformed_normal.
void object_compute_view_normals(Object3D* object);

// First vertex closer than epsilon to (x, y, z) in each axis, or -1. Start and count are kept
// for callers that pass them; every vertex is scanned.
int32_t object_find_vertex(const Object3D* object, float x, float y, float z, float epsilon,
                           int32_t start, int32_t count);

// Every face gets the texture index and coordinates from a perspective-flattened projection
// onto the x-y plane, spanning repeat times the texture's size.
void object_planar_texture(Object3D* object, Image* const* textures, int texture_index,
                           float repeat);
