#include "capture/capture_ffmpeg.h"

#include <algorithm>
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
static int frame_width, frame_height;
static std::vector<uint8_t> video_header; // the stream's header, sent before the first frame
static std::vector<uint8_t> frame;        // the last frame's cluster: its header and pixels
static int64_t frame_start_ms = -1, frame_length_ms;

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
    // Both inputs are fully described by what comes first, so ffmpeg need not read ahead to
    // learn them: while it looks into one pipe, nothing more arrives on the other.
    a.insert(a.end(), {"-probesize", "32", "-analyzeduration", "0", "-f", "matroska", "-i",
                       "pipe:" + std::to_string(FFMPEG_VIDEO_FD)});
    a.insert(a.end(), {"-probesize", "32", "-analyzeduration", "0", "-f", "s16le", "-ar",
                       std::to_string(job.sample_rate), "-ac", "2", "-i",
                       "pipe:" + std::to_string(FFMPEG_AUDIO_FD)});
    // Every pixel becomes a block of scale x scale, repeated, not smoothed; each frame stays
    // as long as the show holds it (a variable frame rate, kept to the millisecond).
    const std::string scale = std::to_string(job.scale);
    a.insert(a.end(),
             {"-map", "0:v:0", "-map", "1:a:0", "-vf",
              "scale=iw*" + scale + ":ih*" + scale + ":flags=neighbor", "-fps_mode", "vfr"});
    // H.264 and AAC in 4:2:0: what every player and video site takes (4:4:4 would keep colour
    // edges sharper, but browsers and hardware decoders refuse it). x264's fast analysis with
    // its macroblock tree, which spends the bits where later frames look back, tuned for flat
    // colours and hard edges: three fifths of the processor time of "veryfast" for a file of
    // the same size. The quality is a little below transparent for the textures' finest grain,
    // which halves the file; a key frame at least every 250 frames (12-18 s of the show).
    a.insert(a.end(), {"-c:v", "libx264", "-preset", "superfast", "-tune", "animation",
                       "-x264-params", "mbtree=1:rc-lookahead=10", "-crf", "28", "-g", "250",
                       "-pix_fmt", "yuv420p", "-c:a", "aac", "-b:a", "192k"});
    if (ffmpeg_is_mp4(job.path)) a.insert(a.end(), {"-movflags", "+faststart"});
    // "file:" keeps a name that starts with '-' or holds ':' a plain file name.
    a.push_back("file:" + job.path);
    return a;
}

// The video pipe carries a Matroska stream of the least that ffmpeg reads: a header with one
// track of uncompressed RGB, then a cluster per frame holding its time and its length in
// milliseconds. Sizes are written as 8-byte numbers, the segment's as unknown: a stream.
static void mkv_size(std::vector<uint8_t>* out, uint64_t size)
{
    out->push_back(0x01);
    for (int i = 6; i >= 0; i--) out->push_back(uint8_t(size >> (8 * i)));
}

static void mkv_id(std::vector<uint8_t>* out, uint32_t id)
{
    int bytes = id > 0xffffff ? 4 : id > 0xffff ? 3 : id > 0xff ? 2 : 1;
    while (bytes-- > 0) out->push_back(uint8_t(id >> (8 * bytes)));
}

static void mkv_bytes(std::vector<uint8_t>* out, uint32_t id, const void* data, size_t size)
{
    mkv_id(out, id);
    mkv_size(out, size);
    const auto* p = static_cast<const uint8_t*>(data);
    out->insert(out->end(), p, p + size);
}

static void mkv_uint(std::vector<uint8_t>* out, uint32_t id, uint64_t value)
{
    uint8_t be[8];
    for (int i = 0; i < 8; i++) be[i] = uint8_t(value >> (8 * (7 - i)));
    mkv_bytes(out, id, be, sizeof be);
}

static void mkv_string(std::vector<uint8_t>* out, uint32_t id, const char* text)
{
    mkv_bytes(out, id, text, std::strlen(text));
}

static std::vector<uint8_t> mkv_header(int width, int height)
{
    std::vector<uint8_t> ebml, info, video, track, tracks, out;
    mkv_uint(&ebml, 0x4286, 1);            // EBMLVersion
    mkv_uint(&ebml, 0x42f7, 1);            // EBMLReadVersion
    mkv_uint(&ebml, 0x42f2, 4);            // EBMLMaxIDLength
    mkv_uint(&ebml, 0x42f3, 8);            // EBMLMaxSizeLength
    mkv_string(&ebml, 0x4282, "matroska"); // DocType
    mkv_uint(&ebml, 0x4287, 4);            // DocTypeVersion
    mkv_uint(&ebml, 0x4285, 2);            // DocTypeReadVersion
    mkv_bytes(&out, 0x1a45dfa3, ebml.data(), ebml.size());
    mkv_id(&out, 0x18538067); // Segment, of unknown size
    out.insert(out.end(), {0x01, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff, 0xff});
    mkv_uint(&info, 0x2ad7b1, 1000000);          // TimestampScale: milliseconds
    mkv_string(&info, 0x4d80, "vantor-capture"); // MuxingApp
    mkv_string(&info, 0x5741, "vantor-capture"); // WritingApp
    mkv_bytes(&out, 0x1549a966, info.data(), info.size());
    mkv_uint(&video, 0xb0, uint64_t(width));    // PixelWidth
    mkv_uint(&video, 0xba, uint64_t(height));   // PixelHeight
    mkv_bytes(&video, 0x2eb524, "RGB\x18", 4);  // ColourSpace: 24-bit RGB
    mkv_uint(&track, 0xd7, 1);                  // TrackNumber
    mkv_uint(&track, 0x73c5, 1);                // TrackUID
    mkv_uint(&track, 0x83, 1);                  // TrackType: video
    mkv_uint(&track, 0x9c, 0);                  // FlagLacing
    mkv_string(&track, 0x86, "V_UNCOMPRESSED"); // CodecID
    mkv_bytes(&track, 0xe0, video.data(), video.size());
    mkv_bytes(&tracks, 0xae, track.data(), track.size());
    mkv_bytes(&out, 0x1654ae6b, tracks.data(), tracks.size());
    return out;
}

// The bytes before a frame's pixels: Cluster { Timestamp, BlockGroup { BlockDuration,
// Block { track 1, relative time 0, no flags, the pixels } } }.
static void mkv_frame_header(std::vector<uint8_t>* out, int64_t start_ms, int64_t length_ms,
                             size_t frame_bytes)
{
    constexpr size_t block_head = 4, uint_element = 1 + 8 + 8, size_id = 8;
    const size_t block = block_head + frame_bytes;
    const size_t group = uint_element + 1 + size_id + block;
    const size_t cluster = uint_element + 1 + size_id + group;
    out->clear();
    mkv_id(out, 0x1f43b675); // Cluster
    mkv_size(out, cluster);
    mkv_uint(out, 0xe7, uint64_t(start_ms)); // Timestamp
    mkv_id(out, 0xa0);                       // BlockGroup
    mkv_size(out, group);
    mkv_uint(out, 0x9b, uint64_t(length_ms)); // BlockDuration
    mkv_id(out, 0xa1);                        // Block
    mkv_size(out, block);
    out->insert(out->end(), {0x81, 0x00, 0x00, 0x00});
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
    frame_width = job.width;
    frame_height = job.height;
    video_header = mkv_header(job.width, job.height);
    frame.clear();
    frame_start_ms = -1;
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
static bool ffmpeg_pump(const uint8_t* video, size_t video_bytes)
{
    size_t done = 0;
    for (;;) {
        if (!ffmpeg_push_audio()) return false;
        if (!ffmpeg_push(video_fd, video, &done, video_bytes)) return false;
        if (done == video_bytes) return true;
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

// Sends the cluster in frame, with the stream's header before the first one.
static bool ffmpeg_send_frame()
{
    if (!video_header.empty()) {
        if (!ffmpeg_pump(video_header.data(), video_header.size())) return false;
        video_header.clear();
    }
    return ffmpeg_pump(frame.data(), frame.size());
}

bool ffmpeg_write(const uint8_t* rgb, int64_t start_ms, int64_t length_ms, const int16_t* samples,
                  size_t sample_bytes)
{
    if (ffmpeg_pid < 0 || ffmpeg_failed) return false;
    const auto* bytes = reinterpret_cast<const uint8_t*>(samples);
    audio_queue.insert(audio_queue.end(), bytes, bytes + sample_bytes);
    const size_t frame_bytes = size_t(frame_width) * frame_height * 3;
    mkv_frame_header(&frame, start_ms, length_ms, frame_bytes);
    frame.insert(frame.end(), rgb, rgb + frame_bytes);
    frame_start_ms = start_ms;
    frame_length_ms = length_ms;
    if (!ffmpeg_send_frame()) ffmpeg_failed = true;
    return !ffmpeg_failed;
}

// The encoder gives the last frame of a stream the shortest length there is, one millisecond:
// a copy of it a millisecond before its end makes the video last to the end of the show.
static bool ffmpeg_close_video()
{
    if (frame_start_ms < 0 || frame_length_ms < 2) return true;
    const int64_t start = frame_start_ms + frame_length_ms - 1;
    const size_t frame_bytes = size_t(frame_width) * frame_height * 3;
    std::vector<uint8_t> head;
    mkv_frame_header(&head, start, 1, frame_bytes);
    std::copy(head.begin(), head.end(), frame.begin());
    frame_start_ms = -1;
    return ffmpeg_send_frame();
}

bool ffmpeg_finish()
{
    if (ffmpeg_pid < 0) return false;
    // The end of the frames first: ffmpeg then reads the remaining samples without waiting
    // for another frame.
    if (!ffmpeg_failed && !ffmpeg_close_video()) ffmpeg_failed = true;
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
    frame.clear();
    frame.shrink_to_fit();
    const bool ok = !ffmpeg_failed && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!ok && WIFEXITED(status) && WEXITSTATUS(status) != 127)
        std::fprintf(stderr, "vantor-capture: ffmpeg failed (exit status %d)\n",
                     WEXITSTATUS(status));
    else if (!ok && WIFSIGNALED(status))
        std::fprintf(stderr, "vantor-capture: ffmpeg ended by signal %d\n", WTERMSIG(status));
    return ok;
}
