// Triangle meshes for the 3D worlds, written as .t3d files. Triangles are given counter-clockwise
// as seen from the side that is to be shown (outward normal by the right-hand rule), in the
// files' own coordinates (y up); texture coordinates are in units of the texture's size.
#pragma once

#include "content/tools/vec3.h"

#include <string>
#include <vector>

struct MeshMaterial {
    std::string name;
    int red, green, blue; // the colour of the untextured modes
    std::string texture;  // at most 19 characters
};

struct MeshTriangle {
    int corner[3];
    double u[3], v[3];
    int material;
};

struct Mesh {
    std::vector<MeshMaterial> materials; // the slot is the index
    std::vector<Vec3> vertices;
    std::vector<MeshTriangle> triangles;
};

struct TexturePoint {
    double u, v;
};

// The slot of the material with this texture, added at the first call.
int mesh_material(Mesh& mesh, const std::string& texture, int red = 128, int green = 128,
                  int blue = 128);
int mesh_vertex(Mesh& mesh, Vec3 p);
void mesh_triangle(Mesh& mesh, int material, int a, int b, int c, TexturePoint ta, TexturePoint tb,
                   TexturePoint tc);
// p0..p3 counter-clockwise from the front, textured t0..t3; two triangles sharing p0-p2.
void mesh_quad(Mesh& mesh, int material, Vec3 p0, Vec3 p1, Vec3 p2, Vec3 p3, TexturePoint t0,
               TexturePoint t1, TexturePoint t2, TexturePoint t3);
// Appends other, its materials merged by texture name.
void mesh_append(Mesh& mesh, const Mesh& other);
// Corners at the same place become one vertex (the first one's): the scenes copy every vertex
// of a drawn object into the render list, so shared corners keep it small. Faces keep their
// own texture coordinates, so nothing is lost. The same place is either the same position in
// the file (single precision: corners that rounding put a hair apart merge too) or exactly
// the same position, which leaves such corners apart.
enum MeshWeldKey : int { MESH_WELD_AS_STORED, MESH_WELD_EXACT };
void mesh_weld(Mesh& mesh, MeshWeldKey key);

// Writes the mesh as a .t3d file whose triangles are stored the other way round, as the scenes
// read them with their corners reversed. false (with a message) on failure.
bool t3d_write(const std::string& path, const Mesh& mesh);
