// The blob's frame as the scene draws it: the background copied, the balls moved, the field
// sampled, the surface cut by marching cubes, transformed, projected, sorted and drawn
// environment-mapped, at the close-up distance of its hold. The flights' frames depend on
// their worlds: `vantor-capture --profile` times every scene of the show as it is.
#include "engine3d/draw.h"
#include "engine3d/pipeline.h"
#include "raster/target.h"
#include "scenes3d/blob_field.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <cstring>
#include <memory>
#include <vector>

namespace {

void BM_blob_frame(benchmark::State& state)
{
    std::vector<uint8_t> frame(320 * 240), background(320 * 240), environment(256 * 256);
    for (size_t i = 0; i < background.size(); i++) background[i] = uint8_t(i / 320);
    for (size_t i = 0; i < environment.size(); i++) environment[i] = uint8_t(i ^ (i >> 8));
    Image env{256, 256, environment.data()}, back{320, 240, background.data()};
    Image* const textures[2] = {&env, &back};
    Image target{320, 240, frame.data()};
    set_render_target(frame.data(), 320, 240);

    Object3D* blob = nullptr;
    if (object_create(&blob, BLOB_MAX_VERTICES, BLOB_MAX_FACES) != 0) {
        state.SkipWithError("no memory");
        return;
    }
    matrix_scale(blob->matrix, 17, 17, 17);
    auto field = std::make_unique<BlobField>();
    blob_field_start(*field);
    Matrix4 view, rotation;
    camera_build_view(0, -15, 400, 0.85f, 0.85f, 1.0f, 0, 3.1415927f, 0, view, rotation);

    int64_t faces = 0;
    for (auto _ : state) {
        std::memcpy(frame.data(), background.data(), frame.size());
        blob_field_move(*field);
        blob_field_sample(*field);
        blob_polygonize(*field, blob, 0);
        object_transform(blob, view, TRANSFORM_POSITIONS);
        object_compute_view_normals(blob);
        render_list_project(blob, 400);
        draw_object_envmap(&target, blob, 160, 120, 1, textures);
        benchmark::ClobberMemory();
        faces += blob->face_count;
    }
    state.counters["faces"] = double(faces) / double(state.iterations());
    object_destroy(&blob);
}

BENCHMARK(BM_blob_frame)
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(386)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true)
    ->ComputeStatistics("max", [](const std::vector<double>& v) {
        return *std::max_element(v.begin(), v.end());
    });

} // namespace

BENCHMARK_MAIN();
