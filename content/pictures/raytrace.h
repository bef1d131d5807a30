// A small Whitted-style ray tracer for the rendered pictures: spheres, capped vertical
// cylinders and one floor plane; point lights with soft shadows; mirror, metal and glass.
#pragma once

#include "content/tools/rgb.h"
#include "content/tools/vec3.h"

#include <vector>

enum class Pattern : int {
    plain,
    checker, // squares on the floor, colour and colour2
    coin,    // milled edge and raised rim on a cylinder
    cloth,   // fine weave on the floor
};

struct Material {
    Vec3 colour{0.8, 0.8, 0.8};
    Vec3 colour2{0.1, 0.1, 0.1}; // second colour of a pattern
    double diffuse = 0.8;
    double specular = 0.3;
    double shininess = 40;
    double reflect = 0; // mirror share, tinted by the colour when metal
    bool metal = false;
    double transmit = 0; // glass share; reflection then follows Fresnel
    double ior = 1.5;
    Pattern pattern = Pattern::plain;
    double pattern_scale = 1;
};

struct Sphere {
    Vec3 centre;
    double radius;
    int material;
};

// Axis along y from base.y to base.y + height, closed at both ends.
struct Cylinder {
    Vec3 base;
    double radius, height;
    int material;
};

// Cylinders are tested only when a ray meets their group's bounding sphere.
struct CylinderGroup {
    Vec3 centre;
    double radius;
    int first, count;
};

struct Light {
    Vec3 position;
    Vec3 colour;
    double size = 0; // radius of the soft-shadow disc
};

struct Scene {
    std::vector<Material> materials;
    std::vector<Sphere> spheres;
    std::vector<Cylinder> cylinders;
    std::vector<CylinderGroup> groups;
    std::vector<Light> lights;
    bool floor = false;
    double floor_y = 0;
    int floor_material = 0;
    Vec3 ambient{0.05, 0.05, 0.05};
    double fog = 0; // density of the haze towards the sky colour at the horizon
    Vec3 (*sky)(Vec3 direction) = nullptr;
    int max_depth = 5;
};

struct Camera {
    Vec3 eye, target;
    double fov_degrees = 60; // horizontal
};

// Renders with samples x samples rays per pixel on a jittered grid (fixed seed).
void raytrace_render(const Scene& scene, const Camera& camera, RgbImage& out, int samples);
