// The tube ("cso") that the eye dives into and runs through underground, and the turning fire
// pipe ("pipemove") over the plaza. Both are sweeps of an octagon along a line; the scene
// wraps them in fire and plasma of its own, so their texture coordinates only need to be sane.
#include "content/city/city_world.h"

#include <cmath>

namespace {

constexpr double PI = 3.14159265358979323846;
constexpr int SIDES = 8;
constexpr double TUBE_APOTHEM = 5.0; // the mouth's octagon fits the hole in the ground
constexpr double TUBE_STEP = 1.5;    // rings this far apart along the tube
constexpr double MOUTH_DEPTH = 11.0; // how deep into the ground the houses repeat the tube

// One pass of corner cutting; the end points and the first and last directions stay.
std::vector<Vec3> smooth(const std::vector<Vec3>& p)
{
    std::vector<Vec3> out{p.front()};
    for (size_t i = 0; i + 1 < p.size(); i++) {
        if (i > 0) out.push_back(mix(p[i], p[i + 1], 0.25));
        if (i + 2 < p.size()) out.push_back(mix(p[i], p[i + 1], 0.75));
    }
    out.push_back(p.back());
    return out;
}

// Points every `step` units along the line.
std::vector<Vec3> resample(const std::vector<Vec3>& p, double step)
{
    std::vector<Vec3> out{p.front()};
    double carry = 0.0;
    for (size_t i = 0; i + 1 < p.size(); i++) {
        const double len = length(p[i + 1] - p[i]);
        double t = step - carry;
        for (; t < len; t += step) out.push_back(mix(p[i], p[i + 1], t / len));
        carry = len - (t - step);
    }
    if (length(out.back() - p.back()) > step * 0.3)
        out.push_back(p.back());
    else
        out.back() = p.back();
    return out;
}

// An octagon swept along the line, its frame carried along without twisting; the first
// ring's corners start from `normal`. Faces turn in (a tube to be inside) or out (a pipe).
void sweep(Mesh& m, int material, const std::vector<Vec3>& line, Vec3 normal, double apothem,
           bool inward)
{
    const double radius = apothem / std::cos(PI / SIDES);
    std::vector<int> previous;
    Vec3 n = normal;
    Vec3 tangent = normalize(line[1] - line[0]);
    for (size_t i = 0; i < line.size(); i++) {
        const Vec3 next =
            normalize(line[std::min(i + 1, line.size() - 1)] - line[i > 0 ? i - 1 : 0]);
        n = normalize(n - next * dot(n, next)); // the least turn that keeps n across the line
        tangent = next;
        const Vec3 b = cross(tangent, n);
        std::vector<int> ring;
        for (int k = 0; k < SIDES; k++) {
            const double a = PI / SIDES + 2 * PI * k / SIDES;
            ring.push_back(mesh_vertex(m, line[i] + (n * std::cos(a) + b * std::sin(a)) * radius));
        }
        if (!previous.empty())
            for (int k = 0; k < SIDES; k++) {
                const int k1 = (k + 1) % SIDES;
                int q[4] = {previous[k], previous[k1], ring[k1], ring[k]};
                const Vec3 mid = (m.vertices[q[0]] + m.vertices[q[2]]) * 0.5;
                const Vec3 face =
                    cross(m.vertices[q[1]] - m.vertices[q[0]], m.vertices[q[3]] - m.vertices[q[0]]);
                const Vec3 axis = (line[i] + line[i - 1]) * 0.5 - mid;
                if ((dot(face, axis) > 0) != inward) std::swap(q[1], q[3]);
                mesh_triangle(m, material, q[0], q[1], q[2], {0, 0}, {1, 0}, {1, 1});
                mesh_triangle(m, material, q[0], q[2], q[3], {0, 0}, {1, 1}, {0, 1});
            }
        previous = ring;
    }
}

// Closes a pipe's end with a fan, facing away along `out`.
void cap(Mesh& m, int material, Vec3 centre, Vec3 out, Vec3 normal, double apothem)
{
    const double radius = apothem / std::cos(PI / SIDES);
    const Vec3 b = cross(out, normal);
    const int c = mesh_vertex(m, centre);
    for (int k = 0; k < SIDES; k++) {
        const double a0 = PI / SIDES + 2 * PI * k / SIDES, a1 = a0 + 2 * PI / SIDES;
        int p0 = mesh_vertex(m, centre + (normal * std::cos(a0) + b * std::sin(a0)) * radius);
        int p1 = mesh_vertex(m, centre + (normal * std::cos(a1) + b * std::sin(a1)) * radius);
        if (dot(cross(m.vertices[p0] - centre, m.vertices[p1] - centre), out) < 0)
            std::swap(p0, p1);
        mesh_triangle(m, material, c, p0, p1, {0.5, 0.5}, {0, 0}, {1, 0});
    }
}

// The plasma as the scene lays it on the tube at load time: flattened along z with a gentle
// perspective, in world units (scale 10, y and z turned over), twice across the whole tube.
std::vector<TexturePoint> planar_plasma(const Mesh& tube)
{
    auto world = [](Vec3 p) { return Vec3{10 * p.x, -10 * p.y, -10 * p.z}; };
    double zmin = 1e30;
    for (const Vec3& p : tube.vertices) zmin = std::min(zmin, world(p).z);
    std::vector<Vec3> flat;
    double x0 = 1e30, x1 = -1e30, y0 = 1e30, y1 = -1e30;
    for (const Vec3& p : tube.vertices) {
        const Vec3 w = world(p);
        const double k = 1000.0 / ((w.z - zmin) + 1000.0);
        flat.push_back({w.x * k, w.y * k, 0});
        x0 = std::min(x0, flat.back().x), x1 = std::max(x1, flat.back().x);
        y0 = std::min(y0, flat.back().y), y1 = std::max(y1, flat.back().y);
    }
    std::vector<TexturePoint> uv;
    for (const Vec3& f : flat)
        uv.push_back({(f.x - x0) * 2.0 / (x1 - x0), (f.y - y0) * 2.0 / (y1 - y0)});
    return uv;
}

} // namespace

Mesh city_tube(const CityPlan& plan)
{
    Mesh m;
    const int material = mesh_material(m, "plasma", 120, 40, 160);
    // Straight down from the hole, then the eye's own way until it is up in the bunker.
    const CityRect& h = plan.hole;
    const Vec3 mouth{(h.x0 + h.x1) / 2, 0.0, (h.z0 + h.z1) / 2};
    std::vector<Vec3> line = {mouth + Vec3{0, -2 * TUBE_STEP, 0}};
    bool dived = false;
    for (size_t f = 0; f < plan.eye.size(); f++) {
        const Vec3 e = plan.eye[f];
        dived = dived || (plan.row[f] >= 7 && e.y < -4.5);
        if (dived && plan.row[f] <= 13) line.push_back(e);
        if (plan.row[f] == 14) {
            line.push_back(e); // the first eye up in the bunker ends the tube
            break;
        }
    }
    // The mouth's ring lies flat in the ground: the first step goes straight down.
    line = resample(smooth(line), TUBE_STEP);
    line.insert(line.begin(), {mouth, mouth + Vec3{0, -TUBE_STEP, 0}});
    sweep(m, material, line, {1, 0, 0}, TUBE_APOTHEM, true);
    return m;
}

Mesh city_tube_mouth(const CityPlan& plan)
{
    const Mesh tube = city_tube(plan);
    const std::vector<TexturePoint> uv = planar_plasma(tube);
    const CityRect& h = plan.hole;
    Mesh mouth;
    const int material = mesh_material(mouth, "plasma", 120, 40, 160);
    for (const MeshTriangle& t : tube.triangles) {
        bool near = true;
        for (int c : t.corner) {
            const Vec3 p = tube.vertices[size_t(c)];
            near = near && p.y > -MOUTH_DEPTH && p.x < h.x1 + TUBE_APOTHEM * 2;
        }
        if (!near) continue;
        // With the tube's own texture coordinates: where both are drawn, no seam between them.
        int corner[3];
        for (int k = 0; k < 3; k++)
            corner[k] = mesh_vertex(mouth, tube.vertices[size_t(t.corner[k])]);
        mesh_triangle(mouth, material, corner[0], corner[1], corner[2], uv[size_t(t.corner[0])],
                      uv[size_t(t.corner[1])], uv[size_t(t.corner[2])]);
    }
    return mouth;
}

Mesh city_pipe()
{
    Mesh m;
    const int material = mesh_material(m, "fire1", 200, 80, 20);
    // An S of two half circles over the plaza, turning about its middle, with a hub; bent
    // into a shallow arch so that it shows its shape even when seen from level with it.
    constexpr double Y = 7.15, R = 3.0, APOTHEM = 0.6, ARCH = 0.6;
    std::vector<Vec3> line;
    for (int i = 0; i <= 12; i++) {
        const double a = PI - PI * i / 12;
        line.push_back({-R + R * std::cos(a), Y, R * std::sin(a)});
    }
    for (int i = 1; i <= 12; i++) {
        const double a = PI + PI * i / 12;
        line.push_back({R + R * std::cos(a), Y, R * std::sin(a)});
    }
    sweep(m, material, line, {0, 1, 0}, APOTHEM, false);
    cap(m, material, line.front(), normalize(line[0] - line[1]), {0, 1, 0}, APOTHEM);
    cap(m, material, line.back(), normalize(line.back() - line[line.size() - 2]), {0, 1, 0},
        APOTHEM);
    // The hub: a short upright drum with lids.
    std::vector<Vec3> hub = {{0, 6.3, 0}, {0, 8.0, 0}};
    sweep(m, material, hub, {1, 0, 0}, 1.0, false);
    cap(m, material, hub[0], {0, -1, 0}, {1, 0, 0}, 1.0);
    cap(m, material, hub[1], {0, 1, 0}, {1, 0, 0}, 1.0);
    for (Vec3& p : m.vertices) p.y += ARCH * std::cos(PI * p.x / (2 * R));
    return m;
}
