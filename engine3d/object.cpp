// Object lifetime: one record owning its vertex, face and sort arrays.
#include "engine3d/object.h"

#include <cstdlib>

// malloc of 0 bytes may give null; an empty array is still a success.
static void* object_alloc(int32_t count, size_t size)
{
    return std::malloc(size_t(count > 0 ? count : 1) * size);
}

static int64_t broken_faces;

int64_t object_broken_faces()
{
    return broken_faces;
}

void object_count_broken_face()
{
    broken_faces++;
}

int object_create(Object3D** handle, int32_t vertex_count, int32_t face_count)
{
    object_destroy(handle);
    Object3D* o = static_cast<Object3D*>(std::malloc(sizeof(Object3D)));
    if (o == nullptr) return -1;
    o->vertices = vertex_count >= 0
                      ? static_cast<Vertex3D*>(object_alloc(vertex_count, sizeof(Vertex3D)))
                      : nullptr;
    if (o->vertices == nullptr) {
        std::free(o);
        return -2;
    }
    o->faces =
        face_count >= 0 ? static_cast<Face3D*>(object_alloc(face_count, sizeof(Face3D))) : nullptr;
    if (o->faces == nullptr) {
        std::free(o->vertices);
        std::free(o);
        return -3;
    }
    o->sort_buffer = static_cast<DepthSortEntry*>(object_alloc(face_count, sizeof(DepthSortEntry)));
    if (o->sort_buffer == nullptr) {
        std::free(o->faces);
        std::free(o->vertices);
        std::free(o);
        return -4;
    }
    matrix_diagonal(o->matrix, 0.0f);
    o->vertex_count = vertex_count;
    o->face_count = face_count;
    *handle = o;
    return 0;
}

void object_destroy(Object3D** handle)
{
    Object3D* o = *handle;
    if (o == nullptr) return;
    std::free(o->vertices);
    std::free(o->faces);
    std::free(o->sort_buffer);
    std::free(o);
    *handle = nullptr; // a second create or destroy through it must not free it again
}
