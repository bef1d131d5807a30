// The money picture: towers of gold coins with milled edges on dark velvet, lit from a studio
// softbox, with star-shaped glints on the brightest highlights.
#include "content/pictures/pictures.h"
#include "content/pictures/raytrace.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double COIN_RADIUS = 0.8;
constexpr double COIN_THICKNESS = 0.13;

struct Stack {
    double x, z;
    int coins;
};

constexpr Stack STACKS[] = {
    {-2.3, 7.2, 12}, {-0.7, 6.0, 21}, {1.1, 7.6, 29}, {2.6, 6.0, 9},
    {0.3, 4.2, 4},   {-1.9, 4.4, 1},  {2.2, 3.8, 1},  {-3.2, 5.4, 6},
};

Vec3 money_sky(Vec3 d)
{
    Vec3 sky = mix(Vec3{0.01, 0.008, 0.006}, Vec3{0.06, 0.045, 0.035}, smoothstep(-0.2, 0.8, d.y));
    // Two softboxes for the gold to mirror: a big one above left, a thin strip behind right.
    if (d.y > 0.45 && d.x > -0.7 && d.x < -0.05 && d.z > -0.2) sky = {3.0, 2.6, 2.1};
    if (d.y > 0.15 && d.y < 0.6 && d.x > 0.55 && d.x < 0.7) sky = {1.2, 1.1, 1.0};
    return sky;
}

void money_add_stack(Scene& scene, const Stack& stack, uint32_t& seed)
{
    auto jitter = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return ((seed >> 8) / 16777216.0 - 0.5) * 0.09;
    };
    const int first = int(scene.cylinders.size());
    for (int i = 0; i < stack.coins; i++)
        scene.cylinders.push_back({{stack.x + jitter(), i * COIN_THICKNESS, stack.z + jitter()},
                                   COIN_RADIUS,
                                   COIN_THICKNESS * 0.97,
                                   1});
    const double height = stack.coins * COIN_THICKNESS;
    scene.groups.push_back(
        {{stack.x, height / 2, stack.z},
         std::sqrt(height * height / 4 + 1.2 * COIN_RADIUS * 1.2 * COIN_RADIUS) + 0.1,
         first,
         stack.coins});
}

// Four-pointed stars on the brightest spots, as the eye sees the glint of gold.
void money_glints(RgbImage& img)
{
    struct Spot {
        int x, y;
        double brightness;
    };
    std::vector<Spot> spots;
    for (int y = 2; y < img.height - 2; y++)
        for (int x = 2; x < img.width - 2; x++) {
            const Vec3 c = img.at(x, y);
            const double b = 0.3 * c.x + 0.6 * c.y + 0.1 * c.z;
            if (b > 1.4) spots.push_back({x, y, b});
        }
    std::sort(spots.begin(), spots.end(),
              [](const Spot& a, const Spot& b) { return a.brightness > b.brightness; });
    std::vector<Spot> chosen;
    for (const Spot& s : spots) {
        if (chosen.size() == 7) break;
        const bool near = std::any_of(chosen.begin(), chosen.end(), [&](const Spot& c) {
            return std::abs(c.x - s.x) + std::abs(c.y - s.y) < 40;
        });
        if (!near) chosen.push_back(s);
    }
    for (size_t i = 0; i < chosen.size(); i++) {
        const Spot& s = chosen[i];
        const int arm = 18 - 2 * int(i);
        for (int k = -arm; k <= arm; k++) {
            const double fall = std::pow(1 - std::abs(k) / double(arm + 1), 2.5);
            const Vec3 light = Vec3{1.0, 0.9, 0.7} * (1.6 * fall);
            const Vec3 small = light * 0.45;
            auto add = [&img](int x, int y, Vec3 v) {
                if (x >= 0 && x < img.width && y >= 0 && y < img.height) img.at(x, y) += v;
            };
            add(s.x + k, s.y, light);
            add(s.x, s.y + k, light);
            if (std::abs(k) < arm / 2) {
                add(s.x + k, s.y + k, small);
                add(s.x + k, s.y - k, small);
            }
        }
    }
}

} // namespace

RgbImage picture_render_money()
{
    Scene scene;
    const Material velvet{.colour = {0.3, 0.025, 0.05},
                          .colour2 = {0.12, 0.01, 0.025},
                          .specular = 0.05,
                          .shininess = 8,
                          .pattern = Pattern::cloth,
                          .pattern_scale = 40};
    const Material gold{.colour = {1.0, 0.63, 0.2},
                        .diffuse = 0.25,
                        .specular = 1.2,
                        .shininess = 70,
                        .reflect = 0.7,
                        .metal = true,
                        .pattern = Pattern::coin};
    scene.materials = {velvet, gold};
    scene.floor = true;
    scene.floor_material = 0;
    uint32_t seed = 6;
    for (const Stack& stack : STACKS) money_add_stack(scene, stack, seed);
    scene.lights = {{{-6, 10, 1}, {1.5, 1.3, 1.05}, 1.2}, {{8, 4, 2}, {0.3, 0.28, 0.38}, 1.0}};
    scene.ambient = {0.1, 0.08, 0.07};
    scene.fog = 0.02;
    scene.sky = money_sky;
    scene.max_depth = 4;

    RgbImage img(PICTURE_WIDTH, PICTURE_HEIGHT);
    raytrace_render(scene, {{0.2, 3.6, -0.8}, {0.2, 1.6, 6.2}, 56}, img, 3);
    money_glints(img);
    // Darker corners hold the eye on the gold.
    for (int y = 0; y < img.height; y++)
        for (int x = 0; x < img.width; x++) {
            const double dx = (x - img.width / 2.0) / img.width,
                         dy = (y - img.height / 2.0) / img.height;
            img.at(x, y) = img.at(x, y) * (1 - 1.3 * (dx * dx + dy * dy));
        }
    return img;
}
