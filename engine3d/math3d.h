// Single-precision 3D math: four-component vectors and row-major 4x4 matrices acting on
// column vectors (a matrix M maps p to M p; applying A first and then B is B A).
#pragma once

struct Vec4 {
    float x, y, z, w;
};

struct Matrix4 {
    float m[16]; // element (row r, column c) is m[4 r + c]
    float& at(int r, int c) { return m[4 * r + c]; }
    float at(int r, int c) const { return m[4 * r + c]; }
};

static_assert(sizeof(Vec4) == 16 && sizeof(Matrix4) == 64);

void matrix_diagonal(Matrix4& m, float d);
// out = b a: a applied first, then b. out may be one of the operands.
void matrix_multiply(const Matrix4& a, const Matrix4& b, Matrix4& out);
void matrix_rotate_x(Matrix4& m, float angle);
void matrix_rotate_y(Matrix4& m, float angle);
void matrix_rotate_z(Matrix4& m, float angle);
// Ry(ay) Rx(ax) Rz(az): about z first, then x, then y. Angles in radians.
void matrix_rotate(Matrix4& m, float ax, float ay, float az);
void matrix_translate(Matrix4& m, float tx, float ty, float tz);
void matrix_scale(Matrix4& m, float sx, float sy, float sz);
// dst = inverse of src (general 4x4 by cofactors); dst must be another matrix. A singular src
// gives non-finite elements: callers invert scale-and-translate products only.
void matrix_invert(const Matrix4& src, Matrix4& dst);
