#include "scenes3d/blob_field.h"

#include "scenes3d/blob_tables.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr int STEP_I = BLOB_GRID * BLOB_GRID, STEP_J = BLOB_GRID, STEP_K = 1;

constexpr BlobBall start_balls[BLOB_BALLS] = {
    {15.0f, 5.0f, 10.0f, 0.349206358f, 0.46808511f, 0.48888886f},
    {10.0f, 15.0f, 5.0f, 0.431372523f, 0.448979616f, 0.536585391f},
    {5.0f, 10.0f, 15.0f, 0.594594598f, 0.3859649f, 0.628571451f},
};

// The box each ball bounces in, per axis.
constexpr float low_bound[3] = {3.5f, 3.0f, 1.0f};
constexpr float high_bound[3] = {15.5f, 16.0f, 15.0f};

// A ball's pull by squared distance: a square root per table entry, not per grid point.
constexpr int FALLOFF_SIZE = 1200;
constexpr float STRENGTH = 10922.334f;
constexpr float EMPTY_FIELD = 6500.0f;

struct Falloff {
    float table[FALLOFF_SIZE];
    Falloff()
    {
        for (int d = 0; d < FALLOFF_SIZE; d++)
            table[d] = std::min(STRENGTH, STRENGTH / (std::sqrt(float(d)) + 0.00001f));
    }
};
const Falloff falloff;

// The edges of a cell: the grid point they start from (offset from the cell's point n) and
// the axis they run along (0 x, 1 y, 2 z).
struct CellEdge {
    int offset, axis;
};
constexpr CellEdge cell_edges[12] = {
    {STEP_J, 0}, {STEP_I + STEP_J, 2}, {STEP_J + STEP_K, 0}, {STEP_J, 2},
    {0, 0},      {STEP_I, 2},          {STEP_K, 0},          {0, 2},
    {0, 1},      {STEP_I, 1},          {STEP_I + STEP_K, 1}, {STEP_K, 1},
};
// Cell corners as offsets from n: corners 0-3 at j + 1, 4-7 at j.
constexpr int corner_offsets[8] = {
    STEP_J, STEP_I + STEP_J, STEP_I + STEP_J + STEP_K, STEP_J + STEP_K,
    0,      STEP_I,          STEP_I + STEP_K,          STEP_K};

int64_t dropped_faces;

// A crossing this close to a grid point may meet another edge's there: only the full search
// knows, so such vertices take the slow way in the fast mode too.
constexpr float NEAR_GRID_POINT = 1.0e-4f;

struct Polygonizer {
    const BlobField* field;
    Object3D* object;
    BlobPolygonizeMode mode;
    int32_t edge_vertex[BLOB_POINTS * 3]; // vertex made for (point, axis), or -1

    // The vertex of a cut edge: its index in the object, appended when it is new; -1 when the
    // object is full.
    int32_t vertex_of(int n, int edge)
    {
        const CellEdge e = cell_edges[edge];
        const int p = n + e.offset;
        const float* shares[3] = {field->ex, field->ey, field->ez};
        const float share = shares[e.axis][p];
        float pos[3] = {float(p / STEP_I - 10), float(p / STEP_J % BLOB_GRID - 10),
                        float(p % BLOB_GRID - 10)};
        pos[e.axis] += share;

        const bool near_point = !(share > NEAR_GRID_POINT && share < 1.0f - NEAR_GRID_POINT);
        int32_t* cached = &edge_vertex[p * 3 + e.axis];
        int32_t found;
        if (mode.linear_search || near_point)
            found = object_find_vertex(object, pos[0], pos[1], pos[2], 0.000001f, -1, 8);
        else
            found = *cached;
        if (found >= 0) return found;
        if (object->vertex_count >= BLOB_MAX_VERTICES) return -1;
        const int32_t index = object->vertex_count++;
        object->vertices[index].position = {pos[0], pos[1], pos[2], 0.0f};
        if (!near_point) *cached = index;
        return index;
    }

    void cell(int n, int texture)
    {
        int config = 0;
        for (int c = 0; c < 8; c++) config |= field->inside[n + corner_offsets[c]] << c;
        // All inside, or nothing inside at this layer: the cell is left to its neighbours (or,
        // on the blob's far side, to nobody).
        if (config == 255 || ((config & 0x33) == 0 && !mode.every_cell)) return;

        int32_t vertex[12];
        const uint16_t cut = blob_edge_table[config];
        for (int e = 0; e < 12; e++) vertex[e] = cut & 1 << e ? -2 : -1;
        for (const int8_t* t = blob_triangle_table[config]; *t != -1; t += 3) {
            int32_t corner[3];
            for (int k = 0; k < 3; k++) {
                int32_t& v = vertex[t[k]];
                if (v == -2) v = vertex_of(n, t[k]);
                corner[k] = v;
            }
            if (corner[0] < 0 || corner[1] < 0 || corner[2] < 0 ||
                object->face_count >= BLOB_MAX_FACES) {
                dropped_faces++;
                continue;
            }
            // The table's order reversed: the blob is seen from outside.
            Face3D& f = object->faces[object->face_count++];
            f.vertex0 = corner[2], f.vertex1 = corner[1], f.vertex2 = corner[0];
            f.texture = uint8_t(texture);
        }
    }
};

Polygonizer polygonizer; // the edge cache is 96 KB: one, kept off the stack

} // namespace

void blob_field_start(BlobField& field)
{
    std::copy(std::begin(start_balls), std::end(start_balls), field.balls);
}

void blob_field_move(BlobField& field)
{
    for (BlobBall& b : field.balls) {
        float* pos[3] = {&b.x, &b.y, &b.z};
        float* vel[3] = {&b.vx, &b.vy, &b.vz};
        for (int a = 0; a < 3; a++) {
            *pos[a] += *vel[a];
            if (*pos[a] < low_bound[a]) {
                *pos[a] = low_bound[a];
                *vel[a] = -*vel[a];
            }
            if (*pos[a] > high_bound[a]) {
                *pos[a] = high_bound[a];
                *vel[a] = -*vel[a];
            }
        }
    }
}

void blob_field_sample(BlobField& field)
{
    std::fill(std::begin(field.value), std::end(field.value), EMPTY_FIELD);
    for (const BlobBall& b : field.balls) {
        float dy[BLOB_GRID], dz[BLOB_GRID];
        for (int g = 0; g < BLOB_GRID; g++) {
            dy[g] = (float(g) - b.y) * (float(g) - b.y);
            dz[g] = (float(g) - b.z) * (float(g) - b.z);
        }
        float* v = field.value;
        for (int i = 0; i < BLOB_GRID; i++) {
            const float dx = (float(i) - b.x) * (float(i) - b.x);
            for (int j = 0; j < BLOB_GRID; j++)
                for (int k = 0; k < BLOB_GRID; k++) {
                    const int d = int(dx + dy[j] + dz[k]);
                    *v++ -= falloff.table[std::min(d, FALLOFF_SIZE - 1)];
                }
        }
    }
    blob_field_classify(field);
}

void blob_field_classify(BlobField& field)
{
    for (int n = 0; n < BLOB_POINTS; n++) field.inside[n] = field.value[n] < 0.0f;

    // Crossings on every edge of the grid: the last layer of an axis has no edge along it, but
    // its edges along the other two belong to the cells just before it.
    constexpr int last = BLOB_GRID - 1;
    for (int i = 0; i <= last; i++)
        for (int j = 0; j <= last; j++)
            for (int k = 0; k <= last; k++) {
                const int n = blob_index(i, j, k);
                const float f = field.value[n];
                auto crossing = [&](int other, float* share) {
                    if (field.inside[n] != field.inside[other])
                        share[n] = f / (f - field.value[other]);
                };
                if (i < last) crossing(n + STEP_I, field.ex);
                if (j < last) crossing(n + STEP_J, field.ey);
                if (k < last) crossing(n + STEP_K, field.ez);
            }
}

void blob_polygonize(const BlobField& field, Object3D* object, int texture, BlobPolygonizeMode mode)
{
    Polygonizer* p = &polygonizer;
    p->field = &field;
    p->object = object;
    p->mode = mode;
    std::fill(std::begin(p->edge_vertex), std::end(p->edge_vertex), -1);

    object->vertex_count = 0;
    object->face_count = 0;
    int kstart = BLOB_GRID;
    for (const BlobBall& b : field.balls) kstart = std::min(kstart, int(std::floor(b.z)));
    kstart++;
    // The show cuts the rows j = 1 to 16 only.
    int jstart = 1, jend = 16;
    if (mode.every_cell) kstart = 0, jstart = 0, jend = BLOB_GRID - 2;
    for (int i = 0; i < BLOB_GRID - 1; i++)
        for (int j = jstart; j <= jend; j++)
            for (int k = kstart; k < BLOB_GRID - 1; k++) p->cell(blob_index(i, j, k), texture);
}

int64_t blob_dropped_faces()
{
    return dropped_faces;
}
