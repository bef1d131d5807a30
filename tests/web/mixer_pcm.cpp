// Writes the start of the show's music as the programs mix it: raw 16-bit stereo PCM at 44.1 kHz.
// Built twice, against the system's libmikmod and for the browser against ours, so the two
// outputs can be compared byte for byte.
//   mixer_pcm MODULE SECONDS OUT
#include "music/audio.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s MODULE SECONDS OUT\n", argv[0]);
        return 2;
    }
    const int seconds = std::atoi(argv[2]);
    FILE* out = std::fopen(argv[3], "wb");
    if (seconds <= 0 || out == nullptr || !audio_open("mixer_pcm", argv[1])) return 1;
    // Blocks of the page's size, so the player's end checks fall where they do there.
    constexpr size_t block = 2048;
    std::vector<int16_t> pcm(block * AUDIO_CHANNELS);
    for (size_t left = size_t(seconds) * AUDIO_RATE; left > 0;) {
        const size_t n = left < block ? left : block;
        audio_render(pcm.data(), n);
        if (std::fwrite(pcm.data(), sizeof(int16_t) * AUDIO_CHANNELS, n, out) != n) return 1;
        left -= n;
    }
    audio_close();
    return std::fclose(out) == 0 ? 0 : 1;
}
