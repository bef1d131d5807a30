// The .t3d reader. The file is read line by line (1024-byte lines: a longer one reads as two)
// in two passes: the first finds the sections and their counts, so the object can be created
// at its exact size; the second goes back to the remembered positions for the vertices and
// triangles. Everything a file says is checked before it is used as an index.
#include "engine3d/t3d.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <strings.h>

namespace {

constexpr int LINE_SIZE = 1024;
// Positions and texels beyond these are no world of ours: they would only overflow later.
constexpr float MAX_COORDINATE = 1.0e6f;
constexpr float MAX_TEXEL = float(1 << 20);

struct MaterialSlot {
    uint8_t colour;
    bool filled;
    char texture[T3D_TEXTURE_NAME_SIZE];
};

struct Reader {
    FILE* file;
    char line[LINE_SIZE];
    MaterialSlot slots[T3D_MATERIAL_SLOTS];
};

bool read_line(Reader& r)
{
    return std::fgets(r.line, LINE_SIZE, r.file) != nullptr;
}

// Reads up to and including the line whose first word is exactly the header.
bool find_header(Reader& r, const char* header)
{
    char word[LINE_SIZE];
    while (read_line(r))
        if (std::sscanf(r.line, "%1023s", word) == 1 && std::strcmp(word, header) == 0) return true;
    return false;
}

// The line after a header: one integer in 0 .. T3D_MAX_COUNT.
int read_count(Reader& r, int32_t* count)
{
    if (!read_line(r)) return T3D_UNEXPECTED_END;
    int n;
    if (std::sscanf(r.line, "%d", &n) != 1) return T3D_BAD_COUNT_LINE;
    if (n < 0 || n > T3D_MAX_COUNT) return T3D_BAD_COUNT;
    *count = n;
    return T3D_OK;
}

int read_materials(Reader& r, const uint8_t* palette)
{
    int32_t count;
    if (!find_header(r, "MATERIALS")) return T3D_UNEXPECTED_END;
    if (int e = read_count(r, &count)) return e;
    for (int32_t i = 0; i < count; i++) {
        if (!read_line(r)) return T3D_UNEXPECTED_END;
        char name[LINE_SIZE], texture[LINE_SIZE];
        int slot, red, green, blue;
        if (std::sscanf(r.line, "%1023s %d %d %d %d %1023s", name, &slot, &red, &green, &blue,
                        texture) != 6)
            return T3D_BAD_MATERIAL;
        if (slot < 0 || slot >= T3D_MATERIAL_SLOTS) return T3D_BAD_MATERIAL_SLOT;
        if (std::strlen(texture) >= size_t(T3D_TEXTURE_NAME_SIZE)) return T3D_LONG_TEXTURE_NAME;
        auto channel = [](int c) { return c < 0 ? 0 : c > 255 ? 255 : c; };
        MaterialSlot& s = r.slots[slot];
        s.colour =
            palette_nearest(colour_pack(channel(red), channel(green), channel(blue)), palette);
        s.filled = true;
        std::strcpy(s.texture, texture);
    }
    return T3D_OK;
}

bool finite_within(float v, float limit)
{
    return std::isfinite(v) && std::fabs(v) <= limit;
}

int read_vertices(Reader& r, Object3D* object)
{
    for (int32_t i = 0; i < object->vertex_count; i++) {
        if (!read_line(r)) return T3D_SHORT_VERTICES;
        float x, y, z;
        if (std::sscanf(r.line, "%f %f %f", &x, &y, &z) != 3) return T3D_BAD_VERTEX;
        if (!finite_within(x, MAX_COORDINATE) || !finite_within(y, MAX_COORDINATE) ||
            !finite_within(z, MAX_COORDINATE))
            return T3D_BAD_NUMBER;
        object->vertices[i].position = {x, y, z, 0.0f};
    }
    return T3D_OK;
}

// The list index and size of the slot's texture; T3D_UNKNOWN_TEXTURE when it is not listed.
int find_texture(const MaterialSlot& slot, const char* path, const char* const* names,
                 const int32_t* sizes, int count, uint8_t* index, int32_t* size)
{
    for (int i = 0; i < count; i++)
        if (names[i] != nullptr && strcasecmp(slot.texture, names[i]) == 0) {
            *index = uint8_t(i);
            *size = sizes != nullptr ? sizes[i] : 0;
            return T3D_OK;
        }
    std::printf(" %s in \"%s\" - not found!\n", slot.texture, path);
    return T3D_UNKNOWN_TEXTURE;
}

int read_triangles(Reader& r, Object3D* object, const char* path, int reverse,
                   const char* const* names, const int32_t* sizes, int texture_count)
{
    for (int32_t i = 0; i < object->face_count; i++) {
        if (!read_line(r)) return T3D_SHORT_TRIANGLES;
        int corner[3], ignored[3], material;
        float uv[6];
        if (std::sscanf(r.line, "%d %d %d %d %d %d %f %f %f %f %f %f %d", &corner[0], &corner[1],
                        &corner[2], &ignored[0], &ignored[1], &ignored[2], &uv[0], &uv[1], &uv[2],
                        &uv[3], &uv[4], &uv[5], &material) != 13)
            return T3D_BAD_TRIANGLE;
        for (int c : corner)
            if (c < 0 || c >= object->vertex_count) return T3D_BAD_VERTEX_INDEX;
        if (material < 0 || material >= T3D_MATERIAL_SLOTS || !r.slots[material].filled)
            return T3D_BAD_MATERIAL_SLOT;

        Face3D& f = object->faces[i];
        const MaterialSlot& slot = r.slots[material];
        f.colour = slot.colour;
        f.texture = 0;
        int32_t size = 0;
        if (texture_count != 0 && names != nullptr)
            if (int e = find_texture(slot, path, names, sizes, texture_count, &f.texture, &size))
                return e;

        int32_t texel[6];
        for (int k = 0; k < 6; k++) {
            const float t = std::floor(float(size) * uv[k]);
            if (!finite_within(t, MAX_TEXEL)) return T3D_BAD_NUMBER;
            texel[k] = int32_t(t);
        }
        // Reversing the corners flips the winding, and with it the side that is seen.
        const int a = reverse ? 2 : 0, c = 2 - a;
        f.vertex0 = corner[a], f.vertex1 = corner[1], f.vertex2 = corner[c];
        f.uv = {texel[2 * a], texel[2 * a + 1], texel[2], texel[3], texel[2 * c], texel[2 * c + 1]};
    }
    return T3D_OK;
}

int t3d_read(Reader& r, Object3D** handle, const char* path, const uint8_t* palette, int reverse,
             const char* const* names, const int32_t* sizes, int texture_count)
{
    if (int e = read_materials(r, palette)) return e;

    int32_t vertex_count, triangle_count;
    if (!find_header(r, "VERTICES")) return T3D_UNEXPECTED_END;
    if (int e = read_count(r, &vertex_count)) return e;
    const long vertex_position = std::ftell(r.file);
    if (!find_header(r, "TRIANGLES")) return T3D_UNEXPECTED_END;
    if (int e = read_count(r, &triangle_count)) return e;
    const long triangle_position = std::ftell(r.file);
    if (vertex_position < 0 || triangle_position < 0) return T3D_CANNOT_OPEN;
    if (triangle_count > 0 && std::fgetc(r.file) == EOF) return T3D_UNEXPECTED_END;

    if (object_create(handle, vertex_count, triangle_count) != 0) return T3D_BAD_MATERIAL;
    int e = std::fseek(r.file, vertex_position, SEEK_SET) != 0 ? T3D_SHORT_VERTICES
                                                               : read_vertices(r, *handle);
    if (e == T3D_OK)
        e = std::fseek(r.file, triangle_position, SEEK_SET) != 0
                ? T3D_SHORT_TRIANGLES
                : read_triangles(r, *handle, path, reverse, names, sizes, texture_count);
    if (e != T3D_OK) object_destroy(handle);
    return e;
}

} // namespace

int t3d_load(Object3D** handle, const char* path, const uint8_t* palette, int reverse,
             const char* const* names, const int32_t* sizes, int texture_count)
{
    static Reader r; // 30 KB of slots: kept off the stack
    r = {};
    r.file = std::fopen(path, "r");
    if (r.file == nullptr) return T3D_CANNOT_OPEN;
    const int e =
        t3d_read(r, handle, path, palette, reverse & 0xff, names, sizes, texture_count & 0xff);
    std::fclose(r.file);
    return e;
}
