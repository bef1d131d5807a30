// The metaballs: three balls bouncing in a 20x20x20 grid, their summed field sampled at every
// grid point, and the surface where the field crosses zero cut into triangles by marching
// cubes.
#pragma once

#include "engine3d/object.h"

#include <cstdint>

constexpr int BLOB_GRID = 20;
constexpr int BLOB_POINTS = BLOB_GRID * BLOB_GRID * BLOB_GRID;
constexpr int BLOB_BALLS = 3;
constexpr int32_t BLOB_MAX_VERTICES = 24000;
constexpr int32_t BLOB_MAX_FACES = 8000;

// Flat index of grid point (i, j, k); its position is (i - 10, j - 10, k - 10).
constexpr int blob_index(int i, int j, int k)
{
    return BLOB_GRID * BLOB_GRID * i + BLOB_GRID * j + k;
}

struct BlobBall {
    float x, y, z;    // grid units
    float vx, vy, vz; // per frame
};

struct BlobField {
    BlobBall balls[BLOB_BALLS];
    float value[BLOB_POINTS]; // below 0 inside the blob
    uint8_t inside[BLOB_POINTS];
    // Where the zero crossing lies on the edges from a point to its neighbours along x, y
    // and z, as a share of the edge; kept from earlier frames where there is no crossing now.
    float ex[BLOB_POINTS], ey[BLOB_POINTS], ez[BLOB_POINTS];
};

// The balls at their starting places and speeds.
void blob_field_start(BlobField& field);
// One frame: every ball moves and bounces off its box.
void blob_field_move(BlobField& field);
// The field of the balls, then blob_field_classify.
void blob_field_sample(BlobField& field);
// From the field values: the inside flags (below 0, so exactly 0 is outside) and the crossings
// of the edges whose ends differ.
void blob_field_classify(BlobField& field);

struct BlobPolygonizeMode {
    // Find shared vertices by scanning all vertices made so far: the slow way, which the fast
    // edge lookup must agree with.
    bool linear_search = false;
    // Cut every cell of the grid. The show cuts only the cells from the layer after the
    // lowest ball on and only those with an inside corner at their near side: what faces
    // away from the camera is never made.
    bool every_cell = false;
};

// Rebuilds the object's vertices and faces (texture index texture) from the inside flags and
// crossings. A vertex shared by neighbouring cells is stored once. Triangles that no longer
// fit the object's capacity (BLOB_MAX_VERTICES, BLOB_MAX_FACES) are dropped and counted.
void blob_polygonize(const BlobField& field, Object3D* object, int texture,
                     BlobPolygonizeMode mode = {});
int64_t blob_dropped_faces();
