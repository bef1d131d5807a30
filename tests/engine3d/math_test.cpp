// Matrices: the identities the pipeline relies on, rotation order, inversion and the camera.
#include "engine3d/math3d.h"
#include "engine3d/pipeline.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>

namespace {

constexpr float pi = std::numbers::pi_v<float>;

void expect_near(const Matrix4& a, const Matrix4& b, float eps = 1e-5f)
{
    for (int i = 0; i < 16; i++) EXPECT_NEAR(a.m[i], b.m[i], eps) << "element " << i;
}

Vec4 apply(const Matrix4& m, Vec4 p)
{
    return {m.at(0, 0) * p.x + m.at(0, 1) * p.y + m.at(0, 2) * p.z + m.at(0, 3) * p.w,
            m.at(1, 0) * p.x + m.at(1, 1) * p.y + m.at(1, 2) * p.z + m.at(1, 3) * p.w,
            m.at(2, 0) * p.x + m.at(2, 1) * p.y + m.at(2, 2) * p.z + m.at(2, 3) * p.w,
            m.at(3, 0) * p.x + m.at(3, 1) * p.y + m.at(3, 2) * p.z + m.at(3, 3) * p.w};
}

Matrix4 sample()
{
    Matrix4 m;
    for (int i = 0; i < 16; i++) m.m[i] = float((i * 7) % 11) - 4.5f;
    return m;
}

// The product may be written over either operand, as the city's pipe turn does.
TEST(Matrix, MultiplyIntoAnOperand)
{
    Matrix4 a = sample(), b, expected;
    matrix_rotate(b, 0.3f, -1.1f, 0.7f);
    b.at(0, 3) = 5.0f;
    matrix_multiply(a, b, expected);
    Matrix4 first = a, second = b;
    matrix_multiply(first, b, first);
    matrix_multiply(a, second, second);
    expect_near(first, expected, 0);
    expect_near(second, expected, 0);
}

TEST(Matrix, MultiplyByIdentity)
{
    Matrix4 id, out;
    matrix_diagonal(id, 1.0f);
    const Matrix4 s = sample();
    matrix_multiply(id, s, out);
    expect_near(out, s, 0);
    matrix_multiply(s, id, out);
    expect_near(out, s, 0);
}

TEST(Matrix, MultiplyAppliesTheFirstOperandFirst)
{
    Matrix4 t, s, ts;
    matrix_translate(t, 1, 2, 3);
    matrix_scale(s, 2, 2, 2);
    matrix_multiply(t, s, ts); // translate, then scale
    const Vec4 p = apply(ts, {1, 1, 1, 1});
    EXPECT_FLOAT_EQ(p.x, 4);
    EXPECT_FLOAT_EQ(p.y, 6);
    EXPECT_FLOAT_EQ(p.z, 8);
}

TEST(Matrix, RotateZeroIsIdentityAndPiAboutXFlipsYZ)
{
    Matrix4 r, id;
    matrix_diagonal(id, 1.0f);
    matrix_rotate(r, 0, 0, 0);
    expect_near(r, id, 0);
    matrix_rotate(r, pi, 0, 0);
    const Vec4 p = apply(r, {1, 2, 3, 1});
    EXPECT_NEAR(p.x, 1, 1e-5);
    EXPECT_NEAR(p.y, -2, 1e-5);
    EXPECT_NEAR(p.z, -3, 1e-5);
}

TEST(Matrix, RotateIsZThenXThenY)
{
    Matrix4 rx, ry, rz, a, b, r;
    const float ax = 0.3f, ay = -1.1f, az = 2.0f;
    matrix_rotate_x(rx, ax);
    matrix_rotate_y(ry, ay);
    matrix_rotate_z(rz, az);
    matrix_multiply(rz, rx, a);
    matrix_multiply(a, ry, b);
    matrix_rotate(r, ax, ay, az);
    expect_near(r, b);
}

TEST(Matrix, SingleAxisRotations)
{
    Matrix4 r;
    matrix_rotate_z(r, pi / 2);
    Vec4 p = apply(r, {1, 0, 0, 1});
    EXPECT_NEAR(p.y, 1, 1e-6);
    matrix_rotate_y(r, pi / 2);
    p = apply(r, {0, 0, 1, 1});
    EXPECT_NEAR(p.x, 1, 1e-6);
    matrix_rotate_x(r, pi / 2);
    p = apply(r, {0, 1, 0, 1});
    EXPECT_NEAR(p.z, 1, 1e-6);
}

TEST(Matrix, InvertUndoesScaleAndTranslation)
{
    Matrix4 t, s, c, inv, prod, id;
    matrix_translate(t, 10, -20, 300);
    matrix_scale(s, 0.5f, 4, 2);
    matrix_multiply(t, s, c);
    matrix_invert(c, inv);
    matrix_multiply(c, inv, prod);
    matrix_diagonal(id, 1.0f);
    expect_near(prod, id);
}

TEST(Matrix, InvertGeneral)
{
    Matrix4 m = sample(), inv, prod, id;
    m.m[0] += 10, m.m[5] += 10, m.m[10] += 10, m.m[15] += 10; // well conditioned
    matrix_invert(m, inv);
    matrix_multiply(inv, m, prod);
    matrix_diagonal(id, 1.0f);
    expect_near(prod, id, 1e-5f);
}

TEST(Camera, ScaleDividesTheWorldBeforeThePositionIsSubtracted)
{
    Matrix4 view, rot;
    camera_build_view(10, 20, 30, 2, 2, 2, 0, 0, 0, view, rot);
    // The camera stands at (20, 40, 60) in world units.
    const Vec4 p = apply(view, {20, 40, 160, 1});
    EXPECT_NEAR(p.x, 0, 1e-4);
    EXPECT_NEAR(p.y, 0, 1e-4);
    EXPECT_NEAR(p.z, 50, 1e-4);
}

TEST(Camera, RotationComesAfterTheTranslation)
{
    Matrix4 view, rot;
    camera_build_view(0, 0, -100, 1, 1, 1, 0, pi / 2, 0, view, rot);
    const Vec4 p = apply(view, {0, 0, 0, 1}); // 100 ahead, turned a quarter about y
    EXPECT_NEAR(p.x, 100, 1e-3);
    EXPECT_NEAR(p.z, 0, 1e-3);
}

} // namespace
