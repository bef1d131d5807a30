#include "content/pictures/penguin.h"

#include <cmath>

namespace {

struct Shape {
    double cx, cy, rx, ry, angle; // centre, radii and tilt in picture pixels
    Vec3 colour;
    double specular, shininess;
};

// Back to front. The penguin stands at x = 160 with its feet on y = 222.
const Vec3 BLACK{0.02, 0.025, 0.045};
const Vec3 WHITE{0.85, 0.87, 0.9};
const Vec3 ORANGE{1.0, 0.42, 0.04};
const Vec3 RED{0.75, 0.04, 0.06};
const Shape PENGUIN[] = {
    {146, 221, 14, 5, 0.1, ORANGE, 0.3, 20},                                           // feet
    {175, 221, 14, 5, -0.1, ORANGE, 0.3, 20}, {126, 178, 9, 31, 0.45, BLACK, 0.6, 30}, // flippers
    {194, 178, 9, 31, -0.45, BLACK, 0.6, 30}, {160, 177, 36, 46, 0, BLACK, 0.7, 30},   // body
    {160, 186, 27, 36, 0, WHITE, 0.25, 15},                                            // belly
    {160, 125, 26, 25, 0, BLACK, 0.7, 30},                                             // head
    {151, 122, 10, 13, 0.1, WHITE, 0.2, 15},                                           // face mask
    {169, 122, 10, 13, -0.1, WHITE, 0.2, 15}, {160, 131, 14, 9, 0, WHITE, 0.2, 15},
    {153, 123, 4, 5.5, 0, BLACK, 1.0, 60},                                           // eyes
    {167, 123, 4, 5.5, 0, BLACK, 1.0, 60},    {177, 166, 6, 16, -0.2, RED, 0.1, 8},  // scarf
    {160, 150, 29, 8, 0, RED, 0.1, 8},        {160, 135, 12, 5, 0, ORANGE, 0.6, 40}, // beak
};

const Vec3 KEY_LIGHT = normalize(Vec3{-0.5, -0.7, 0.65}); // from the upper left, in front

Vec3 penguin_shade(const Shape& s, Vec3 n, Vec3 rim)
{
    const double diffuse = std::max(0.0, dot(n, KEY_LIGHT));
    const Vec3 half = normalize(KEY_LIGHT + Vec3{0, 0, 1});
    const double highlight = std::pow(std::max(0.0, dot(n, half)), s.shininess) * s.specular;
    // The aurora behind catches the upper outline.
    const double edge = std::pow(1 - n.z, 4) * std::max(0.0, -n.y) * 0.6;
    return s.colour * (0.12 + 0.95 * diffuse) + Vec3{0.9, 0.95, 1.0} * highlight + rim * edge;
}

} // namespace

bool penguin_sample(double x, double y, Vec3 rim, Vec3* colour)
{
    bool hit = false;
    for (const Shape& s : PENGUIN) {
        const double c = std::cos(s.angle), sn = std::sin(s.angle);
        const double dx = x - s.cx, dy = y - s.cy;
        const double u = (c * dx + sn * dy) / s.rx, v = (-sn * dx + c * dy) / s.ry;
        const double r2 = u * u + v * v;
        if (r2 >= 1) continue;
        // The shape as a half ellipsoid: its normal, turned back by the tilt.
        const Vec3 local = normalize(Vec3{u, v, std::sqrt(1 - r2) * 0.9});
        const Vec3 n{c * local.x - sn * local.y, sn * local.x + c * local.y, local.z};
        *colour = penguin_shade(s, n, rim);
        hit = true;
    }
    // Catch-lights in the eyes.
    for (double ex : {154.6, 168.6}) {
        const double dx = x - ex, dy = y - 121.0;
        if (dx * dx + dy * dy < 2.2) {
            *colour = {1.2, 1.2, 1.2};
            hit = true;
        }
    }
    return hit;
}
