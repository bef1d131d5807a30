// Drawing a projected object: one operation per shading mode. Each turns the projected
// vertices into screen corners around (centre_x, centre_y), orders the faces far to near when
// sort is 1 (else draws them in stored order) and hands every visible face to its filler.
// The textured modes take the face's texture from the list; the shaded ones light through the
// shade table. All but the wireframe draw into the render target; the target image is read by
// the wireframe only. Objects beyond 10000 faces are drawn up to that many, and faces on
// vertices beyond 30000 are left out; both are counted.
#pragma once

#include "gfx2d/image.h"
#include "gfx2d/palette.h"

#include <cstdint>

struct Object3D;

constexpr int32_t DRAW_MAX_FACES = 10000;
// As many as that many faces can name.
constexpr int32_t DRAW_MAX_VERTICES = 3 * DRAW_MAX_FACES;

// Faces left undrawn because their object was beyond those limits, since the program started.
int64_t draw_dropped_faces();

// Mode 0: outlines in the face colour; visible_only 0 outlines back faces too.
void draw_object_wireframe(Image* target, Object3D* object, int32_t centre_x, int32_t centre_y,
                           int sort, int visible_only);
// Mode 1: face colour.
void draw_object_flat(Image* target, Object3D* object, int32_t centre_x, int32_t centre_y,
                      int sort);
// Mode 2: face colour at the face's light level.
void draw_object_flat_shaded(Image* target, Object3D* object, int32_t centre_x, int32_t centre_y,
                             int sort, const ShadeTable* table);
// Mode 3: face colour at the vertices' light levels.
void draw_object_gouraud_shaded(Image* target, Object3D* object, int32_t centre_x, int32_t centre_y,
                                int sort, const ShadeTable* table);
// Mode 4: perspective-correct texture.
void draw_object_perspective(Image* target, Object3D* object, int32_t centre_x, int32_t centre_y,
                             int sort, Image* const* textures);
// Mode 5: as 4, lit by the vertices' light levels.
void draw_object_perspective_shaded(Image* target, Object3D* object, int32_t centre_x,
                                    int32_t centre_y, int sort, Image* const* textures,
                                    const ShadeTable* table);
// Mode 6: environment map from the view-space vertex normals.
void draw_object_envmap(Image* target, Object3D* object, int32_t centre_x, int32_t centre_y,
                        int sort, Image* const* textures);
// Mode 7: as 6, lit by the vertices' light levels.
void draw_object_envmap_shaded(Image* target, Object3D* object, int32_t centre_x, int32_t centre_y,
                               int sort, Image* const* textures, const ShadeTable* table);
// Mode 8: palette index 4 x the face's light level.
void draw_object_flat_lit(Image* target, Object3D* object, int32_t centre_x, int32_t centre_y,
                          int sort);
// Mode 9: palette ramp at 4 x the vertices' light levels.
void draw_object_gouraud_ramp(Image* target, Object3D* object, int32_t centre_x, int32_t centre_y,
                              int sort);
// Affine texture with the faces' own coordinates, plain and lit.
void draw_object_textured(Image* target, Object3D* object, int32_t centre_x, int32_t centre_y,
                          int sort, Image* const* textures);
void draw_object_textured_shaded(Image* target, Object3D* object, int32_t centre_x,
                                 int32_t centre_y, int sort, Image* const* textures,
                                 const ShadeTable* table);
