// Normals, vertex search and planar texture coordinates: work on a whole object outside the
// per-frame pipeline.
#include "engine3d/object.h"

#include <cfloat>
#include <cmath>

namespace {

// Face normals from the three corners' positions (pos selects object or view space), each
// added to its corners' normals (sel selects which), whose w counts the faces.
template <class Pos, class Normal, class FaceNormal>
void compute_normals(Object3D* o, Pos pos, Normal normal, FaceNormal face_normal)
{
    for (int32_t i = 0; i < o->vertex_count; i++) normal(o->vertices[i]) = Vec4{0, 0, 0, 0};
    for (int32_t i = 0; i < o->face_count; i++) {
        Face3D& f = o->faces[i];
        if (!object_face_valid(f, o->vertex_count)) {
            object_count_broken_face();
            continue;
        }
        const Vec4& p0 = pos(o->vertices[f.vertex0]);
        const Vec4& p1 = pos(o->vertices[f.vertex1]);
        const Vec4& p2 = pos(o->vertices[f.vertex2]);
        const float e1x = p1.x - p2.x, e1y = p1.y - p2.y, e1z = p1.z - p2.z;
        const float e2x = p1.x - p0.x, e2y = p1.y - p0.y, e2z = p1.z - p0.z;
        Vec4 n{e1y * e2z - e1z * e2y, e1z * e2x - e1x * e2z, e1x * e2y - e1y * e2x, 0.0f};
        const float len = std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z);
        // A face without area still needs a direction: it counts toward its vertices' means.
        if (len == 0.0f)
            n = Vec4{1, 1, 1, 0};
        else
            n = Vec4{n.x / len, n.y / len, n.z / len, 0.0f};
        face_normal(f) = n;
        for (int32_t v : {f.vertex0, f.vertex1, f.vertex2}) {
            Vec4& vn = normal(o->vertices[v]);
            vn.x += n.x, vn.y += n.y, vn.z += n.z, vn.w += 1.0f;
        }
    }
    // The mean of the unit face normals, not renormalised; w keeps the count.
    for (int32_t i = 0; i < o->vertex_count; i++) {
        Vec4& vn = normal(o->vertices[i]);
        if (vn.w != 0.0f) vn.x /= vn.w, vn.y /= vn.w, vn.z /= vn.w;
    }
}

} // namespace

void object_compute_normals(Object3D* o)
{
    compute_normals(
        o, [](Vertex3D& v) -> Vec4& { return v.position; },
        [](Vertex3D& v) -> Vec4& { return v.normal; }, [](Face3D& f) -> Vec4& { return f.normal; });
}

void object_compute_view_normals(Object3D* o)
{
    compute_normals(
        o, [](Vertex3D& v) -> Vec4& { return v.transformed; },
        [](Vertex3D& v) -> Vec4& { return v.transformed_normal; },
        [](Face3D& f) -> Vec4& { return f.transformed_normal; });
}

int32_t object_find_vertex(const Object3D* o, float x, float y, float z, float epsilon, int32_t,
                           int32_t)
{
    for (int32_t i = 0; i < o->vertex_count; i++) {
        const Vec4& p = o->vertices[i].position;
        if (std::fabs(p.x - x) < epsilon && std::fabs(p.y - y) < epsilon &&
            std::fabs(p.z - z) < epsilon)
            return i;
    }
    return -1;
}

void object_planar_texture(Object3D* o, Image* const* textures, int texture_index, float repeat)
{
    float zmin = FLT_MAX;
    for (int32_t i = 0; i < o->vertex_count; i++) zmin = std::fmin(zmin, o->vertices[i].position.z);

    // Flatten with a gentle perspective so that faces seen edge-on still get some texture.
    auto flat = [&](const Vec4& p, float& px, float& py) {
        const float k = 1000.0f / ((p.z - zmin) + 1000.0f);
        px = p.x * k, py = p.y * k;
    };
    float xmin = FLT_MAX, xmax = -FLT_MAX, ymin = FLT_MAX, ymax = -FLT_MAX;
    for (int32_t i = 0; i < o->vertex_count; i++) {
        float px, py;
        flat(o->vertices[i].position, px, py);
        xmin = std::fmin(xmin, px), xmax = std::fmax(xmax, px);
        ymin = std::fmin(ymin, py), ymax = std::fmax(ymax, py);
    }
    const Image* tex = textures[texture_index];
    const float su = repeat * float(tex->width), sv = repeat * float(tex->height);
    // An object flat in x or y gets coordinate 0 along that axis instead of a division by 0.
    const float rx = xmax - xmin, ry = ymax - ymin;
    auto coord = [](float c) { return std::isfinite(c) ? int32_t(c) : 0; };
    for (int32_t i = 0; i < o->face_count; i++) {
        Face3D& f = o->faces[i];
        if (!object_face_valid(f, o->vertex_count)) {
            object_count_broken_face();
            continue;
        }
        f.texture = uint8_t(texture_index);
        int32_t* uv = &f.uv.u0;
        for (int32_t v : {f.vertex0, f.vertex1, f.vertex2}) {
            float px, py;
            flat(o->vertices[v].position, px, py);
            *uv++ = rx > 0.0f ? coord((px - xmin) * su / rx) : 0;
            *uv++ = ry > 0.0f ? coord((py - ymin) * sv / ry) : 0;
        }
    }
}
