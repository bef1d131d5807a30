// xm_render MODULE OUT.wav [MODE]: plays a module to its end through libmikmod's WAV disk
// writer, with the demo's mixer settings and no sound device. MODE is the demo's output-mode
// answer (1 8-bit mono ... 4 16-bit stereo, the default). Prints the song's length in seconds.
#include <cstdio>
#include <cstdlib>
#include <mikmod.h>
#include <string>

int main(int argc, char** argv)
{
    const int mode = argc == 4 ? std::atoi(argv[3]) : 4;
    if ((argc != 3 && argc != 4) || mode < 1 || mode > 4) {
        std::fprintf(stderr, "usage: %s MODULE OUT.wav [1-4]\n", argv[0]);
        return 2;
    }
    MikMod_RegisterAllLoaders();
    MikMod_RegisterAllDrivers();
    md_device = UWORD(MikMod_DriverFromAlias("wav"));
    md_mixfreq = 44100;
    md_mode = DMODE_SOFT_MUSIC;
    if (mode == 2 || mode == 4) md_mode |= DMODE_STEREO;
    if (mode >= 3) md_mode |= DMODE_16BITS;
    md_volume = 96;
    md_musicvolume = 128;
    md_pansep = 128;
    md_reverb = 0;
    const std::string options = std::string("file=") + argv[2];
    if (MikMod_Init(options.c_str()) != 0) {
        std::fprintf(stderr, "MikMod_Init: %s\n", MikMod_strerror(MikMod_errno));
        return 1;
    }
    MODULE* module = Player_Load(argv[1], 64, 0);
    if (module == nullptr) {
        std::fprintf(stderr, "Player_Load: %s\n", MikMod_strerror(MikMod_errno));
        MikMod_Exit();
        return 1;
    }
    module->loop = 0;
    module->wrap = 0;
    Player_Start(module);
    // Each update writes 32768 bytes (0.19 s); ten minutes is far beyond any tune of ours.
    long updates = 0;
    while (Player_Active() && updates < 3300) {
        MikMod_Update();
        updates++;
    }
    const bool ended = !Player_Active();
    std::printf("%.2f\n", module->sngtime / 1024.0);
    Player_Stop();
    Player_Free(module);
    MikMod_Exit();
    return ended ? 0 : 1;
}
