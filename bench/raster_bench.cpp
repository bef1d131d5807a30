// Speed of the triangle fillers in pixels per second, and of a whole 3D frame: transformation,
// render list, projection, depth sort and perspective-correct texturing of 5000 faces.
#include "engine3d/pipeline.h"
#include "engine3d/draw.h"
#include "raster/target.h"
#include "raster/triangle.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <vector>

namespace {

std::vector<uint8_t> frame(320 * 240);

std::vector<uint8_t> make_texture(int size)
{
    std::vector<uint8_t> t(size_t(size) * size);
    for (int y = 0; y < size; y++)
        for (int x = 0; x < size; x++) t[size_t(y) * size + x] = uint8_t((x ^ y) * 3);
    return t;
}

// A triangle of about size x size / 2 pixels in the middle of the frame, slightly tilted so
// that its edges are not axis-aligned.
ScreenTriangle triangle_of(int size)
{
    const int x = 160 - size / 2, y = 120 - size / 2;
    return {x, y, x + size, y + size / 8, x + size / 8, y + size};
}

int covered_pixels(const ScreenTriangle& t)
{
    std::fill(frame.begin(), frame.end(), 0);
    fill_flat_triangle(&t, 1);
    int n = 0;
    for (uint8_t p : frame) n += p;
    return n;
}

void report_pixels(benchmark::State& state, int pixels)
{
    state.counters["Mpixels/s"] = benchmark::Counter(
        double(pixels) * double(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
}

void BM_flat(benchmark::State& state)
{
    set_render_target(frame.data(), 320, 240);
    const ScreenTriangle t = triangle_of(int(state.range(0)));
    for (auto _ : state) {
        fill_flat_triangle(&t, 7);
        benchmark::ClobberMemory();
    }
    report_pixels(state, covered_pixels(t));
}

void BM_affine(benchmark::State& state)
{
    set_render_target(frame.data(), 320, 240);
    const int size = int(state.range(0));
    const std::vector<uint8_t> tex = make_texture(64);
    const ScreenTriangle t = triangle_of(size);
    const TextureCoords uv{0, 0, 128, 10, 10, 128};
    for (auto _ : state) {
        fill_affine_textured_triangle(tex.data(), 64, &t, &uv);
        benchmark::ClobberMemory();
    }
    report_pixels(state, covered_pixels(t));
}

void BM_perspective(benchmark::State& state)
{
    set_render_target(frame.data(), 320, 240);
    const int size = int(state.range(0));
    const std::vector<uint8_t> tex = make_texture(64);
    const ScreenTriangle t = triangle_of(size);
    const TextureCoords uv{0, 0, 128, 10, 10, 128};
    const VertexAttributes depth{0, 200, 0, 500, 0, 900};
    for (auto _ : state) {
        fill_perspective_textured_triangle(tex.data(), 64, &t, &uv, &depth);
        benchmark::ClobberMemory();
    }
    report_pixels(state, covered_pixels(t));
}

// The fill-rate ceiling: a plain loop writing as many pixels as the triangle covers, to set
// the fillers' figures against.
void BM_plain_fill(benchmark::State& state)
{
    set_render_target(frame.data(), 320, 240);
    const int pixels = covered_pixels(triangle_of(int(state.range(0))));
    uint8_t* const pixel = frame.data();
    for (auto _ : state) {
        for (int i = 0; i < pixels; i++) pixel[i] = 7;
        benchmark::ClobberMemory();
    }
    report_pixels(state, pixels);
}

BENCHMARK(BM_plain_fill)->Arg(8)->Arg(32)->Arg(128)->Arg(220);
BENCHMARK(BM_flat)->Arg(8)->Arg(32)->Arg(128)->Arg(220);
BENCHMARK(BM_affine)->Arg(8)->Arg(32)->Arg(128)->Arg(220);
BENCHMARK(BM_perspective)->Arg(8)->Arg(32)->Arg(128)->Arg(220);

// A rippled sheet of 50 x 50 squares (5000 faces) filling most of the screen, every face in
// view and front-facing: one frame's whole pipeline at the render list's working size.
void BM_render_list_frame(benchmark::State& state)
{
    set_render_target(frame.data(), 320, 240);
    constexpr int n = 50;
    Object3D* land = nullptr;
    if (object_create(&land, (n + 1) * (n + 1), n * n * 2) != 0) {
        state.SkipWithError("no memory");
        return;
    }
    for (int j = 0; j <= n; j++)
        for (int i = 0; i <= n; i++) {
            Vertex3D& v = land->vertices[j * (n + 1) + i];
            v = Vertex3D{};
            const float x = float(i - n / 2) * 6, y = float(j - n / 2) * 4.4f;
            v.position = {x, y, 20 * std::sin(x * 0.05f) * std::cos(y * 0.04f), 0};
        }
    for (int j = 0, f = 0; j < n; j++)
        for (int i = 0; i < n; i++) {
            const int a = j * (n + 1) + i, b = a + 1, c = a + n + 1, d = c + 1;
            const int tri[2][3] = {{a, c, b}, {b, c, d}};
            const TextureCoords uv[2] = {{0, 0, 64, 0, 0, 64}, {64, 0, 64, 64, 0, 64}};
            for (int k = 0; k < 2; k++) {
                Face3D& face = land->faces[f++];
                face = Face3D{};
                face.vertex0 = tri[k][0], face.vertex1 = tri[k][1], face.vertex2 = tri[k][2];
                face.uv = uv[k];
            }
        }
    matrix_diagonal(land->matrix, 1.0f);
    Image texture{64, 64, nullptr};
    std::vector<uint8_t> pixels = make_texture(64);
    texture.pixels = pixels.data();
    Image* textures[1] = {&texture};
    Image target{320, 240, frame.data()};

    int faces = 0, visible = 0;
    int frame_number = 0;
    for (auto _ : state) {
        Matrix4 view, rotation;
        const float turn = 0.05f * std::sin(0.01f * float(frame_number++)); // sway, stay in view
        camera_build_view(0, 0, -500, 1, 1, 1, 0, turn, 0, view, rotation);
        std::fill(frame.begin(), frame.end(), 0);
        render_list_reset();
        object_transform(land, view, TRANSFORM_POSITIONS);
        render_list_add(land, 80, 4000, 400, 160, 120);
        Object3D* list = render_list_get();
        render_list_project(list, 400);
        draw_object_perspective(&target, list, 160, 120, 1, textures);
        benchmark::ClobberMemory();
        faces = list->face_count;
    }
    const Object3D* list = render_list_get();
    for (int i = 0; i < list->face_count; i++) visible += list->faces[i].visible;
    state.counters["faces"] = faces;
    state.counters["front"] = visible;
    state.counters["frames/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    object_destroy(&land);
}

BENCHMARK(BM_render_list_frame)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
