// The landscape's world: "3d/land/" and its textures. For now a stand-in: every texture one colour,
// every object one small triangle, so that the scene loads and runs.
#include "content/content.h"
#include "content/world.h"

bool content_write_land(const std::string& root)
{
    const char* textures[] = {"eg",      "fa",       "fenyo",    "fenyo2", "fold",
                              "hazelol", "hazhatul", "hazoldal", "hegyek", "hird1",
                              "kereg",   "ko1",      "rock1",    "rock4",  "tegla1",
                              "teto",    "to",       "ut",       "zold3"};
    const char* objects[] = {"f1",   "f2",   "f3",   "f4",   "f5",   "f6",   "f7",   "f8",   "ffa0",
                             "ffa1", "ffa2", "ffa3", "ffa4", "ffa5", "ffa6", "ffa7", "ffa8", "ffa9",
                             "haz1", "haz2", "haz3", "haz4", "ht1",  "k1",   "k2",   "sz1",  "sz2",
                             "sz3",  "sz4",  "to",   "ut1",  "ut2",  "world"};
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
        const int material = mesh_material(m, "fold");
        mesh_triangle(m, material, mesh_vertex(m, {0, 0, -100}), mesh_vertex(m, {1, 0, -100}),
                      mesh_vertex(m, {0, 1, -100}), {0, 0}, {1, 0}, {0, 1});
        meshes.push_back({name, m});
    }
    return world_write(root, "3d/land", std::move(pictures), meshes);
}
