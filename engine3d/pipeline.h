// The per-frame 3D pipeline: camera, transformation into view space, the render list with
// frustum rejection and near-plane clipping, and the perspective projection with back-face
// flags. Drawing follows in raster/draw.h.
#pragma once

#include "engine3d/object.h"

// What object_transform does; applied in this order.
enum TransformFlags : int {
    TRANSFORM_POSITIONS = 1,      // transformed = M position
    TRANSFORM_FACE_NORMALS = 2,   // face transformed_normal = rotation part of M normal
    TRANSFORM_VERTEX_NORMALS = 4, // vertex transformed_normal = rotation part of M normal
    COPY_POSITIONS = 8,
    COPY_FACE_NORMALS = 16,
    COPY_VERTEX_NORMALS = 32,
    BAKE_POSITIONS = 64, // position = transformed: with 1, makes a transformation permanent
};

constexpr int32_t RENDER_LIST_CAPACITY = 10000; // vertices and faces

// view = rotation S^-1 T^-1 with rotation = Ry(ay) Rx(ax) Rz(az), S the scale and T the
// position: the camera stands at (sx px, sy py, sz pz) in world units.
void camera_build_view(float px, float py, float pz, float sx, float sy, float sz, float ax,
                       float ay, float az, Matrix4& view, Matrix4& rotation);

// Applies view times the object's model matrix as the flags say.
void object_transform(Object3D* object, const Matrix4& view, int flags);

void render_list_reset();
Object3D* render_list_get();
// Appends the object's view-space vertices and the faces that may be seen: faces wholly
// beyond one side, beyond far or before near are dropped, faces crossing near are cut.
// An object that does not fit the list any more is cut at a face boundary.
void render_list_add(Object3D* object, float near, float far, float focal, int32_t half_width,
                     int32_t half_height);
// Faces lost to a full render list since the program started: content must keep this 0.
int64_t render_list_dropped_faces();

// Screen offsets x focal / z for every vertex in front of the viewer (z > 0), and each face's
// visible flag from its winding on screen.
void render_list_project(Object3D* object, float focal);
