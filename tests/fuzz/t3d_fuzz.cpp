// The .t3d reader, given whole files, and the first stages that use what it read.
#include "engine3d/pipeline.h"
#include "engine3d/t3d.h"

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const char* const names[] = {"none", "teto", "ablak-1"};
    static const int32_t sizes[] = {16, 64, 256};
    static uint8_t palette[768];
    FILE* file = fmemopen(const_cast<uint8_t*>(data), size, "r");
    if (file == nullptr) return 0;
    Object3D* object = nullptr;
    if (t3d_load_stream(&object, file, "fuzz.t3d", palette, 1, names, sizes, 3) == T3D_OK) {
        matrix_diagonal(object->matrix, 1.0f);
        object_compute_normals(object);
        render_list_reset();
        render_list_add(object, 80.0f, 5000.0f, 400.0f, 160, 120);
        render_list_project(render_list_get(), 400.0f);
        object_destroy(&object);
    }
    std::fclose(file);
    return 0;
}
