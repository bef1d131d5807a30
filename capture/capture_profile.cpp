#include "capture/capture_profile.h"

#include "platform/show.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

const Clock::time_point run_start = Clock::now();
Clock::time_point last_present_end;
bool presented;
std::map<int, std::vector<double>> render_ms; // by segment

double percentile(const std::vector<double>& sorted, double p)
{
    return sorted[std::min(sorted.size() - 1, size_t(p * double(sorted.size() - 1) + 0.5))];
}

} // namespace

void profile_present_begin(int segment)
{
    const Clock::time_point now = Clock::now();
    if (presented)
        render_ms[segment].push_back(
            std::chrono::duration<double, std::milli>(now - last_present_end).count());
}

void profile_present_end()
{
    last_present_end = Clock::now();
    presented = true;
}

void profile_report(FILE* out, bool json)
{
    const double wall = std::chrono::duration<double>(Clock::now() - run_start).count();
    if (json) std::fprintf(out, "{\"scenes\": [");
    const char* separator = "";
    for (auto& [segment, times] : render_ms) {
        // Every segment ends with the blank step's cleared frame: not the scene's.
        if (!times.empty()) times.pop_back();
        if (times.empty() || std::strcmp(demo_segment_name(segment), "blank") == 0) continue;
        std::sort(times.begin(), times.end());
        const char* name = demo_segment_name(segment);
        const double median = percentile(times, 0.5), p99 = percentile(times, 0.99);
        if (json) {
            std::fprintf(out,
                         "%s\n  {\"scene\": \"%s\", \"frames\": %zu, \"median_ms\": %.4f, "
                         "\"p99_ms\": %.4f, \"max_ms\": %.4f}",
                         separator, name, times.size(), median, p99, times.back());
            separator = ",";
        } else {
            std::fprintf(out,
                         "profile %-14s frames %5zu median %8.4f ms p99 %8.4f ms max %8.4f ms\n",
                         name, times.size(), median, p99, times.back());
        }
    }
    if (json)
        std::fprintf(out, "\n], \"wall_s\": %.3f}\n", wall);
    else
        std::fprintf(out, "profile wall %.3f s\n", wall);
}
