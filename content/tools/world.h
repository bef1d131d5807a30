// Writing a 3D world: its textures, all in one palette, and its objects.
#pragma once

#include "content/tools/mesh.h"
#include "content/tools/picture_set.h"

#include <string>
#include <vector>

struct NamedMesh {
    std::string name; // the file is name + ".t3d"
    Mesh mesh;
};

// Writes dir/textu/NAME.pcx for every texture (one palette for all) and dir/NAME.t3d for every
// object; dir is relative to the root. false (with a message) on failure.
bool world_write(const std::string& root, const std::string& dir,
                 std::vector<NamedPicture> textures, const std::vector<NamedMesh>& objects,
                 const QuantizeOptions& options = {});
