#include "capture/capture_ffmpeg.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <strings.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

static pid_t ffmpeg_pid = -1;
static int video_fd = -1;
static int audio_fd = -1;
static std::vector<uint8_t> audio_queue; // samples ffmpeg has not taken yet
static size_t audio_queue_start;
static bool ffmpeg_failed;

// The descriptors the child reads its two inputs from.
constexpr int FFMPEG_VIDEO_FD = 3;
constexpr int FFMPEG_AUDIO_FD = 4;

static bool ffmpeg_is_mp4(const std::string& path)
{
    return path.size() >= 4 && strcasecmp(path.c_str() + path.size() - 4, ".mp4") == 0;
}

// The argument vector the child is started with.
static std::vector<std::string> ffmpeg_arguments(const FfmpegJob& job)
{
    std::vector<std::string> a = {"ffmpeg", "-hide_banner", "-nostdin", "-loglevel", "error", "-y"};
    // Both inputs are fully described here, so ffmpeg need not read ahead to learn them: while
    // it looks into one pipe, nothing more arrives on the other.
    a.insert(a.end(), {"-probesize", "32", "-analyzeduration", "0", "-f", "rawvideo",
                       "-pixel_format", "rgb24", "-video_size",
                       std::to_string(job.width) + "x" + std::to_string(job.height), "-framerate",
                       std::to_string(job.fps), "-i", "pipe:" + std::to_string(FFMPEG_VIDEO_FD)});
    a.insert(a.end(), {"-probesize", "32", "-analyzeduration", "0", "-f", "s16le", "-ar",
                       std::to_string(job.sample_rate), "-ac", "2", "-i",
                       "pipe:" + std::to_string(FFMPEG_AUDIO_FD)});
    // H.264 and AAC in 4:2:0: what every player and video site takes.
    a.insert(a.end(), {"-map", "0:v:0", "-map", "1:a:0", "-c:v", "libx264", "-preset", "veryfast",
                       "-crf", "18", "-pix_fmt", "yuv420p", "-c:a", "aac", "-b:a", "192k"});
    if (ffmpeg_is_mp4(job.path)) a.insert(a.end(), {"-movflags", "+faststart"});
    // "file:" keeps a name that starts with '-' or holds ':' a plain file name.
    a.push_back("file:" + job.path);
    return a;
}

// In the child: the pipes' read ends become descriptors 3 and 4, then ffmpeg replaces us.
// An exec failure is reported through report_fd, which the exec closes otherwise.
[[noreturn]] static void ffmpeg_child(const std::vector<std::string>& args, int video_in,
                                      int audio_in, int report_fd)
{
    std::signal(SIGPIPE, SIG_DFL);
    // Should the capture die without closing the pipes, the encoder goes too.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    const int v = fcntl(video_in, F_DUPFD, 10), au = fcntl(audio_in, F_DUPFD, 10);
    if (v < 0 || au < 0 || dup2(v, FFMPEG_VIDEO_FD) < 0 || dup2(au, FFMPEG_AUDIO_FD) < 0)
        _exit(127);
    close(v);
    close(au);
    // Whatever else is open here (the WAV file, the harness's descriptors) is not ffmpeg's.
    close_range(FFMPEG_AUDIO_FD + 1, ~0u, CLOSE_RANGE_CLOEXEC);
    const int null_fd = open("/dev/null", O_RDWR);
    if (null_fd >= 0) {
        dup2(null_fd, STDIN_FILENO);
        dup2(null_fd, STDOUT_FILENO);
        if (null_fd > FFMPEG_AUDIO_FD) close(null_fd);
    }
    std::vector<char*> argv;
    for (const std::string& s : args) argv.push_back(const_cast<char*>(s.c_str()));
    argv.push_back(nullptr);
    execvp(argv[0], argv.data());
    const int error = errno;
    if (write(report_fd, &error, sizeof error) < 0) _exit(127);
    _exit(127);
}

static void ffmpeg_close_fds(std::initializer_list<int> fds)
{
    for (int fd : fds)
        if (fd >= 0) close(fd);
}

bool ffmpeg_start(const FfmpegJob& job)
{
    const std::vector<std::string> args = ffmpeg_arguments(job);
    // A failed pipe2 leaves its pair as it was: -1, nothing to close.
    int video[2] = {-1, -1}, audio[2] = {-1, -1}, report[2] = {-1, -1};
    if (pipe2(video, O_CLOEXEC) != 0 || pipe2(audio, O_CLOEXEC) != 0 ||
        pipe2(report, O_CLOEXEC) != 0) {
        const int error = errno;
        ffmpeg_close_fds({video[0], video[1], audio[0], audio[1], report[0], report[1]});
        std::fprintf(stderr, "vantor-capture: cannot make the pipes to ffmpeg: %s\n",
                     std::strerror(error));
        return false;
    }
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) ffmpeg_child(args, video[0], audio[0], report[1]);
    ffmpeg_close_fds({video[0], audio[0], report[1]});
    if (pid < 0) {
        ffmpeg_close_fds({video[1], audio[1], report[0]});
        std::fprintf(stderr, "vantor-capture: cannot start ffmpeg: %s\n", std::strerror(errno));
        return false;
    }
    int error = 0;
    ssize_t got;
    while ((got = read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
    }
    close(report[0]);
    ffmpeg_pid = pid;
    video_fd = video[1];
    audio_fd = audio[1];
    ffmpeg_failed = false;
    audio_queue.clear();
    audio_queue_start = 0;
    if (got > 0) {
        ffmpeg_finish();
        if (error == ENOENT)
            std::fprintf(stderr, "vantor-capture: ffmpeg is not installed; it makes the video "
                                 "(Debian: apt-get install ffmpeg)\n");
        else
            std::fprintf(stderr, "vantor-capture: cannot run ffmpeg: %s\n", std::strerror(error));
        return false;
    }
    // A closed pipe must become an error to look at, not the end of the capture. For the rest
    // of the run: the results on standard output are checked after every line instead.
    std::signal(SIGPIPE, SIG_IGN);
    fcntl(video_fd, F_SETFL, O_NONBLOCK);
    fcntl(audio_fd, F_SETFL, O_NONBLOCK);
    return true;
}

// Writes what the pipe takes without waiting; false when the reader has gone.
static bool ffmpeg_push(int fd, const uint8_t* data, size_t* done, size_t size)
{
    while (*done < size) {
        const ssize_t n = write(fd, data + *done, size - *done);
        if (n > 0) {
            *done += size_t(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        return n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }
    return true;
}

static bool ffmpeg_push_audio()
{
    if (audio_fd < 0) return true;
    const bool ok =
        ffmpeg_push(audio_fd, audio_queue.data(), &audio_queue_start, audio_queue.size());
    if (audio_queue_start == audio_queue.size()) {
        audio_queue.clear();
        audio_queue_start = 0;
    }
    return ok;
}

// Feeds the video bytes and the queued samples until the video bytes are all taken. Without
// video bytes it only hands over what the audio pipe takes now: ffmpeg may be waiting for a
// frame before it reads more samples.
static bool ffmpeg_pump(const uint8_t* rgb, size_t rgb_bytes)
{
    size_t done = 0;
    for (;;) {
        if (!ffmpeg_push_audio()) return false;
        if (!ffmpeg_push(video_fd, rgb, &done, rgb_bytes)) return false;
        if (done == rgb_bytes) return true;
        pollfd fds[2] = {{video_fd, POLLOUT, 0}, {audio_fd, POLLOUT, 0}};
        if (audio_queue.empty()) fds[1].fd = -1;
        if (poll(fds, 2, -1) < 0 && errno != EINTR) return false;
        if ((fds[0].revents | fds[1].revents) & (POLLERR | POLLNVAL)) return false;
    }
}

// After the last frame: the rest of the samples, waiting as long as ffmpeg needs.
static bool ffmpeg_drain_audio()
{
    while (!audio_queue.empty()) {
        if (!ffmpeg_push_audio()) return false;
        if (audio_queue.empty()) break;
        pollfd fd = {audio_fd, POLLOUT, 0};
        if (poll(&fd, 1, -1) < 0 && errno != EINTR) return false;
        if (fd.revents & (POLLERR | POLLNVAL)) return false;
    }
    return true;
}

bool ffmpeg_write(const uint8_t* rgb, size_t rgb_bytes, const int16_t* samples, size_t sample_bytes)
{
    if (ffmpeg_pid < 0 || ffmpeg_failed) return false;
    const auto* bytes = reinterpret_cast<const uint8_t*>(samples);
    audio_queue.insert(audio_queue.end(), bytes, bytes + sample_bytes);
    if (!ffmpeg_pump(rgb, rgb_bytes)) ffmpeg_failed = true;
    return !ffmpeg_failed;
}

bool ffmpeg_finish()
{
    if (ffmpeg_pid < 0) return false;
    // The end of the frames first: ffmpeg then reads the remaining samples without waiting
    // for another frame.
    ffmpeg_close_fds({video_fd});
    video_fd = -1;
    if (!ffmpeg_failed && !ffmpeg_drain_audio()) ffmpeg_failed = true;
    ffmpeg_close_fds({audio_fd});
    audio_fd = -1;
    int status = 0;
    while (waitpid(ffmpeg_pid, &status, 0) < 0 && errno == EINTR) {
    }
    ffmpeg_pid = -1;
    audio_queue.clear();
    audio_queue_start = 0;
    const bool ok = !ffmpeg_failed && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!ok && WIFEXITED(status) && WEXITSTATUS(status) != 127)
        std::fprintf(stderr, "vantor-capture: ffmpeg failed (exit status %d)\n",
                     WEXITSTATUS(status));
    else if (!ok && WIFSIGNALED(status))
        std::fprintf(stderr, "vantor-capture: ffmpeg ended by signal %d\n", WTERMSIG(status));
    return ok;
}
