#include "content/tools/quantize.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace {

struct Colour {
    std::array<int, 3> c;
    double weight; // how many pixels have it
};

struct Box {
    size_t begin, end; // a range of the colour list
    double error;      // weighted squared distance to the box's mean
    int axis;          // channel with the widest spread
};

std::array<double, 3> box_mean(const std::vector<Colour>& colours, size_t begin, size_t end)
{
    std::array<double, 3> sum{};
    double weight = 0;
    for (size_t i = begin; i < end; i++) {
        for (int k = 0; k < 3; k++) sum[k] += colours[i].c[k] * colours[i].weight;
        weight += colours[i].weight;
    }
    for (double& s : sum) s /= weight;
    return sum;
}

Box box_make(const std::vector<Colour>& colours, size_t begin, size_t end)
{
    const std::array<double, 3> mean = box_mean(colours, begin, end);
    std::array<double, 3> spread{};
    for (size_t i = begin; i < end; i++)
        for (int k = 0; k < 3; k++) {
            const double d = colours[i].c[k] - mean[k];
            spread[k] += d * d * colours[i].weight;
        }
    const int axis = int(std::max_element(spread.begin(), spread.end()) - spread.begin());
    return {begin, end, spread[0] + spread[1] + spread[2], axis};
}

// Splits the box with the largest error at the weighted median of its widest channel, until
// there are enough boxes or nothing is left to split.
std::vector<Box> median_cut(std::vector<Colour>& colours, int wanted)
{
    std::vector<Box> boxes{box_make(colours, 0, colours.size())};
    while (int(boxes.size()) < wanted) {
        auto worst = std::max_element(boxes.begin(), boxes.end(), [](const Box& a, const Box& b) {
            return (a.end - a.begin > 1 ? a.error : -1) < (b.end - b.begin > 1 ? b.error : -1);
        });
        if (worst->end - worst->begin < 2) break;
        const Box box = *worst;
        std::sort(
            colours.begin() + long(box.begin), colours.begin() + long(box.end),
            [axis = box.axis](const Colour& a, const Colour& b) { return a.c[axis] < b.c[axis]; });
        double total = 0;
        for (size_t i = box.begin; i < box.end; i++) total += colours[i].weight;
        double below = 0;
        size_t cut = box.begin;
        while (cut < box.end - 1 && below + colours[cut].weight <= total / 2)
            below += colours[cut++].weight;
        cut = std::clamp(cut, box.begin + 1, box.end - 1);
        *worst = box_make(colours, box.begin, cut);
        boxes.push_back(box_make(colours, cut, box.end));
    }
    return boxes;
}

int nearest(const std::vector<std::array<double, 3>>& palette, const double* c)
{
    int best = 0;
    double best_d = 1e30;
    for (size_t i = 0; i < palette.size(); i++) {
        const double dr = c[0] - palette[i][0], dg = c[1] - palette[i][1],
                     db = c[2] - palette[i][2];
        // Green counts most and blue least, as the eye weighs them.
        const double d = 2 * dr * dr + 4 * dg * dg + db * db;
        if (d < best_d) {
            best_d = d;
            best = int(i);
        }
    }
    return best;
}

// Lloyd's rounds over the distinct colours: each entry moves to the mean of what it serves.
void kmeans_refine(const std::vector<Colour>& colours, std::vector<std::array<double, 3>>& palette,
                   int rounds)
{
    for (int round = 0; round < rounds; round++) {
        std::vector<std::array<double, 4>> sums(palette.size(), {0, 0, 0, 0});
        for (const Colour& col : colours) {
            const double c[3] = {double(col.c[0]), double(col.c[1]), double(col.c[2])};
            auto& s = sums[size_t(nearest(palette, c))];
            for (int k = 0; k < 3; k++) s[k] += c[k] * col.weight;
            s[3] += col.weight;
        }
        for (size_t i = 0; i < palette.size(); i++)
            if (sums[i][3] > 0)
                for (int k = 0; k < 3; k++) palette[i][k] = sums[i][k] / sums[i][3];
    }
}

std::vector<Colour> distinct_colours(const std::vector<uint8_t>& rgb)
{
    std::vector<uint32_t> packed(rgb.size() / 3);
    for (size_t i = 0; i < packed.size(); i++)
        packed[i] = uint32_t(rgb[i * 3]) << 16 | uint32_t(rgb[i * 3 + 1]) << 8 | rgb[i * 3 + 2];
    std::sort(packed.begin(), packed.end());
    std::vector<Colour> colours;
    for (size_t i = 0; i < packed.size();) {
        size_t j = i;
        while (j < packed.size() && packed[j] == packed[i]) j++;
        const uint32_t p = packed[i];
        colours.push_back({{int(p >> 16), int(p >> 8 & 255), int(p & 255)}, double(j - i)});
        i = j;
    }
    return colours;
}

// Serpentine Floyd-Steinberg: the error of each pixel goes to its unvisited neighbours.
void diffuse(const std::vector<uint8_t>& rgb, Image* img,
             const std::vector<std::array<double, 3>>& palette, double strength)
{
    const int w = int(img->width), h = int(img->height);
    std::vector<double> work(rgb.begin(), rgb.end());
    for (int y = 0; y < h; y++) {
        const bool reverse = y & 1;
        for (int i = 0; i < w; i++) {
            const int x = reverse ? w - 1 - i : i;
            const int dir = reverse ? -1 : 1;
            double* c = &work[(size_t(y) * w + x) * 3];
            for (int k = 0; k < 3; k++) c[k] = std::clamp(c[k], 0.0, 255.0);
            const int index = nearest(palette, c);
            img->pixels[size_t(y) * w + x] = uint8_t(index);
            auto spread = [&](int dx, int dy, double share) {
                const int nx = x + dx * dir, ny = y + dy;
                if (nx < 0 || nx >= w || ny >= h) return;
                double* n = &work[(size_t(ny) * w + nx) * 3];
                for (int k = 0; k < 3; k++)
                    n[k] += (c[k] - palette[size_t(index)][k]) * share * strength;
            };
            spread(1, 0, 7 / 16.0);
            spread(-1, 1, 3 / 16.0);
            spread(0, 1, 5 / 16.0);
            spread(1, 1, 1 / 16.0);
        }
    }
}

} // namespace

void quantize_image(const std::vector<uint8_t>& rgb, Image* img, uint8_t* palette,
                    const QuantizeOptions& options)
{
    std::vector<Colour> colours = distinct_colours(rgb);
    std::vector<std::array<double, 3>> entries;
    for (const Box& box : median_cut(colours, std::clamp(options.colours, 1, 256)))
        entries.push_back(box_mean(colours, box.begin, box.end));
    kmeans_refine(colours, entries, options.refine_rounds);

    // The palette is stored darkest first: tidy to look at, and black lands on entry 0.
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) {
        return 0.3 * a[0] + 0.59 * a[1] + 0.11 * a[2] < 0.3 * b[0] + 0.59 * b[1] + 0.11 * b[2];
    });
    std::memset(palette, 0, 768);
    for (size_t i = 0; i < entries.size(); i++)
        for (int k = 0; k < 3; k++) palette[i * 3 + k] = uint8_t(std::lround(entries[i][k]));
    // Map against the stored (rounded) colours so that the error diffusion sees what is shown.
    for (size_t i = 0; i < entries.size(); i++)
        for (int k = 0; k < 3; k++) entries[i][k] = palette[i * 3 + k];

    if (options.dither > 0) {
        diffuse(rgb, img, entries, options.dither);
    } else {
        for (size_t i = 0; i < size_t(img->width) * img->height; i++) {
            const double c[3] = {double(rgb[i * 3]), double(rgb[i * 3 + 1]),
                                 double(rgb[i * 3 + 2])};
            img->pixels[i] = uint8_t(nearest(entries, c));
        }
    }
}
