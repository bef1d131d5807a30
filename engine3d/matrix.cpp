#include "engine3d/math3d.h"

#include <cmath>

void matrix_diagonal(Matrix4& m, float d)
{
    for (int i = 0; i < 16; i++) m.m[i] = (i % 5 == 0) ? d : 0.0f;
}

void matrix_multiply(const Matrix4& a, const Matrix4& b, Matrix4& out)
{
    Matrix4 product; // out may be a or b: nothing is written until all is read
    for (int i = 0; i < 4; i++)
        for (int j = 0; j < 4; j++) {
            float sum = 0.0f;
            for (int k = 0; k < 4; k++) sum += b.at(i, k) * a.at(k, j);
            product.at(i, j) = sum;
        }
    out = product;
}

// Rotation in the plane of axes p and q: (p, q) -> (c p - s q, s p + c q).
static void matrix_rotate_plane(Matrix4& m, int p, int q, float angle)
{
    const float c = std::cos(angle), s = std::sin(angle);
    matrix_diagonal(m, 1.0f);
    m.at(p, p) = c, m.at(p, q) = -s;
    m.at(q, p) = s, m.at(q, q) = c;
}

void matrix_rotate_x(Matrix4& m, float angle)
{
    matrix_rotate_plane(m, 1, 2, angle);
}
void matrix_rotate_y(Matrix4& m, float angle)
{
    matrix_rotate_plane(m, 2, 0, angle);
}
void matrix_rotate_z(Matrix4& m, float angle)
{
    matrix_rotate_plane(m, 0, 1, angle);
}

void matrix_rotate(Matrix4& m, float ax, float ay, float az)
{
    const float cx = std::cos(ax), sx = std::sin(ax);
    const float cy = std::cos(ay), sy = std::sin(ay);
    const float cz = std::cos(az), sz = std::sin(az);
    // clang-format off
    const float r[16] = {
        cy * cz + sz * sy * sx,  -sz * cy + sx * sy * cz, sy * cx, 0.0f,
        sz * cx,                 cz * cx,                 -sx,     0.0f,
        -sy * cz + sz * cy * sx, sy * sz + cy * cz * sx,  cy * cx, 0.0f,
        0.0f,                    0.0f,                    0.0f,    1.0f};
    // clang-format on
    for (int i = 0; i < 16; i++) m.m[i] = r[i];
}

void matrix_translate(Matrix4& m, float tx, float ty, float tz)
{
    matrix_diagonal(m, 1.0f);
    m.m[3] = tx, m.m[7] = ty, m.m[11] = tz;
}

void matrix_scale(Matrix4& m, float sx, float sy, float sz)
{
    matrix_diagonal(m, 1.0f);
    m.m[0] = sx, m.m[5] = sy, m.m[10] = sz;
}

// Cofactors from the 2x2 determinants of the upper and lower row pairs, one reciprocal of
// the determinant, then 16 multiplications.
void matrix_invert(const Matrix4& src, Matrix4& dst)
{
    const float* a = src.m;
    const double s0 = double(a[0]) * a[5] - double(a[4]) * a[1];
    const double s1 = double(a[0]) * a[6] - double(a[4]) * a[2];
    const double s2 = double(a[0]) * a[7] - double(a[4]) * a[3];
    const double s3 = double(a[1]) * a[6] - double(a[5]) * a[2];
    const double s4 = double(a[1]) * a[7] - double(a[5]) * a[3];
    const double s5 = double(a[2]) * a[7] - double(a[6]) * a[3];
    const double c5 = double(a[10]) * a[15] - double(a[14]) * a[11];
    const double c4 = double(a[9]) * a[15] - double(a[13]) * a[11];
    const double c3 = double(a[9]) * a[14] - double(a[13]) * a[10];
    const double c2 = double(a[8]) * a[15] - double(a[12]) * a[11];
    const double c1 = double(a[8]) * a[14] - double(a[12]) * a[10];
    const double c0 = double(a[8]) * a[13] - double(a[12]) * a[9];
    const double det = s0 * c5 - s1 * c4 + s2 * c3 + s3 * c2 - s4 * c1 + s5 * c0;
    const double r = 1.0 / det;
    const double adj[16] = {
        a[5] * c5 - a[6] * c4 + a[7] * c3,     -a[1] * c5 + a[2] * c4 - a[3] * c3,
        a[13] * s5 - a[14] * s4 + a[15] * s3,  -a[9] * s5 + a[10] * s4 - a[11] * s3,
        -a[4] * c5 + a[6] * c2 - a[7] * c1,    a[0] * c5 - a[2] * c2 + a[3] * c1,
        -a[12] * s5 + a[14] * s2 - a[15] * s1, a[8] * s5 - a[10] * s2 + a[11] * s1,
        a[4] * c4 - a[5] * c2 + a[7] * c0,     -a[0] * c4 + a[1] * c2 - a[3] * c0,
        a[12] * s4 - a[13] * s2 + a[15] * s0,  -a[8] * s4 + a[9] * s2 - a[11] * s0,
        -a[4] * c3 + a[5] * c1 - a[6] * c0,    a[0] * c3 - a[1] * c1 + a[2] * c0,
        -a[12] * s3 + a[13] * s1 - a[14] * s0, a[8] * s3 - a[9] * s1 + a[10] * s0};
    for (int i = 0; i < 16; i++) dst.m[i] = float(adj[i] * r);
}
