// The city's world: "3d/city/" and its textures. For now a stand-in: every texture one colour,
// every object one small triangle, so that the scene loads and runs.
#include "content/content.h"
#include "content/world.h"

bool content_write_city(const std::string& root)
{
    const char* textures[] = {"none",    "ablak-1", "ablak-2", "ablak-3", "fal-2", "felho-1",
                              "kovek-1", "ko-1",    "teto",    "ut-a4",   "fire1", "plasma"};
    const char* objects[] = {"hazak", "pipemove", "cso", "talaj", "environ", "bunker", "hid"};
    std::vector<NamedPicture> pictures;
    int n = 0;
    for (const char* name : textures) {
        RgbImage image(64, 64);
        for (Vec3& p : image.pixels) p = {0.1 + 0.07 * n, 0.3, 0.5};
        pictures.push_back({name, image});
        n++;
    }
    std::vector<NamedMesh> meshes;
    for (const char* name : objects) {
        Mesh m;
        const int material = mesh_material(m, "ko-1");
        mesh_triangle(m, material, mesh_vertex(m, {0, 0, -100}), mesh_vertex(m, {1, 0, -100}),
                      mesh_vertex(m, {0, 1, -100}), {0, 0}, {1, 0}, {0, 1});
        meshes.push_back({name, m});
    }
    return world_write(root, "3d/city", std::move(pictures), meshes);
}
