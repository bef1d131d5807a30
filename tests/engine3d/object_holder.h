// Objects owned by the test that made them.
#pragma once

#include "engine3d/object.h"

#include <gtest/gtest.h>
#include <memory>

struct ObjectDeleter {
    void operator()(Object3D* o) const { object_destroy(&o); }
};
using ObjectPtr = std::unique_ptr<Object3D, ObjectDeleter>;

// A new object whose vertices and faces start all zero.
inline ObjectPtr make_object(int vertices, int faces)
{
    Object3D* o = nullptr;
    EXPECT_EQ(object_create(&o, vertices, faces), 0);
    for (int i = 0; i < vertices; i++) o->vertices[i] = Vertex3D{};
    for (int i = 0; i < faces; i++) o->faces[i] = Face3D{};
    return ObjectPtr(o);
}
