// "music/vantor6.xm": the tune, checked and written.
#include "content/content.h"
#include "content/music/tune.h"
#include "data/files.h"

#include <cstdio>

bool content_write_music(const std::string& root)
{
    if (!content_make_dir(root, "music")) return false;
    const XmModule module = tune_module();
    const std::string problem = xm_check(module);
    if (!problem.empty()) {
        std::fprintf(stderr, "mkshow: the tune is not a valid module: %s\n", problem.c_str());
        return false;
    }
    const std::vector<uint8_t> bytes = xm_encode(module);
    const std::string path = root + "/music/vantor6.xm";
    return file_write_all(path.c_str(), bytes.data(), bytes.size()) == 0;
}
