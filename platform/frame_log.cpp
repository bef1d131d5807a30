#include "platform/frame_log.h"

#include "platform/show.h"
#include "platform/start_path.h"

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

int log_fd = -1;
int segment;
bool in_blank_step;
int64_t frame_start_us;
int32_t frame_period_ms;

int64_t clock_us(clockid_t clock)
{
    timespec ts;
    clock_gettime(clock, &ts);
    return int64_t(ts.tv_sec) * 1000000 + ts.tv_nsec / 1000;
}

// One write per line: nothing is buffered that a fork could duplicate or an exit could lose.
void log_line(const char* format, ...) __attribute__((format(printf, 1, 2)));
void log_line(const char* format, ...)
{
    char line[256];
    va_list args;
    va_start(args, format);
    const int n = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    if (n > 0 && write(log_fd, line, std::min(size_t(n), sizeof line - 1)) < 0) {
        // A full disk or a vanished file only costs the log, never the show.
        close(log_fd);
        log_fd = -1;
    }
}

// The first 4 kB of a file of /proc, which hold the fields read here; "" when unreadable.
std::string proc_text(const char* path)
{
    char text[4096];
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return "";
    const ssize_t n = read(fd, text, sizeof text);
    close(fd);
    return n > 0 ? std::string(text, size_t(n)) : "";
}

// The process's start on the monotonic clock. The kernel keeps it in clock ticks since boot,
// taken at the fork that the exec followed.
int64_t process_start_us()
{
    const std::string stat = proc_text("/proc/self/stat");
    // The command name in parentheses may hold spaces: the fields count from its end. The
    // start time is field 22, the 20th after the name.
    size_t field = stat.rfind(')');
    for (int i = 0; field != std::string::npos && i < 20; i++) field = stat.find(' ', field + 1);
    const long per_second = sysconf(_SC_CLK_TCK);
    if (field == std::string::npos || per_second <= 0) return 0;
    const unsigned long long ticks = std::strtoull(stat.c_str() + field + 1, nullptr, 10);
    const int64_t since_start = clock_us(CLOCK_BOOTTIME) - int64_t(ticks * 1000000 / per_second);
    return clock_us(CLOCK_MONOTONIC) - since_start;
}

// VmHWM from /proc/self/status, in kB; 0 when it cannot be read.
long own_peak_kb()
{
    const std::string status = proc_text("/proc/self/status");
    const size_t line = status.find("VmHWM:");
    return line != std::string::npos ? std::strtol(status.c_str() + line + 6, nullptr, 10) : 0;
}

} // namespace

void frame_log_open()
{
    const char* name = std::getenv("VANTOR_FRAME_LOG");
    if (name == nullptr || *name == '\0' || log_fd >= 0) return;
    const std::string path = demo_start_path(name);
    log_fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_CLOEXEC, 0644);
    if (log_fd < 0) {
        std::fprintf(stderr, "vantor: cannot write the frame log %s: %s\n", path.c_str(),
                     std::strerror(errno));
        return;
    }
    frame_start_us = clock_us(CLOCK_MONOTONIC);
    log_line("start %lld %lld\n", static_cast<long long>(process_start_us()),
             static_cast<long long>(frame_start_us));
}

void frame_log_blank_begin()
{
    in_blank_step = true;
}

void frame_log_blank_end()
{
    in_blank_step = false;
    segment++;
    frame_start_us = clock_us(CLOCK_MONOTONIC);
    frame_period_ms = 0;
}

void frame_log_frame_start(int32_t period_ms)
{
    frame_start_us = clock_us(CLOCK_MONOTONIC);
    frame_period_ms = period_ms;
}

void frame_log_peak(const char* process, long kilobytes)
{
    if (log_fd >= 0 && kilobytes > 0) log_line("peak %s %ld\n", process, kilobytes);
}

void frame_log_close()
{
    if (log_fd < 0) return;
    frame_log_peak("parent", own_peak_kb());
    close(log_fd);
    log_fd = -1;
}

FrameLogPresent::FrameLogPresent() : begin_us(log_fd >= 0 ? clock_us(CLOCK_MONOTONIC) : 0) {}

FrameLogPresent::~FrameLogPresent()
{
    if (log_fd < 0) return;
    const int64_t end_us = clock_us(CLOCK_MONOTONIC);
    log_line("frame %s %lld %lld %lld %lld %d\n",
             in_blank_step ? "blank" : demo_segment_name(segment), static_cast<long long>(end_us),
             static_cast<long long>(begin_us - frame_start_us),
             static_cast<long long>(end_us - begin_us),
             static_cast<long long>(clock_us(CLOCK_PROCESS_CPUTIME_ID)),
             in_blank_step ? 0 : frame_period_ms);
    // A scene that presents again without a frame wait starts its next frame here.
    frame_start_us = end_us;
    frame_period_ms = 0;
}
