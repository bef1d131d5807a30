// The parser of tar's listing lines.
#include "data/files.h"

#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<char> line(data, data + size);
    line.push_back(0);
    long member_size = 0;
    archive_listing_match(line.data(), "grafika/pic.pcx", &member_size);
    return 0;
}
