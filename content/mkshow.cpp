// mkshow: writes the show's data tree into the folder given on the command line.
#include "content/content.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT-DIR\n", argv[0]);
        return 2;
    }
    const std::string root = argv[1];
    if (mkdir(root.c_str(), 0777) != 0 && errno != EEXIST) {
        std::fprintf(stderr, "mkshow: cannot create %s: %s\n", root.c_str(), std::strerror(errno));
        return 1;
    }
    const bool ok = content_write_pictures(root) && content_write_blob(root) &&
                    content_write_city(root) && content_write_land(root) &&
                    content_write_music(root);
    return ok ? 0 : 1;
}
