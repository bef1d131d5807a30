// The camera and the transformation of objects into view space.
#include "engine3d/pipeline.h"

void camera_build_view(float px, float py, float pz, float sx, float sy, float sz, float ax,
                       float ay, float az, Matrix4& view, Matrix4& rotation)
{
    matrix_rotate(rotation, ax, ay, az);
    Matrix4 t, s, placed, inverse;
    matrix_translate(t, px, py, pz);
    matrix_scale(s, sx, sy, sz);
    matrix_multiply(t, s, placed); // translate first, then scale
    matrix_invert(placed, inverse);
    matrix_multiply(inverse, rotation, view);
}

namespace {

Vec4 transform_point(const Matrix4& m, const Vec4& p)
{
    return {m.at(0, 0) * p.x + m.at(0, 1) * p.y + m.at(0, 2) * p.z + m.at(0, 3),
            m.at(1, 0) * p.x + m.at(1, 1) * p.y + m.at(1, 2) * p.z + m.at(1, 3),
            m.at(2, 0) * p.x + m.at(2, 1) * p.y + m.at(2, 2) * p.z + m.at(2, 3), m.at(3, 3)};
}

// Directions ignore the translation column.
Vec4 transform_direction(const Matrix4& m, const Vec4& n)
{
    return {m.at(0, 0) * n.x + m.at(0, 1) * n.y + m.at(0, 2) * n.z,
            m.at(1, 0) * n.x + m.at(1, 1) * n.y + m.at(1, 2) * n.z,
            m.at(2, 0) * n.x + m.at(2, 1) * n.y + m.at(2, 2) * n.z, m.at(3, 3)};
}

} // namespace

void object_transform(Object3D* o, const Matrix4& view, int flags)
{
    Matrix4 m;
    matrix_multiply(o->matrix, view, m); // the model matrix first
    Vertex3D* const vb = o->vertices;
    Vertex3D* const ve = vb + o->vertex_count;
    Face3D* const fb = o->faces;
    Face3D* const fe = fb + o->face_count;
    if (flags & TRANSFORM_POSITIONS)
        for (Vertex3D* v = vb; v < ve; v++) v->transformed = transform_point(m, v->position);
    if (flags & TRANSFORM_FACE_NORMALS)
        for (Face3D* f = fb; f < fe; f++) f->transformed_normal = transform_direction(m, f->normal);
    if (flags & TRANSFORM_VERTEX_NORMALS)
        for (Vertex3D* v = vb; v < ve; v++)
            v->transformed_normal = transform_direction(m, v->normal);
    if (flags & COPY_POSITIONS)
        for (Vertex3D* v = vb; v < ve; v++) v->transformed = v->position;
    if (flags & COPY_FACE_NORMALS)
        for (Face3D* f = fb; f < fe; f++) f->transformed_normal = f->normal;
    if (flags & COPY_VERTEX_NORMALS)
        for (Vertex3D* v = vb; v < ve; v++) v->transformed_normal = v->normal;
    if (flags & BAKE_POSITIONS)
        for (Vertex3D* v = vb; v < ve; v++) v->position = v->transformed;
}
