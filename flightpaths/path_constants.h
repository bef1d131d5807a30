// Angles of the camera paths: fractions of pi, each the single-precision value of the fraction.
#pragma once

constexpr float path_pi(double numerator, double denominator)
{
    return float(3.14159265358979323846 * numerator / denominator);
}
