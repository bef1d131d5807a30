// The landscape's world, "3d/land/": where everything stands, and the writing of it all.
// The places fit the flight: each object stands where the rows that draw it look, and as far
// as can be out of sight of the rows that leave it out.
#include "content/content.h"
#include "content/land/land.h"
#include "content/tools/font.h"
#include "content/tools/world.h"

#include <string>

namespace {

constexpr double PI = 3.14159265358979323846;

constexpr LandPoint conifer_forests[8] = {{-60, 35}, {-20, 74}, {28, 82}, {-50, 15},
                                          {-75, 10}, {-30, 35}, {20, 74}, {-60, -25}};
constexpr LandPoint broadleaf_forests[10] = {{45, -15}, {70, 10},  {50, 10},  {60, -30}, {50, -10},
                                             {35, 0},   {70, -15}, {62, -35}, {55, 47},  {48, -36}};
constexpr LandPoint boulders[2] = {{72, 20}, {92, 12}};
constexpr LandPoint cliffs[4] = {{-31, -5}, {56, 36}, {44, 28}, {62, 24}};
constexpr double house_facing[4] = {0.46, PI, PI, 0.0};

// "f1", "ffa0", ...: the objects' names.
std::string land_numbered(const char* prefix, int n)
{
    std::string name = prefix;
    name += std::to_string(n);
    return name;
}

} // namespace

std::vector<NamedMesh> land_objects()
{
    std::vector<NamedMesh> out;
    for (int i = 0; i < 8; i++)
        out.push_back({land_numbered("f", i + 1),
                       land_forest(conifer_forests[i], 7.0, 7, true, unsigned(i + 1))});
    for (int i = 0; i < 10; i++)
        out.push_back({land_numbered("ffa", i),
                       land_forest(broadleaf_forests[i], 8.0, 6, false, unsigned(i + 31))});
    for (int i = 0; i < 4; i++)
        out.push_back(
            {land_numbered("haz", i + 1), land_house(land_house_sites[i], house_facing[i], i)});
    out.push_back({"ht1", land_billboard()});
    for (int i = 0; i < 2; i++)
        out.push_back({land_numbered("k", i + 1), land_boulders(boulders[i], unsigned(i + 51))});
    for (int i = 0; i < 4; i++)
        out.push_back({land_numbered("sz", i + 1), land_cliff(cliffs[i], unsigned(i + 61))});
    out.push_back({"to", land_lake()});
    LandGround ground = land_ground();
    mesh_append(ground.world, land_sky());
    // Each bridge goes with the road it carries; the church stands in the south road's loop, the
    // windmill by the north road. The roads are drawn all through the flight: nothing on them
    // comes or goes while it is in view.
    for (int i = 0; i < 2; i++) mesh_append(ground.road[land_bridges[i].road], land_bridge(i));
    mesh_append(ground.road[1], land_church());
    mesh_append(ground.road[0], land_windmill());
    for (int i = 0; i < 2; i++) mesh_append(ground.road[i], land_roadside(i));
    for (Mesh* m : {&ground.road[0], &ground.road[1], &ground.world})
        mesh_weld(*m, MESH_WELD_EXACT);
    out.push_back({"ut1", ground.road[0]});
    out.push_back({"ut2", ground.road[1]});
    out.push_back({"world", ground.world});
    return out;
}

bool content_write_land(const std::string& root)
{
    Font* bold = font_open("DejaVuSans-Bold.ttf");
    if (bold == nullptr) return false;
    std::vector<NamedPicture> textures = land_textures(bold);
    font_close(bold);
    // The last two palette entries stay out of the pictures, for the holes check's sentinels.
    QuantizeOptions options;
    options.colours = LAND_PALETTE_COLOURS;
    return world_write(root, "3d/land", std::move(textures), land_objects(), options);
}
