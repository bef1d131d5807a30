#include "content/content.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

bool content_make_dir(const std::string& root, const std::string& relative)
{
    std::string path = root;
    size_t start = 0;
    while (start <= relative.size()) {
        const size_t slash = relative.find('/', start);
        const size_t end = slash == std::string::npos ? relative.size() : slash;
        if (end > start) {
            path += '/';
            path.append(relative, start, end - start);
            if (mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) {
                std::fprintf(stderr, "mkshow: cannot create %s: %s\n", path.c_str(),
                             std::strerror(errno));
                return false;
            }
        }
        start = end + 1;
    }
    return true;
}
