// Pictures as members of a tar archive, read through the external tar command.
//
// tar is started with an argument vector and no shell in between, so archive and member
// names are never interpreted: a name holding ';', '$(...)' or quotes is just a name.
#include "data/files.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

static char* archive_name = nullptr;

// The command lines were once built in 256-byte buffers; names that would not have fitted
// are refused rather than cut.
constexpr size_t ARCHIVE_COMMAND_MAX = 255;

enum ArchiveKind { ARCHIVE_NONE, ARCHIVE_TAR, ARCHIVE_TGZ };

static ArchiveKind archive_kind(const char* name)
{
    if (name == nullptr) return ARCHIVE_NONE;
    const size_t len = std::strlen(name);
    if (len <= 4) return ARCHIVE_NONE;
    if (std::strcmp(name + len - 3, "tgz") == 0) return ARCHIVE_TGZ;
    if (std::strcmp(name + len - 3, "tar") == 0) return ARCHIVE_TAR;
    return ARCHIVE_NONE;
}

const char* archive_select(const char* name)
{
    if (name == nullptr || *name == 0) { // no archive: files come from the tree again
        std::free(archive_name);
        archive_name = nullptr;
        return nullptr;
    }
    char* copy = strdup(name);
    if (copy == nullptr) return nullptr;
    std::free(archive_name);
    archive_name = copy;
    return archive_name;
}

const char* archive_selected()
{
    return archive_name;
}

struct TarPipe {
    FILE* out = nullptr;
    pid_t pid = -1;
};

// Starts tar with the given arguments, its standard output readable through pipe.out.
static bool tar_start(TarPipe& pipe_, const char* const* args)
{
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return false;
    }
    if (pid == 0) {
        dup2(fds[1], STDOUT_FILENO);
        // The listing is parsed by position: keep tar's own layout, not a locale's.
        setenv("LC_ALL", "C", 1);
        signal(SIGPIPE, SIG_DFL);
        execvp("tar", const_cast<char* const*>(args));
        _exit(127);
    }
    close(fds[1]);
    pipe_.out = fdopen(fds[0], "r");
    if (pipe_.out == nullptr) {
        close(fds[0]);
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        return false;
    }
    pipe_.pid = pid;
    return true;
}

static void tar_finish(TarPipe& pipe_)
{
    std::fclose(pipe_.out);
    // The music's SIGCHLD handler reaps only the music child: tar is ours to collect.
    while (waitpid(pipe_.pid, nullptr, 0) < 0 && errno == EINTR) {
    }
}

long archive_member_size(const char* archive, const char* member)
{
    const ArchiveKind kind = archive_kind(archive);
    if (kind == ARCHIVE_NONE) return 0;
    const char* flags = kind == ARCHIVE_TGZ ? "-tzvf" : "-tvf";
    if (std::strlen("tar ") + std::strlen(flags) + 1 + std::strlen(archive) > ARCHIVE_COMMAND_MAX)
        return 0;

    const char* args[] = {"tar", flags, archive, nullptr};
    TarPipe tar;
    if (!tar_start(tar, args)) return -1;

    char line[1024];
    long found = 0;
    while (std::fgets(line, 1023, tar.out) != nullptr) {
        const size_t len = std::strlen(line);
        if (len > 0 && line[len - 1] == '\n') line[len - 1] = 0;
        // Permissions, owner/group, size, date, time, name.
        char* cursor = line;
        char* field[6];
        int n = 0;
        while (n < 6 && (field[n] = next_field(&cursor)) != nullptr) n++;
        if (n < 6) continue;
        if (std::strcmp(field[5], member) == 0) {
            found = std::strtol(field[2], nullptr, 10);
            break;
        }
    }
    tar_finish(tar);
    return found;
}

long archive_read_member(const char* archive, const char* member, unsigned char** out)
{
    const ArchiveKind kind = archive_kind(archive);
    if (kind == ARCHIVE_NONE) return 0;
    const char* flags = kind == ARCHIVE_TGZ ? "-xOzf" : "-xOf";
    if (std::strlen("tar ") + std::strlen(flags) + 1 + std::strlen(archive) + 1 +
            std::strlen(member) >
        ARCHIVE_COMMAND_MAX)
        return 0;

    const long size = archive_member_size(archive, member);
    if (size <= 0) return 0;

    // "--" keeps a member name that starts with a dash from being read as an option.
    const char* args[] = {"tar", flags, archive, "--", member, nullptr};
    TarPipe tar;
    if (!tar_start(tar, args)) return 0;
    auto* buf = static_cast<unsigned char*>(std::malloc(size_t(size)));
    if (buf == nullptr) {
        tar_finish(tar);
        return 0;
    }
    const size_t got = std::fread(buf, 1, size_t(size), tar.out);
    tar_finish(tar);
    if (got != size_t(size)) {
        std::free(buf);
        return 0;
    }
    *out = buf;
    return size;
}
