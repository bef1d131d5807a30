#include "content/tools/world.h"

#include "content/content.h"

bool world_write(const std::string& root, const std::string& dir,
                 std::vector<NamedPicture> textures, const std::vector<NamedMesh>& objects,
                 const QuantizeOptions& options)
{
    if (!content_make_dir(root, dir + "/textu")) return false;
    for (NamedPicture& t : textures) t.path = dir + "/textu/" + t.path + ".pcx";
    if (!picture_set_write(root, textures, options)) return false;
    for (const NamedMesh& o : objects)
        if (!t3d_write(root + "/" + dir + "/" + o.name + ".t3d", o.mesh)) return false;
    return true;
}
