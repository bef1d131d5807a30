// The dream picture: a mirror, a glass and a glossy sphere on a checkerboard that runs to the
// horizon, under a sunset with a striped sun.
#include "content/pictures/pictures.h"
#include "content/pictures/raytrace.h"

#include <cmath>

namespace {

const Vec3 SUN_DIRECTION = normalize(Vec3{-0.35, 0.09, 1});

Vec3 dream_sky(Vec3 d)
{
    const double h = std::max(d.y, -0.2);
    // Warm at the horizon, through rose and violet to a deep blue overhead.
    const Vec3 horizon{1.4, 0.5, 0.15}, rose{0.7, 0.15, 0.3}, violet{0.16, 0.04, 0.24},
        night{0.01, 0.01, 0.07};
    Vec3 sky = h < 0.06   ? mix(horizon, rose, smoothstep(0, 0.06, h))
               : h < 0.18 ? mix(rose, violet, smoothstep(0.06, 0.18, h))
                          : mix(violet, night, smoothstep(0.16, 0.4, h));
    // The sun: a disc with horizontal gaps in its lower half, and a wide warm glow.
    const double c = dot(d, SUN_DIRECTION);
    const double angle = std::acos(std::clamp(c, -1.0, 1.0));
    const double v = d.y - SUN_DIRECTION.y; // height within the disc
    const double stripe = -v / 0.016;
    const bool gap = v < -0.01 && stripe - std::floor(stripe) < 0.1 + 5 * -v;
    if (angle < 0.1 && !gap)
        sky = mix(Vec3{2.2, 1.4, 0.3}, Vec3{2.0, 0.35, 0.2}, smoothstep(0.08, -0.1, v));
    sky += Vec3{1.0, 0.35, 0.1} * (0.5 * std::exp(-angle * 5));
    return sky;
}

} // namespace

RgbImage picture_render_dream()
{
    Scene scene;
    const Material board{.colour = {0.75, 0.7, 0.66},
                         .colour2 = {0.03, 0.01, 0.07},
                         .specular = 0.2,
                         .reflect = 0.15,
                         .pattern = Pattern::checker,
                         .pattern_scale = 1.0};
    const Material chrome{.colour = {0.9, 0.92, 0.95},
                          .diffuse = 0.05,
                          .specular = 0.9,
                          .shininess = 120,
                          .reflect = 0.92,
                          .metal = true};
    const Material glass{.colour = {0.9, 1.0, 0.95},
                         .diffuse = 0.02,
                         .specular = 1.0,
                         .shininess = 200,
                         .transmit = 0.95,
                         .ior = 1.5};
    const Material gloss{
        .colour = {0.02, 0.2, 0.8}, .specular = 0.8, .shininess = 80, .reflect = 0.12};
    scene.materials = {board, chrome, glass, gloss};
    scene.floor = true;
    scene.floor_y = 0;
    scene.floor_material = 0;
    scene.spheres = {
        {{0.2, 1.6, 7.5}, 1.6, 1},    {{-2.4, 1.0, 5.2}, 1.0, 2}, {{2.5, 0.8, 4.6}, 0.8, 3},
        {{-0.9, 0.45, 3.6}, 0.45, 1}, {{4.5, 1.2, 11}, 1.2, 2},
    };
    scene.lights = {{{-14, 4, 40}, {1.05, 0.6, 0.38}, 0.8}, {{6, 12, -4}, {0.2, 0.18, 0.4}, 1.5}};
    scene.ambient = {0.08, 0.05, 0.12};
    scene.fog = 0.016;
    scene.sky = dream_sky;
    scene.max_depth = 6;

    RgbImage img(PICTURE_WIDTH, PICTURE_HEIGHT);
    raytrace_render(scene, {{0, 1.7, -1.5}, {0, 1.1, 6}, 62}, img, 3);
    return img;
}
