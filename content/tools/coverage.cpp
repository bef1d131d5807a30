#include "content/tools/coverage.h"

#include <algorithm>

Coverage coverage_dilate(const Coverage& in, int radius)
{
    Coverage out(in.width, in.height);
    for (int y = 0; y < in.height; y++)
        for (int x = 0; x < in.width; x++) {
            uint8_t best = 0;
            for (int dy = -radius; dy <= radius; dy++) {
                const int sy = y + dy;
                if (sy < 0 || sy >= in.height) continue;
                for (int dx = -radius; dx <= radius; dx++) {
                    const int sx = x + dx;
                    if (sx < 0 || sx >= in.width || dx * dx + dy * dy > radius * radius) continue;
                    best = std::max(best, in.at(sx, sy));
                }
            }
            out.alpha[size_t(y) * in.width + x] = best;
        }
    return out;
}

static void coverage_box_pass(const std::vector<int>& in, std::vector<int>& out, int w, int h,
                              int radius, bool vertical)
{
    const int lines = vertical ? w : h, length = vertical ? h : w;
    for (int line = 0; line < lines; line++) {
        auto at = [&](int i) -> size_t {
            return vertical ? size_t(i) * w + line : size_t(line) * w + i;
        };
        for (int i = 0; i < length; i++) {
            int sum = 0;
            for (int k = -radius; k <= radius; k++) sum += in[at(std::clamp(i + k, 0, length - 1))];
            out[at(i)] = sum / (2 * radius + 1);
        }
    }
}

Coverage coverage_blur(const Coverage& in, int radius)
{
    std::vector<int> a(in.alpha.begin(), in.alpha.end()), b(a.size());
    for (int pass = 0; pass < 2; pass++) {
        coverage_box_pass(a, b, in.width, in.height, radius, false);
        coverage_box_pass(b, a, in.width, in.height, radius, true);
    }
    Coverage out(in.width, in.height);
    std::copy(a.begin(), a.end(), out.alpha.begin());
    return out;
}
