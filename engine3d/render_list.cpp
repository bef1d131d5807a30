// The render list: one shared object that the frame's visible geometry is appended to, cut at
// the near plane on the way in.
#include "engine3d/clip_table.h"
#include "engine3d/pipeline.h"

#include <cmath>
#include <cstring>

namespace {

Vertex3D list_vertices[RENDER_LIST_CAPACITY];
Face3D list_faces[RENDER_LIST_CAPACITY];
DepthSortEntry list_sort_buffer[RENDER_LIST_CAPACITY];

Object3D render_list = {0,
                        0,
                        list_vertices,
                        list_faces,
                        list_sort_buffer,
                        {{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}}};

int64_t dropped_faces;

uint8_t clip_code(float v, float low, float high)
{
    return v < low ? CLIP_LOW : v > high ? CLIP_HIGH : CLIP_INSIDE;
}

} // namespace

void render_list_reset()
{
    render_list.vertex_count = 0;
    render_list.face_count = 0;
}

Object3D* render_list_get()
{
    return &render_list;
}

int64_t render_list_dropped_faces()
{
    return dropped_faces;
}

void render_list_add(Object3D* object, float near, float far, float focal, int32_t half_width,
                     int32_t half_height)
{
    const float xlim = float(half_width) / focal, ylim = float(half_height) / focal;
    const int32_t count = object->vertex_count;
    if (count < 0 || object->face_count < 0) return;
    for (int32_t i = 0; i < count; i++) {
        Vertex3D& v = object->vertices[i];
        const float x = v.transformed.x, y = v.transformed.y, z = v.transformed.z;
        const float tx = std::fabs(xlim * z), ty = std::fabs(ylim * z);
        v.clip_z = clip_code(z, near, far);
        v.clip_x = clip_code(x, -tx, tx);
        v.clip_y = clip_code(y, -ty, ty);
    }

    Object3D& list = render_list;
    const int32_t base = list.vertex_count;
    if (count > RENDER_LIST_CAPACITY - base) { // not even its vertices fit
        dropped_faces += object->face_count;
        return;
    }
    std::memcpy(list.vertices + base, object->vertices, size_t(count) * sizeof(Vertex3D));
    int32_t next = base + count; // index of the next vertex made by the near clip

    for (int32_t j = 0; j < object->face_count; j++) {
        const Face3D& f = object->faces[j];
        if (!object_face_valid(f, count)) {
            object_count_broken_face();
            continue;
        }
        const int32_t corner[3] = {f.vertex0, f.vertex1, f.vertex2};
        const Vertex3D* v[3] = {&object->vertices[corner[0]], &object->vertices[corner[1]],
                                &object->vertices[corner[2]]};
        // Wholly beyond one side plane: nothing of it can be seen.
        if ((v[0]->clip_x & v[1]->clip_x & v[2]->clip_x) != 0 ||
            (v[0]->clip_y & v[1]->clip_y & v[2]->clip_y) != 0)
            continue;
        const near_clip::Case* cut =
            near_clip::find(v[0]->clip_z + 4 * v[1]->clip_z + 16 * v[2]->clip_z);
        if (cut == nullptr) continue;
        if (next + cut->new_count > RENDER_LIST_CAPACITY ||
            list.face_count + cut->face_count > RENDER_LIST_CAPACITY) {
            dropped_faces += object->face_count - j; // the rest of this object is lost
            break;
        }

        // Corner slots 0..2 are the face's own vertices, 3 and 4 the new ones.
        int32_t index[5] = {base + corner[0], base + corner[1], base + corner[2], 0, 0};
        const int32_t* src_uv = &f.uv.u0;
        int32_t uv[5][2] = {{src_uv[0], src_uv[1]}, {src_uv[2], src_uv[3]}, {src_uv[4], src_uv[5]}};
        for (int k = 0; k < cut->new_count; k++) {
            const int a = cut->made[k].closer, b = cut->made[k].kept;
            const Vec4& pa = v[a]->transformed;
            const Vec4& pb = v[b]->transformed;
            const float t = (near - pa.z) / (pb.z - pa.z);
            Vertex3D& n = list.vertices[next];
            n = *v[a];
            n.transformed.x = pa.x + (pb.x - pa.x) * t;
            n.transformed.y = pa.y + (pb.y - pa.y) * t;
            n.transformed.z = near;
            index[3 + k] = next++;
            for (int c = 0; c < 2; c++)
                uv[3 + k][c] = uv[a][c] + int32_t(t * float(uv[b][c] - uv[a][c]));
        }
        for (int k = 0; k < cut->face_count; k++) {
            Face3D& out = list.faces[list.face_count++];
            out = f;
            const std::array<int, 3>& slot = cut->faces[k];
            out.vertex0 = index[slot[0]], out.vertex1 = index[slot[1]],
            out.vertex2 = index[slot[2]];
            out.uv = {uv[slot[0]][0], uv[slot[0]][1], uv[slot[1]][0],
                      uv[slot[1]][1], uv[slot[2]][0], uv[slot[2]][1]};
        }
    }
    list.vertex_count = next;
}

void render_list_project(Object3D* object, float focal)
{
    for (int32_t i = 0; i < object->vertex_count; i++) {
        Vec4& p = object->vertices[i].transformed;
        if (!(p.z > 0.0f)) continue; // behind the viewer: no kept face uses it
        const float k = focal / p.z;
        p.x *= k;
        p.y *= k;
    }
    for (int32_t i = 0; i < object->face_count; i++) {
        Face3D& f = object->faces[i];
        if (!object_face_valid(f, object->vertex_count)) {
            object_count_broken_face();
            f.visible = 0;
            continue;
        }
        const Vec4& a = object->vertices[f.vertex0].transformed;
        const Vec4& b = object->vertices[f.vertex1].transformed;
        const Vec4& c = object->vertices[f.vertex2].transformed;
        // Screen winding: faces turned the other way are back faces.
        f.visible = (a.x - c.x) * (b.y - a.y) < (a.y - c.y) * (b.x - a.x) ? 1 : 0;
    }
}
