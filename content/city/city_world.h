// The city's world in parts: the plan they share (where the eye goes, the streets, the open
// places), the textures and the objects. File coordinates: y up, 1 unit = 10 world units.
#pragma once

#include "content/tools/mesh.h"
#include "content/tools/picture_set.h"

#include <vector>

struct CityRect {
    double x0, z0, x1, z1;
    bool contains(double x, double z) const { return x >= x0 && x <= x1 && z >= z0 && z <= z1; }
};

struct CityStreet {
    std::vector<Vec3> points; // centre line on the ground (y = 0)
    double clearance;         // no house closer to the centre line than this
};

struct CityPlan {
    std::vector<Vec3> eye; // the eye in every frame of rows 0 to 28 (row 29 only holds still)
    std::vector<int> row;  // the path row of every frame
    std::vector<CityStreet> streets;
    CityRect ground;        // the city's own ground; the surroundings begin at its edge
    CityRect plaza, square; // the pipe's plaza, the square where the tube goes down
    CityRect yard, bunker;  // the bunker's yard and its footprint
    CityRect hole;          // the tube's mouth in the square
    CityRect ramps[2];      // the bridge's ramps, standing on the ground
};

// Replays the scene's camera path and lays the city out around it.
CityPlan city_plan();
// The nearest street centre line to (x, z) on the ground: how far, its nearest point, the
// street's direction there and how far along the street that point lies.
struct CityStreetPoint {
    double distance;
    Vec3 closest, along; // along: unit, in the street's direction
    double arc;          // distance along the street to the closest point
};
CityStreetPoint city_street_distance(const CityPlan& plan, double x, double z);
// The lots that houses stand on.
std::vector<CityRect> city_lots(const CityPlan& plan);

// The twelve textures in the scene's order.
std::vector<NamedPicture> city_textures();

Mesh city_houses(const CityPlan& plan);       // "hazak"
Mesh city_ground(const CityPlan& plan);       // "talaj"
Mesh city_surroundings(const CityPlan& plan); // "environ"
Mesh city_tube(const CityPlan& plan);         // "cso"
// The tube's top, face for face as in the tube: the houses repeat it, so that the rows that
// draw the houses but not the tube see down a shaft instead of through a hole in the ground.
// Where both are drawn the copies tie in the depth order and the tube, drawn later, wins.
Mesh city_tube_mouth(const CityPlan& plan);
Mesh city_pipe();                       // "pipemove"
Mesh city_bunker(const CityPlan& plan); // "bunker"
Mesh city_bridge(const CityPlan& plan); // "hid"

// Bridge and bunker measures that the ground and the houses keep clear of.
constexpr double CITY_DECK_HEIGHT = 4.8, CITY_DECK_UNDER = 4.0, CITY_PARAPET = 1.0;
constexpr double CITY_BUNKER_HEIGHT = 7.0;
// How far the bridge's abutments lean back from the deck's ends at the ground: one ground cell.
constexpr double CITY_ABUTMENT_LEAN = 5.0;
