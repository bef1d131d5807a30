// Small 3-vector for the picture generator: points, directions and linear RGB colours.
#pragma once

#include <algorithm>
#include <cmath>

struct Vec3 {
    double x = 0, y = 0, z = 0;
};

constexpr Vec3 operator+(Vec3 a, Vec3 b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
constexpr Vec3 operator-(Vec3 a, Vec3 b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
constexpr Vec3 operator-(Vec3 a)
{
    return {-a.x, -a.y, -a.z};
}
constexpr Vec3 operator*(Vec3 a, double s)
{
    return {a.x * s, a.y * s, a.z * s};
}
constexpr Vec3 operator*(double s, Vec3 a)
{
    return a * s;
}
// Component-wise: a colour filtered by another.
constexpr Vec3 operator*(Vec3 a, Vec3 b)
{
    return {a.x * b.x, a.y * b.y, a.z * b.z};
}
constexpr Vec3& operator+=(Vec3& a, Vec3 b)
{
    return a = a + b;
}
constexpr double dot(Vec3 a, Vec3 b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
constexpr Vec3 cross(Vec3 a, Vec3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double length(Vec3 a)
{
    return std::sqrt(dot(a, a));
}
inline Vec3 normalize(Vec3 a)
{
    return a * (1.0 / length(a));
}
constexpr Vec3 mix(Vec3 a, Vec3 b, double t)
{
    return a * (1 - t) + b * t;
}
constexpr double clamp01(double v)
{
    return std::clamp(v, 0.0, 1.0);
}
constexpr double smoothstep(double e0, double e1, double x)
{
    const double t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}
