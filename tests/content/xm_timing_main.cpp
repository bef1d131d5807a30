// xm_timing MODULE: when each order position starts, and when the song ends, in ms.
//   order O pattern P rows R start MS row MS
//   end MS last-row MS
#include "xm_timing.h"

#include <cstdio>
#include <fstream>
#include <iterator>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s MODULE\n", argv[0]);
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "%s: cannot read %s\n", argv[0], argv[1]);
        return 1;
    }
    const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in), {}};
    XmTiming timing;
    const std::string problem = xm_timing_read(file, &timing);
    if (!problem.empty()) {
        std::fprintf(stderr, "%s: %s: %s\n", argv[0], argv[1], problem.c_str());
        return 1;
    }
    for (size_t i = 0; i < timing.orders.size(); i++) {
        const XmOrderTime& o = timing.orders[i];
        std::printf("order %zu pattern %d rows %d start %.3f row %.3f\n", i, o.pattern, o.rows,
                    o.start_ms, o.row_ms);
    }
    std::printf("end %.3f last-row %.3f\n", timing.end_ms, timing.last_row_ms);
    return 0;
}
