#include "content/pictures/raytrace.h"

#include "content/tools/random.h"

#include <cmath>
#include <cstdint>

namespace {

constexpr double EPSILON = 1e-4;
constexpr double NO_HIT = 1e30;

struct Ray {
    Vec3 origin, dir;
};

struct Hit {
    double t = NO_HIT;
    Vec3 normal;
    int material = -1;
    // Where on a cylinder: the centre of its axis at the hit height, and whether on a cap.
    Vec3 axis_point;
    double radius = 0;
    bool cap = false;
};

void hit_sphere(const Sphere& s, const Ray& r, Hit& hit)
{
    const Vec3 oc = r.origin - s.centre;
    const double b = dot(oc, r.dir);
    const double c = dot(oc, oc) - s.radius * s.radius;
    const double disc = b * b - c;
    if (disc < 0) return;
    const double root = std::sqrt(disc);
    double t = -b - root;
    if (t < EPSILON) t = -b + root;
    if (t < EPSILON || t >= hit.t) return;
    hit.t = t;
    hit.normal = (r.origin + r.dir * t - s.centre) * (1 / s.radius);
    hit.material = s.material;
    hit.cap = false;
}

bool meets_sphere(Vec3 centre, double radius, const Ray& r)
{
    const Vec3 oc = r.origin - centre;
    const double b = dot(oc, r.dir);
    const double c = dot(oc, oc) - radius * radius;
    return c < 0 || (b < 0 && b * b - c >= 0);
}

void hit_cylinder(const Cylinder& cy, const Ray& r, Hit& hit)
{
    const double ox = r.origin.x - cy.base.x, oz = r.origin.z - cy.base.z;
    const double top = cy.base.y + cy.height;
    const double a = r.dir.x * r.dir.x + r.dir.z * r.dir.z;
    auto take = [&](double t, Vec3 normal, bool cap) {
        hit.t = t;
        hit.normal = normal;
        hit.material = cy.material;
        hit.cap = cap;
        hit.radius = cy.radius;
        hit.axis_point = {cy.base.x, r.origin.y + r.dir.y * t, cy.base.z};
    };
    if (a > 1e-12) {
        const double b = ox * r.dir.x + oz * r.dir.z;
        const double c = ox * ox + oz * oz - cy.radius * cy.radius;
        const double disc = b * b - a * c;
        if (disc >= 0) {
            const double root = std::sqrt(disc);
            for (double t : {(-b - root) / a, (-b + root) / a}) {
                const double y = r.origin.y + r.dir.y * t;
                if (t > EPSILON && t < hit.t && y >= cy.base.y && y <= top) {
                    take(t, Vec3{ox + r.dir.x * t, 0, oz + r.dir.z * t} * (1 / cy.radius), false);
                    break;
                }
            }
        }
    }
    if (std::fabs(r.dir.y) > 1e-12) {
        for (double y : {cy.base.y, top}) {
            const double t = (y - r.origin.y) / r.dir.y;
            const double px = ox + r.dir.x * t, pz = oz + r.dir.z * t;
            if (t > EPSILON && t < hit.t && px * px + pz * pz <= cy.radius * cy.radius)
                take(t, Vec3{0, y == top ? 1.0 : -1.0, 0}, true);
        }
    }
}

Hit intersect(const Scene& scene, const Ray& r)
{
    Hit hit;
    for (const Sphere& s : scene.spheres) hit_sphere(s, r, hit);
    for (const CylinderGroup& g : scene.groups)
        if (meets_sphere(g.centre, g.radius, r))
            for (int i = g.first; i < g.first + g.count; i++)
                hit_cylinder(scene.cylinders[size_t(i)], r, hit);
    if (scene.floor && std::fabs(r.dir.y) > 1e-12) {
        const double t = (scene.floor_y - r.origin.y) / r.dir.y;
        if (t > EPSILON && t < hit.t) {
            hit.t = t;
            hit.normal = {0, 1, 0};
            hit.material = scene.floor_material;
            hit.cap = false;
        }
    }
    return hit;
}

// How much light passes from p towards the light; glass lets some through.
double shadow(const Scene& scene, Vec3 p, Vec3 to_light, double distance)
{
    double pass = 1;
    Ray r{p, to_light};
    for (int i = 0; i < 4 && pass > 0.01; i++) {
        const Hit h = intersect(scene, r);
        if (h.t >= distance) break;
        pass *= scene.materials[size_t(h.material)].transmit * 0.8;
        r.origin = r.origin + r.dir * (h.t + EPSILON);
        distance -= h.t;
    }
    return pass;
}

// The surface's colour and bumped normal under its pattern.
Vec3 surface(const Material& m, const Hit& hit, Vec3 p, Vec3& normal)
{
    switch (m.pattern) {
    case Pattern::checker: {
        const long cx = long(std::floor(p.x / m.pattern_scale));
        const long cz = long(std::floor(p.z / m.pattern_scale));
        return (cx + cz) & 1 ? m.colour2 : m.colour;
    }
    case Pattern::cloth: {
        const double weave =
            0.5 + 0.25 * (std::sin(p.x * m.pattern_scale) + std::sin(p.z * m.pattern_scale));
        return mix(m.colour2, m.colour, weave);
    }
    case Pattern::coin: {
        const Vec3 radial = p - hit.axis_point;
        const double rho = length(radial) / hit.radius;
        if (!hit.cap) {
            // Milled edge: the normal swings round the axis with the ridges.
            const double angle = std::atan2(radial.z, radial.x);
            const Vec3 tangent{-std::sin(angle), 0, std::cos(angle)};
            normal = normalize(normal + tangent * (0.45 * std::sin(angle * 90)));
        } else if (rho > 0.01) {
            // Raised rim and an inner ring: the slope of two bumps tilts the normal outwards
            // and inwards.
            const Vec3 outwards = radial * (1 / (rho * hit.radius));
            auto bump_slope = [rho](double centre, double width) {
                const double d = (rho - centre) / width;
                return -2 * d * std::exp(-d * d);
            };
            const double slope = 0.9 * bump_slope(0.9, 0.05) + 0.5 * bump_slope(0.62, 0.03);
            normal = normalize(normal - outwards * slope * (normal.y > 0 ? 1 : -1));
        }
        return m.colour;
    }
    case Pattern::plain:
        break;
    }
    return m.colour;
}

Vec3 reflect_dir(Vec3 d, Vec3 n)
{
    return d - n * (2 * dot(d, n));
}

Vec3 trace(const Scene& scene, const Ray& r, int depth, ContentRandom& rng)
{
    const Hit hit = intersect(scene, r);
    if (hit.material < 0) return scene.sky(r.dir);
    const Material& m = scene.materials[size_t(hit.material)];
    const Vec3 p = r.origin + r.dir * hit.t;
    Vec3 n = hit.normal;
    const Vec3 base = surface(m, hit, p, n);
    const bool inside = dot(r.dir, n) > 0;
    if (inside) n = -n;

    Vec3 colour = scene.ambient * base * m.diffuse;
    for (const Light& light : scene.lights) {
        Vec3 target = light.position;
        if (light.size > 0)
            target = target +
                     Vec3{rng.unit() - 0.5, rng.unit() - 0.5, rng.unit() - 0.5} * (2 * light.size);
        Vec3 to_light = target - p;
        const double distance = length(to_light);
        to_light = to_light * (1 / distance);
        const double lambert = dot(n, to_light);
        if (lambert <= 0) continue;
        const double lit = shadow(scene, p + n * EPSILON * 10, to_light, distance);
        if (lit <= 0) continue;
        colour += base * light.colour * (m.diffuse * lambert * lit * (1 - m.transmit));
        const double highlight =
            std::pow(std::max(0.0, dot(reflect_dir(-to_light, n), -r.dir)), m.shininess);
        const Vec3 highlight_colour = m.metal ? mix(m.colour, Vec3{1, 1, 1}, 0.4) : Vec3{1, 1, 1};
        colour += light.colour * highlight_colour * (m.specular * highlight * lit);
    }

    if (depth < scene.max_depth) {
        const double cos_i = -dot(r.dir, n);
        double reflect = m.reflect;
        if (m.transmit > 0) {
            // Fresnel after Schlick: glass mirrors at grazing angles.
            const double r0 = std::pow((m.ior - 1) / (m.ior + 1), 2);
            reflect = r0 + (1 - r0) * std::pow(1 - cos_i, 5);
            const double eta = inside ? m.ior : 1 / m.ior;
            const double k = 1 - eta * eta * (1 - cos_i * cos_i);
            if (k < 0) {
                reflect = 1;
            } else {
                const Vec3 dir = normalize(r.dir * eta + n * (eta * cos_i - std::sqrt(k)));
                colour += trace(scene, {p - n * EPSILON * 10, dir}, depth + 1, rng) *
                          (m.transmit * (1 - reflect));
            }
        } else if (reflect > 0 && !m.metal) {
            reflect += (1 - reflect) * std::pow(1 - cos_i, 5) * 0.3;
        }
        if (reflect > 0.005) {
            const Vec3 seen =
                trace(scene, {p + n * EPSILON * 10, reflect_dir(r.dir, n)}, depth + 1, rng);
            colour += seen * (m.metal ? m.colour : Vec3{1, 1, 1}) * reflect;
        }
    }

    if (scene.fog > 0) colour = mix(scene.sky(r.dir), colour, std::exp(-hit.t * scene.fog));
    return colour;
}

} // namespace

void raytrace_render(const Scene& scene, const Camera& camera, RgbImage& out, int samples)
{
    const Vec3 forward = normalize(camera.target - camera.eye);
    const Vec3 right = normalize(cross(Vec3{0, 1, 0}, forward));
    const Vec3 up = cross(forward, right);
    const double half = std::tan(camera.fov_degrees * M_PI / 360);
    const double aspect = double(out.height) / out.width;
    ContentRandom rng{0x9e3779b9u};
    for (int y = 0; y < out.height; y++) {
        for (int x = 0; x < out.width; x++) {
            Vec3 sum;
            for (int sy = 0; sy < samples; sy++) {
                for (int sx = 0; sx < samples; sx++) {
                    const double fx = (x + (sx + rng.unit()) / samples) / out.width * 2 - 1;
                    const double fy = 1 - (y + (sy + rng.unit()) / samples) / out.height * 2;
                    const Vec3 dir =
                        normalize(forward + right * (fx * half) + up * (fy * half * aspect));
                    sum += trace(scene, {camera.eye, dir}, 0, rng);
                }
            }
            out.at(x, y) = sum * (1.0 / (samples * samples));
        }
    }
}
