// Shapes for the 3D worlds, built into a Mesh. The worlds are drawn without a depth buffer,
// far to near by each face's mean depth: large surfaces are cut into tiles so that they sort
// well against what stands on them.
#pragma once

#include "content/tools/mesh.h"

// Texture placement: one repeat of the texture per `tile` units along each side.
struct TileScale {
    double u = 1.0, v = 1.0;
};

// The quad p0..p3 (counter-clockwise from the front) cut into nu x nv tiles (nu along p0-p1,
// nv along p0-p3), the texture repeated every tile.u, tile.v units and standing upright when
// p0-p1 is the quad's bottom edge.
void mesh_grid(Mesh& mesh, int material, Vec3 p0, Vec3 p1, Vec3 p2, Vec3 p3, int nu, int nv,
               TileScale tile);

// Axis-aligned box from lo to hi, its faces facing out (inward = true: facing in, a room).
// Materials per side in the order -x, +x, -y (bottom), +y (top), -z, +z; -1 leaves a side
// out. Sides are cut into tiles no larger than max_tile units.
struct BoxSides {
    int material[6];
};
void mesh_box(Mesh& mesh, Vec3 lo, Vec3 hi, const BoxSides& sides, TileScale tile,
              double max_tile = 1.0e9, bool inward = false);

// Upright prism around the y axis through centre (bottom centre), `sides` faces, facing out
// (or in). The texture wraps around u_repeat times and runs v_repeat times up the height.
void mesh_cylinder(Mesh& mesh, int material, Vec3 centre, double radius, double height, int sides,
                   double u_repeat, double v_repeat, bool inward = false);
