// The reading of an answer typed at a question.
#include "platform/ask.h"

#include <cstdint>
#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<char> line(data, data + size);
    line.push_back(0);
    int value = 0;
    if (ask_parse_answer(line.data(), 8000, 44100, &value) && (value < 8000 || value > 44100))
        __builtin_trap(); // an answer out of range must never be taken
    return 0;
}
