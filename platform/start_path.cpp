#include "platform/start_path.h"

#include <cstdlib>
#include <unistd.h>

const std::string& demo_start_dir()
{
    static const std::string start = [] {
        char* here = getcwd(nullptr, 0);
        const std::string name = here != nullptr ? here : "";
        std::free(here);
        return name;
    }();
    return start;
}

std::string demo_start_path(const std::string& path)
{
    if (path.empty() || path[0] == '/' || demo_start_dir().empty()) return path;
    return demo_start_dir() + "/" + path;
}
