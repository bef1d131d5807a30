// The landscape's world, made in parts: its textures, the ground with its roads, stream, lake
// and fields, the sky with the mountains around, the forests and bushes, the village with its
// church, the windmill, the bridges, the rocks and the closing billboard. Everything is in the
// object files' own coordinates: y up, 1 unit = 10 world units, the flight's eye at height 2
// over the roads.
#pragma once

#include "content/tools/mesh.h"
#include "content/tools/picture_set.h"
#include "content/tools/world.h"

#include <vector>

struct Font;

struct LandPoint {
    double x, z;
};

constexpr double LAND_ROAD_HALF_WIDTH = 2.6;
// Where the four houses stand, round the road south of the village square.
constexpr LandPoint land_house_sites[4] = {
    {-33.0, -23.0}, {20.0, -19.0}, {20.0, -31.0}, {-7.0, -27.0}};
constexpr LandPoint LAND_LAKE_CENTRE = {-17.0, -45.0};
// The church in the village square (the ground level round it), and the windmill.
constexpr LandPoint LAND_CHURCH = {-9.0, -5.5};
constexpr LandPoint LAND_WINDMILL = {68.0, 55.0};
constexpr double LAND_SKY_HEIGHT = 32.0;
// Palette entries the textures use; 254 and 255 are never drawn.
constexpr int LAND_PALETTE_COLOURS = 254;

// The 19 textures, in the order the scene lists them.
std::vector<NamedPicture> land_textures(Font* bold);
// The house walls, two to a texture (top and bottom half): 0 front, 1 back, 2 side, 3 the
// church's nave.
RgbImage land_wall_texture(int kind);
// The closing billboard's picture (square: it is stretched over a 4:3 board).
RgbImage land_billboard_picture(Font* bold);
// The fields' crops, one to a quarter of the texture. A field shows each quarter less a margin
// round it (a share of the whole texture's width): the perspective fillers step a little past
// the texels they aim at, and the next quarter must not show.
RgbImage land_crops_texture();
constexpr int LAND_CROP_QUARTER = 128;
constexpr double LAND_CROP_MARGIN = 8.0 / 256;

// The mountains' foot round every eye position of the flight, and the point it is drawn round.
extern const LandPoint land_ring[20];
extern const LandPoint land_ring_centre;

// What covers the ground at a point.
enum LandKind : int { LAND_GRASS, LAND_ROAD_NORTH, LAND_ROAD_SOUTH, LAND_LAKE, LAND_STREAM };
enum LandCrop : int { LAND_WHEAT, LAND_FURROWS, LAND_GREENS, LAND_RAPE, LAND_NO_CROP };
struct LandCover {
    LandKind kind;
    LandCrop crop; // the field's crop, if a field lies here (it grows where the grass is)
    bool rows_along_x;
};
LandCover land_cover(double x, double z);

// Height of the ground; flat along the roads (a road's own surface at 0 even where a bridge
// carries it over the stream), by the houses and round the lake, down to the water in the
// stream's bed.
double land_ground_height(double x, double z);
// The same beside a road's surface: the banks and the bed where a bridge crosses the stream.
double land_terrain_height(double x, double z);
// Distance to the nearest road's centre line; road is 0 or 1 (which road is nearest).
double land_road_distance(double x, double z, int* road = nullptr);
// Distance to the nearest corner or end of a road's centre line, where its edges curve.
double land_road_bend_distance(double x, double z);
// Inside the ring of mountains, at least margin units from it.
bool land_inside_ring(double x, double z, double margin);
bool land_in_lake(double x, double z);
// How far inside the lake's shore (negative outside).
double land_lake_depth(double x, double z);
// Room for a tree or a bush of the given radius to stand: road_gap off the roads' edges, out
// of the lake and the stream's bed, inside the mountains, clear of the buildings.
bool land_room_for(LandPoint p, double radius, double road_gap);
// Distance to the stream's middle, and its half width; the water's level at a point of it.
double land_stream_distance(double x, double z);
constexpr double LAND_STREAM_HALF_WIDTH = 1.3;
constexpr double LAND_STREAM_BANK = 1.5; // from the water's edge up to the meadow
double land_water_level(double x, double z);

// Where a road crosses the stream: the road's centre there, the unit direction along it, and
// half the length that the bridge carries.
struct LandBridge {
    int road;
    LandPoint centre, along;
    double half_span;
};
extern const LandBridge land_bridges[2];

// The ground (the world's part) and the two roads, cut from one tiling so they never overlap.
struct LandGround {
    Mesh world, road[2];
};
LandGround land_ground();
// The mountain walls and the sky over them, facing in.
Mesh land_sky();

// Forests: count trees around centre; conifer or broadleaf; seed picks the shapes.
Mesh land_forest(LandPoint centre, double radius, int count, bool conifer, unsigned seed);
// House number index (0-3) at centre, its front facing the given direction (radians about y).
Mesh land_house(LandPoint centre, double facing, int index);
Mesh land_boulders(LandPoint centre, unsigned seed);
Mesh land_cliff(LandPoint centre, unsigned seed);
Mesh land_lake();
Mesh land_billboard();
// One stone bridge with its parapets, where land_bridges[index] crosses the stream.
Mesh land_bridge(int index);
Mesh land_church();
Mesh land_windmill();
// The bushes and hedges by road 0 or 1.
Mesh land_roadside(int road);

// All 33 objects, named as the scene lists them.
std::vector<NamedMesh> land_objects();

// Helpers for the parts: triangles turned to face away from a point (or upwards), so that
// no part needs its winding worked out by hand.
void land_triangle_facing(Mesh& mesh, int material, Vec3 a, Vec3 b, Vec3 c, TexturePoint ta,
                          TexturePoint tb, TexturePoint tc, Vec3 away_from);
void land_quad_facing(Mesh& mesh, int material, Vec3 p0, Vec3 p1, Vec3 p2, Vec3 p3, TexturePoint t0,
                      TexturePoint t1, TexturePoint t2, TexturePoint t3, Vec3 away_from);

// One texel of a 256-wide texture: parts that share a texture keep one inside their own, so
// that the other never bleeds in.
constexpr double LAND_TEXEL = 1.0 / 256;
// The part of a texture that a panel shows: the whole of it, or one wall of the two that share
// a texture.
struct LandTexturePart {
    double u0 = 0, v0 = 0, du = 1, dv = 1;
};
constexpr LandTexturePart LAND_UPPER_WALL{0, LAND_TEXEL, 1, 0.5 - 2 * LAND_TEXEL};
constexpr LandTexturePart LAND_LOWER_WALL{0, 0.5 + LAND_TEXEL, 1, 0.5 - 2 * LAND_TEXEL};
// A wall or roof plane p0..p3 (p0-p1 its bottom edge) in tiles of at most two by two, textured
// once across the whole of it (or repeated every tile units when tile > 0): big faces would
// sort badly against the ground.
void land_panel(Mesh& mesh, int material, Vec3 p0, Vec3 p1, Vec3 p2, Vec3 p3, Vec3 away_from,
                double tile = 0, LandTexturePart part = {});

// A ball of foliage: its texture and the rows of it that hold the ball, from the top pole (v0)
// to the bottom one (v0 + dv); u goes once round. Two balls share the darker texture, each
// inside a margin (as the crops are).
struct LandCrownMap {
    const char* texture;
    double v0, dv;
};
constexpr double LAND_CROWN_MARGIN = 4.0 / 256;
constexpr LandCrownMap LAND_CROWN_LIGHT{"fa", 0.0, 1.0};
constexpr LandCrownMap LAND_CROWN_DARK{"zold3", LAND_CROWN_MARGIN, 0.5 - 2 * LAND_CROWN_MARGIN};
constexpr LandCrownMap LAND_CROWN_BLOSSOM{"zold3", 0.5 + LAND_CROWN_MARGIN,
                                          0.5 - 2 * LAND_CROWN_MARGIN};
