// Cost of one present of the framebuffer back-end, per layout and depth: the fake device's
// memory stands in for the mapped framebuffer, so this is the conversion and copy alone.
// Layout 1 is the frame centred on 640x480, layout 2 doubled on 640x480, layout 3 stretched
// over 800x600.
#include "display/fb/fb_device_fake.h"
#include "platform/display.h"

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// Runs what with standard output on /dev/null.
template <typename What>
void quietly(What what)
{
    std::fflush(stdout);
    const int saved = dup(STDOUT_FILENO);
    const int null = open("/dev/null", O_WRONLY);
    dup2(null, STDOUT_FILENO);
    what();
    std::fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(null);
    close(saved);
}

// display_open asks its question on standard input.
void open_with(int answer)
{
    int fds[2];
    if (pipe(fds) != 0) return;
    const std::string text = std::to_string(answer) + "\n";
    if (write(fds[1], text.data(), text.size()) < 0) return;
    close(fds[1]);
    dup2(fds[0], STDIN_FILENO);
    close(fds[0]);
    std::clearerr(stdin);
    display_open(0, nullptr, "bench", 320, 240);
}

void BM_present(benchmark::State& state)
{
    const int layout = int(state.range(0));
    const uint32_t bits = uint32_t(state.range(1));
    if (layout == 3)
        fb_fake_reset(800, 600, bits);
    else
        fb_fake_reset(640, 480, bits);
    quietly([&] { open_with(layout); });

    std::vector<uint8_t> pixels(320 * 240);
    for (size_t i = 0; i < pixels.size(); i++) pixels[i] = uint8_t(i * 7 + i / 320);
    Image frame{320, 240, pixels.data()};
    std::vector<uint8_t> palette(768);
    for (size_t i = 0; i < palette.size(); i++) palette[i] = uint8_t(i * 5);
    display_set_palette(palette.data());
    for (auto _ : state) {
        display_present(&frame);
        benchmark::ClobberMemory();
    }
    const double screen_pixels = layout == 1 ? 320 * 240 : layout == 2 ? 640 * 480 : 800 * 600;
    state.counters["screen_pixels"] =
        benchmark::Counter(screen_pixels * double(state.iterations()), benchmark::Counter::kIsRate);
    quietly([] { display_close(); });
}

} // namespace

BENCHMARK(BM_present)
    ->ArgNames({"layout", "bits"})
    ->ArgsProduct({{1, 2, 3}, {8, 16, 32}})
    ->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
