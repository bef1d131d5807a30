#include "driver/options.h"

#include "platform/ask.h"
#include "platform/display.h"
#include "platform/start_path.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

// Back-ends without options of their own (a program links exactly one back-end; one that
// defines these wins over the weak defaults).
__attribute__((weak)) int display_option(int, char**, int)
{
    return 0;
}

__attribute__((weak)) const char* display_options_help()
{
    return "";
}

static const char* options_base_name(const char* path)
{
    const char* slash = std::strrchr(path, '/');
    return slash != nullptr ? slash + 1 : path;
}

void demo_print_version(const char* program)
{
    std::printf("%s (vantor6) %s\n", options_base_name(program), VANTOR_VERSION);
}

static void options_usage(const char* program)
{
    std::printf("usage: %s [options]\n"
                "The vantor6 demo. It asks about the music and the display on the terminal,\n"
                "unless the options answer beforehand, then plays the show.\n"
                "  --data DIR      the show's data tree (default: the current directory when it\n"
                "                  holds one, else the show installed with the program,\n"
                "                  %s)\n"
                "%s"
                "%s"
                "  --help          this text\n"
                "  --version       the program's version\n",
                program, VANTOR_DATA_DIR, ask_options_help(), display_options_help());
}

static bool options_is_data_tree(const std::string& dir)
{
    struct stat st;
    const std::string music = dir + "/music/vantor6.xm", pictures = dir + "/grafika";
    return stat(music.c_str(), &st) == 0 ||
           (stat(pictures.c_str(), &st) == 0 && S_ISDIR(st.st_mode));
}

// The folder the running program lies in.
static std::string options_program_dir()
{
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return "";
    path[n] = '\0';
    char* slash = std::strrchr(path, '/');
    if (slash == nullptr) return "";
    *slash = '\0';
    return path;
}

bool demo_enter_data(const char* dir, const char* program)
{
    // Named while we are still there.
    demo_start_dir();
    if (dir != nullptr) {
        if (chdir(dir) == 0) return true;
        std::fprintf(stderr, "%s: cannot enter the data tree %s: %s\n", program, dir,
                     std::strerror(errno));
        return false;
    }
    if (options_is_data_tree(".")) return true;
    // Installed: the tree is in ../share/vantor6 from the program's folder, wherever the
    // installation was put; in the build, the programs are copied into the tree itself.
    const std::string here = options_program_dir();
    if (!here.empty())
        for (const std::string& candidate : {here + "/" + VANTOR_DATA_FROM_BIN, here})
            if (options_is_data_tree(candidate) && chdir(candidate.c_str()) == 0) return true;
    if (options_is_data_tree(VANTOR_DATA_DIR) && chdir(VANTOR_DATA_DIR) == 0) return true;
    // Nothing found: the show starts here and says which file it misses.
    return true;
}

int demo_options(int argc, char** argv)
{
    const char* program = argc > 0 ? argv[0] : "vantor";
    const char* data_dir = nullptr;
    for (int i = 1; i < argc; i++) {
        const char* opt = argv[i];
        if (std::strcmp(opt, "--help") == 0) {
            options_usage(program);
            return 0;
        }
        if (std::strcmp(opt, "--version") == 0) {
            demo_print_version(program);
            return 0;
        }
        if (std::strcmp(opt, "--data") == 0) {
            if (i + 1 == argc) {
                std::fprintf(stderr, "%s: --data needs a directory\n", program);
                return 2;
            }
            data_dir = argv[++i];
            continue;
        }
        int taken = ask_option(argc, argv, i);
        if (taken == 0) taken = display_option(argc, argv, i);
        if (taken > 0) {
            i += taken - 1;
            continue;
        }
        if (taken == 0) std::fprintf(stderr, "%s: unknown option %s\n", program, opt);
        std::fprintf(stderr, "Try '%s --help'.\n", program);
        return 2;
    }
    return demo_enter_data(data_dir, program) ? -1 : 2;
}
