#include "content/tools/noise.h"

#include <cmath>

uint32_t noise_hash(int x, int y, uint32_t seed)
{
    uint32_t h = uint32_t(x) * 374761393u + uint32_t(y) * 668265263u + seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

double noise_hash_unit(int x, int y, uint32_t seed)
{
    return (noise_hash(x, y, seed) >> 8) * (1.0 / 16777216.0);
}

double noise_value(double u, double v, int period, uint32_t seed)
{
    const double x = u * period, y = v * period;
    const int x0 = int(std::floor(x)), y0 = int(std::floor(y));
    const double fx = x - x0, fy = y - y0;
    auto at = [&](int i, int j) {
        return noise_hash(((i % period) + period) % period, ((j % period) + period) % period,
                          seed) *
               (1.0 / 4294967296.0);
    };
    const double sx = fx * fx * (3 - 2 * fx), sy = fy * fy * (3 - 2 * fy);
    const double a = at(x0, y0) + (at(x0 + 1, y0) - at(x0, y0)) * sx;
    const double b = at(x0, y0 + 1) + (at(x0 + 1, y0 + 1) - at(x0, y0 + 1)) * sx;
    return a + (b - a) * sy;
}

double noise_fbm(double u, double v, int period, int octaves, uint32_t seed)
{
    double sum = 0.0, weight = 0.5, total = 0.0;
    for (int o = 0; o < octaves; o++) {
        sum += weight * noise_value(u, v, period << o, seed + uint32_t(o) * 101u);
        total += weight;
        weight *= 0.5;
    }
    return sum / total;
}
