#include "content/tools/mesh.h"

#include <cstdio>
#include <map>
#include <tuple>

int mesh_material(Mesh& mesh, const std::string& texture, int red, int green, int blue)
{
    for (size_t i = 0; i < mesh.materials.size(); i++)
        if (mesh.materials[i].texture == texture) return int(i);
    mesh.materials.push_back({"m_" + texture, red, green, blue, texture});
    return int(mesh.materials.size() - 1);
}

int mesh_vertex(Mesh& mesh, Vec3 p)
{
    mesh.vertices.push_back(p);
    return int(mesh.vertices.size() - 1);
}

void mesh_triangle(Mesh& mesh, int material, int a, int b, int c, TexturePoint ta, TexturePoint tb,
                   TexturePoint tc)
{
    mesh.triangles.push_back({{a, b, c}, {ta.u, tb.u, tc.u}, {ta.v, tb.v, tc.v}, material});
}

void mesh_quad(Mesh& mesh, int material, Vec3 p0, Vec3 p1, Vec3 p2, Vec3 p3, TexturePoint t0,
               TexturePoint t1, TexturePoint t2, TexturePoint t3)
{
    const int i0 = mesh_vertex(mesh, p0), i1 = mesh_vertex(mesh, p1);
    const int i2 = mesh_vertex(mesh, p2), i3 = mesh_vertex(mesh, p3);
    mesh_triangle(mesh, material, i0, i1, i2, t0, t1, t2);
    mesh_triangle(mesh, material, i0, i2, i3, t0, t2, t3);
}

void mesh_append(Mesh& mesh, const Mesh& other)
{
    const int base = int(mesh.vertices.size());
    mesh.vertices.insert(mesh.vertices.end(), other.vertices.begin(), other.vertices.end());
    for (MeshTriangle t : other.triangles) {
        const MeshMaterial& m = other.materials[size_t(t.material)];
        t.material = mesh_material(mesh, m.texture, m.red, m.green, m.blue);
        for (int& c : t.corner) c += base;
        mesh.triangles.push_back(t);
    }
}

void mesh_weld(Mesh& mesh, MeshWeldKey key)
{
    // A float widened back to double is exact, so one map serves both keys.
    auto place = [key](double v) { return key == MESH_WELD_AS_STORED ? double(float(v)) : v; };
    std::map<std::tuple<double, double, double>, int> seen;
    std::vector<Vec3> kept;
    std::vector<int> index(mesh.vertices.size());
    for (size_t i = 0; i < mesh.vertices.size(); i++) {
        const Vec3 p = mesh.vertices[i];
        const auto [it, fresh] =
            seen.try_emplace({place(p.x), place(p.y), place(p.z)}, int(kept.size()));
        if (fresh) kept.push_back(p);
        index[i] = it->second;
    }
    mesh.vertices = std::move(kept);
    for (MeshTriangle& t : mesh.triangles)
        for (int& c : t.corner) c = index[size_t(c)];
}

bool t3d_write(const std::string& path, const Mesh& mesh)
{
    FILE* f = std::fopen(path.c_str(), "w");
    if (f == nullptr) {
        std::fprintf(stderr, "mkshow: cannot write %s\n", path.c_str());
        return false;
    }
    std::fprintf(f, "MATERIALS\n%zu\n", mesh.materials.size());
    for (size_t i = 0; i < mesh.materials.size(); i++) {
        const MeshMaterial& m = mesh.materials[i];
        std::fprintf(f, "%s %zu %d %d %d %s\n", m.name.c_str(), i, m.red, m.green, m.blue,
                     m.texture.c_str());
    }
    // Single-precision values in full, so the reader gets back exactly what was meant.
    std::fprintf(f, "VERTICES\n%zu\n", mesh.vertices.size());
    for (const Vec3& p : mesh.vertices)
        std::fprintf(f, "%.9g %.9g %.9g\n", float(p.x), float(p.y), float(p.z));
    std::fprintf(f, "TRIANGLES\n%zu\n", mesh.triangles.size());
    for (const MeshTriangle& t : mesh.triangles)
        std::fprintf(f, "%d %d %d 0 0 0 %.9g %.9g %.9g %.9g %.9g %.9g %d\n", t.corner[2],
                     t.corner[1], t.corner[0], float(t.u[2]), float(t.v[2]), float(t.u[1]),
                     float(t.v[1]), float(t.u[0]), float(t.v[0]), t.material);
    const bool ok = std::ferror(f) == 0;
    if (std::fclose(f) != 0 || !ok) {
        std::fprintf(stderr, "mkshow: cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}
