// The city's world: "3d/city/" and its textures, laid out around the scene's own camera path.
#include "content/city/city_world.h"

#include "content/content.h"
#include "content/tools/world.h"
#include "flightpaths/city_path.h"

#include <cfloat>
#include <cmath>

namespace {

// The path replayed as the scene runs it: position in world units over the camera scale.
void city_replay(CityPlan& plan)
{
    FlightCamera camera = CITY_START;
    while (camera.row < CITY_PATH_ROWS - 1) {
        const int row = camera.row;
        flight_camera_advance(camera, city_path, CITY_PATH_ROWS);
        // World = scale x position, a tenth of it in the file, where the placement's turn by
        // pi flips y and z.
        plan.eye.push_back({0.1 * CITY_SCALE_XY * camera.px, -0.1 * CITY_SCALE_XY * camera.py,
                            -0.1 * CITY_SCALE_Z * camera.pz});
        plan.row.push_back(row);
    }
}

// The eye's track on the ground over the frames [first, last].
std::vector<Vec3> city_track(const CityPlan& plan, int first, int last)
{
    std::vector<Vec3> track;
    for (int f = first; f <= last; f++) {
        const Vec3 p{plan.eye[size_t(f)].x, 0.0, plan.eye[size_t(f)].z};
        if (track.empty() || length(p - track.back()) > 0.5) track.push_back(p);
    }
    return track;
}

double segment_distance(Vec3 p, Vec3 a, Vec3 b, double* t)
{
    const Vec3 d = b - a;
    const double len2 = dot(d, d);
    *t = len2 > 0.0 ? std::clamp(dot(p - a, d) / len2, 0.0, 1.0) : 0.0;
    return length(p - (a + d * *t));
}

} // namespace

CityPlan city_plan()
{
    CityPlan plan;
    city_replay(plan);
    // The main street the descent lands on, the way west to the square, the circuit round
    // the block (rows 15 to 27) and streets that lead out of the city.
    plan.streets.push_back({{{0, 0, 175}, {0, 0, -120}}, 5.0});
    plan.streets.push_back({{{0, 0, -19}, {-40, 0, -15}}, 5.0});
    CityStreet circuit{city_track(plan, 209, 359), 7.0};
    circuit.points.push_back({30, 0, 40});
    circuit.points.push_back({56, 0, 40});
    circuit.points.push_back({56, 0, -13});
    plan.streets.push_back(circuit);
    plan.streets.push_back({{{-64, 0, 40}, {-64, 0, 175}}, 5.0});
    plan.streets.push_back({{{-64, 0, 40}, {-105, 0, 40}}, 5.0});
    plan.streets.push_back({{{56, 0, 40}, {56, 0, 175}}, 5.0});
    plan.streets.push_back({{{56, 0, -43}, {95, 0, -43}}, 5.0});
    plan.streets.push_back({{{-63, 0, -20}, {-105, 0, -20}}, 5.0});

    plan.ground = {-100, -115, 90, 170};
    plan.plaza = {-15, -25, 15, 15};
    plan.square = {-55, -30, -25, -5};
    plan.hole = {-45, -20, -35, -10};
    plan.yard = {30, -5, 65, 35};
    plan.bunker = {35, 10, 55, 30};
    plan.ramps[0] = {-20, 35, -5, 45};
    plan.ramps[1] = {5, 35, 20, 45};
    return plan;
}

CityStreetPoint city_street_distance(const CityPlan& plan, double x, double z)
{
    const Vec3 p{x, 0, z};
    CityStreetPoint best{DBL_MAX, {}, {1, 0, 0}, 0.0};
    for (const CityStreet& s : plan.streets) {
        double run = 0.0;
        for (size_t i = 0; i + 1 < s.points.size(); i++) {
            const Vec3 a = s.points[i], b = s.points[i + 1];
            double t;
            const double d = segment_distance(p, a, b, &t);
            if (d < best.distance)
                best = {d, mix(a, b, t), normalize(b - a), run + t * length(b - a)};
            run += length(b - a);
        }
    }
    return best;
}

bool content_write_city(const std::string& root)
{
    const CityPlan plan = city_plan();
    Mesh houses = city_houses(plan);
    mesh_append(houses, city_tube_mouth(plan));
    std::vector<NamedMesh> meshes = {{"hazak", std::move(houses)},
                                     {"pipemove", city_pipe()},
                                     {"cso", city_tube(plan)},
                                     {"talaj", city_ground(plan)},
                                     {"environ", city_surroundings(plan)},
                                     {"bunker", city_bunker(plan)},
                                     {"hid", city_bridge(plan)}};
    for (NamedMesh& m : meshes) mesh_weld(m.mesh, MESH_WELD_AS_STORED);
    return world_write(root, "3d/city", city_textures(), meshes);
}
