// The music process around MikMod: the questions, the driver probe, and the child that
// plays the module while the parent draws.
#include "platform/music.h"

#include "music/audio.h"
#include "platform/ask.h"
#include "platform/frame_log.h"
#include "platform/signals.h"
#include "platform/start_path.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <mikmod.h>
#include <poll.h>
#include <string>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

// Written by the signal handlers too, hence sig_atomic_t.
static volatile sig_atomic_t sound_enabled;
static volatile sig_atomic_t music_playing;
static volatile sig_atomic_t music_pid;
static volatile sig_atomic_t music_told_to_quit;
// The collected child's peak resident memory in kB, for the frame log.
static volatile long music_peak_kb;
// In the child: set by music_child_quit, read by the player loop.
static volatile sig_atomic_t music_quit_requested;

static MODULE* music_module;
static std::string music_path;
// The user's driver and the mode it accepted in the probe; the parent itself runs on the
// silent driver.
static int music_device;
static UWORD music_mode;

constexpr int MUSIC_MAX_CHANNELS = 64;
// The probe of a driver gets this long before it counts as hung.
constexpr int MUSIC_PROBE_TIMEOUT_MS = 5000;
// Bytes that the silent driver and the disk writers mix per MikMod_Update.
constexpr long MUSIC_UNPACED_BLOCK = 32768;

static void music_set_defaults()
{
    md_mixfreq = 44100;
    md_device = 0;
    audio_player_levels();
    md_mode = DMODE_SOFT_MUSIC | DMODE_STEREO | DMODE_16BITS;
}

static int music_count_lines(const char* text)
{
    if (text == nullptr || *text == '\0') return 0;
    int lines = 1;
    for (const char* c = text; *c; c++) lines += *c == '\n';
    return lines;
}

// The parent's handlers go; what was ignored from the start stays ignored.
static void music_default_signals(std::initializer_list<int> signals)
{
    for (int s : signals) {
        struct sigaction now;
        if (sigaction(s, nullptr, &now) == 0 && now.sa_handler != SIG_IGN) std::signal(s, SIG_DFL);
    }
}

// The disk writers write music.wav (.aiff, .raw) into the current directory: the one the user
// started from, not the data tree, which may not even be writable. For the processes that
// open the driver only: the parent stays in the tree.
static void music_enter_start_dir()
{
    // Should that directory be gone, the file goes into the data tree instead.
    if (chdir(demo_start_path(".").c_str()) != 0) return;
}

// What the probe learnt: the mode the driver accepted, and the driver's number (the one
// MikMod's detection found when device 0 was asked for).
struct MusicProbe {
    UWORD mode;
    UWORD device;
};

// The number of the driver MikMod runs on, 0 when it is none of the registered ones.
static UWORD music_driver_ordinal()
{
    for (int i = 1;; i++) {
        const MDRIVER* driver = MikMod_DriverByOrdinal(i);
        if (driver == nullptr) return 0;
        if (driver == md_driver) return UWORD(i);
    }
}

// Tries MikMod_Init on the chosen driver in a child process and reports what it found.
// ALSA without a device aborts inside the library, and a sound server may never answer:
// both only cost the probe. Its stderr is silenced for the same reason.
static bool music_probe_driver(MusicProbe* found)
{
    int fds[2];
    if (pipe(fds) != 0) return false;
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return false;
    }
    if (pid == 0) {
        close(fds[0]);
        music_default_signals({SIGINT, SIGTERM, SIGHUP, SIGCHLD});
        const int null_fd = open("/dev/null", O_WRONLY);
        if (null_fd >= 0) dup2(null_fd, STDERR_FILENO);
        music_enter_start_dir();
        if (MikMod_Init("") == 0) {
            const MusicProbe probe{md_mode, music_driver_ordinal()};
            if (write(fds[1], &probe, sizeof probe) != sizeof probe) _exit(1);
            MikMod_Exit();
        }
        _exit(0);
    }
    close(fds[1]);
    MusicProbe probe{};
    bool ok = false;
    pollfd wait_for{fds[0], POLLIN, 0};
    int ready;
    // A terminating signal cuts the wait short: the user is not kept for the rest of it.
    while ((ready = poll(&wait_for, 1, MUSIC_PROBE_TIMEOUT_MS)) < 0 && errno == EINTR &&
           !demo_signals_caught()) {
    }
    if (ready > 0)
        ok = read(fds[0], &probe, sizeof probe) == sizeof probe && probe.device > 0;
    else
        kill(pid, SIGKILL);
    close(fds[0]);
    while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    demo_signals_check();
    *found = probe;
    return ok;
}

static sigset_t music_guarded_signals()
{
    sigset_t set;
    sigemptyset(&set);
    for (int s : {SIGCHLD, SIGINT, SIGTERM, SIGHUP}) sigaddset(&set, s);
    return set;
}

static void reap_children(int)
{
    // Only our own child: other children (the archive reader's tar) are left to the
    // code that waits for them.
    const int saved_errno = errno;
    rusage usage;
    if (music_playing && music_pid > 0 && wait4(music_pid, nullptr, WNOHANG, &usage) == music_pid) {
        music_peak_kb = usage.ru_maxrss;
        music_playing = 0;
    }
    errno = saved_errno;
}

static void music_at_exit()
{
    // Whatever ends the program with exit() instead of demo_exit (Xlib's own error
    // handlers do) still stops the music.
    sound_shutdown();
}

// The output-mode question; false for no music, else md_mode is set.
static bool sound_ask_mode()
{
    const int mode = ask_answer(ASK_SOUND, "Choose output mode:\n0. NO music\n1. 8 bits, mono\n"
                                "2. 8 bits, stereo\n3. 16 bits, mono\n4. 16 bits, stereo\n"
                                "Type corresponding number : ",
                                0, 4);
    if (mode == 0) return false;
    md_mode = DMODE_SOFT_MUSIC;
    if (mode == 2 || mode == 4) md_mode |= DMODE_STEREO;
    if (mode >= 3) md_mode |= DMODE_16BITS;
    return true;
}

// The device and frequency questions; false when the library offers no driver at all.
static bool sound_ask_device()
{
    // A second registration of the loaders makes libmikmod loop forever on its list.
    static bool registered = false;
    if (!registered) {
        MikMod_RegisterAllLoaders();
        MikMod_RegisterAllDrivers();
        registered = true;
    }
    // A device named on the command line needs no list; it may also be 0, MikMod's own
    // detection, which the dialogue does not offer.
    const bool answered = ask_answered(ASK_DEVICE);
    if (!answered) std::printf("Choose sound device :\n");
    char* list = MikMod_InfoDriver();
    const int choices = music_count_lines(list);
    if (!answered) std::printf("%s\n", list ? list : "");
    MikMod_free(list);
    if (choices == 0) return false;
    md_device = UWORD(ask_answer(ASK_DEVICE, "Type corresponding number : ", answered ? 0 : 1,
                                 choices));
    md_mixfreq = UWORD(ask_answer(ASK_RATE, "Enter mixing frequency (eg. 11025,22050,44100) : ",
                                  8000, 44100));
    return true;
}

// Tries the chosen driver in a probe, then starts the parent's own library on the silent
// driver: enough to check the module. false when either fails.
static bool sound_open_device()
{
    MusicProbe probe;
    if (!music_probe_driver(&probe)) return false;
    music_device = probe.device;
    md_device = UWORD(MikMod_DriverFromAlias("nosound"));
    if (MikMod_Init("") != 0) return false;
    music_mode = probe.mode;
    return true;
}

// The child is reaped as soon as it ends, and an exit() that bypasses demo_exit still stops
// it.
static void sound_install_handlers()
{
    struct sigaction reap = {};
    reap.sa_handler = reap_children;
    reap.sa_mask = music_guarded_signals();
    reap.sa_flags = SA_RESTART | SA_NOCLDSTOP;
    sigaction(SIGCHLD, &reap, nullptr);
    static bool exit_hook_set = false;
    if (!exit_hook_set) exit_hook_set = std::atexit(music_at_exit) == 0;
}

int sound_setup()
{
    music_set_defaults();
    sound_enabled = 0;
    if (!sound_ask_mode()) return 0;
    if (!sound_ask_device() || !sound_open_device()) {
        std::printf("MikMod Driver error!\n");
        std::fflush(stdout);
        return -1;
    }
    const MDRIVER* driver = MikMod_DriverByOrdinal(music_device);
    std::printf("Using %s for %d bit %s %s sound at %u Hz\n\n", driver->Name,
                music_mode & DMODE_16BITS ? 16 : 8,
                music_mode & DMODE_INTERP ? "interpolated" : "normal",
                music_mode & DMODE_STEREO ? "stereo" : "mono", unsigned(md_mixfreq));
    std::fflush(stdout);

    sound_enabled = 1;
    music_playing = 0;
    sound_install_handlers();
    return 0;
}

static void music_prepare(MODULE* module)
{
    module->extspd = 1;
    module->panflag = 1;
    module->loop = 0;
    module->wrap = 0;
}

int music_load(const char* path)
{
    if (sound_enabled != 1 || music_playing == 1) return 0;
    if (music_module != nullptr) {
        Player_Stop();
        Player_Free(music_module);
        music_module = nullptr;
    }
    music_module = Player_Load(path, MUSIC_MAX_CHANNELS, 0);
    if (music_module == nullptr) {
        std::printf("MikMod Error\n");
        std::fflush(stdout);
        music_playing = 0;
        return -1;
    }
    music_prepare(music_module);
    music_path = path;
    return 0;
}

static void music_child_quit(int)
{
    music_quit_requested = 1;
    // Should the driver never return (a hung sound server), the default action of
    // SIGALRM ends the child anyway.
    alarm(2);
}

static double music_seconds_now()
{
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

// The silent driver and the disk writers mix as fast as they are called; they get a
// block each time the previous one has had its time, so the file grows in real time and
// the song lasts as long as the show.
static bool music_driver_unpaced()
{
    const char* alias = md_driver && md_driver->Alias ? md_driver->Alias : "";
    for (const char* name : {"nosound", "wav", "aif", "raw"})
        if (std::strcmp(alias, name) == 0) return true;
    return false;
}

static void music_child_play(MODULE* module)
{
    const bool unpaced = music_driver_unpaced();
    const int frame_bytes = (md_mode & DMODE_16BITS ? 2 : 1) * (md_mode & DMODE_STEREO ? 2 : 1);
    const double block_seconds = double(MUSIC_UNPACED_BLOCK / frame_bytes) / md_mixfreq;
    const double start = music_seconds_now();
    long blocks = 0;

    music_playing = 1;
    Player_Start(module);
    while (!music_quit_requested && Player_Active()) {
        if (unpaced) {
            const double ahead = start + blocks * block_seconds - music_seconds_now();
            if (ahead > 0) {
                // A signal ends the sleep early; the loop then looks at the quit flag.
                const timespec ts{time_t(ahead), long((ahead - time_t(ahead)) * 1e9)};
                nanosleep(&ts, nullptr);
                continue;
            }
            blocks++;
        }
        MikMod_Update();
        if (!unpaced) usleep(500);
    }
    Player_Stop();
    Player_Free(module);
    music_playing = 0;
}

// The child: plays until the song ends, the parent tells it to quit, or the parent is
// gone. It ends with _exit so that the parent's atexit hooks and stdio buffers stay the
// parent's.
[[noreturn]] static void music_child_run(pid_t parent)
{
    // SIGUSR1 is the parent's word; the others only where the shell did not have us ignore
    // them (under nohup a hangup leaves the music playing with the show).
    struct sigaction quit = {};
    quit.sa_handler = music_child_quit;
    sigaction(SIGUSR1, &quit, nullptr);
    for (int s : {SIGTERM, SIGINT, SIGHUP}) {
        struct sigaction now;
        if (sigaction(s, nullptr, &now) == 0 && now.sa_handler != SIG_IGN)
            sigaction(s, &quit, nullptr);
    }
    music_default_signals({SIGCHLD});
    // The child's own timer ends it whatever the shell had us ignore.
    std::signal(SIGALRM, SIG_DFL);
    sigset_t all;
    sigemptyset(&all);
    sigprocmask(SIG_SETMASK, &all, nullptr);
    // A parent that dies any way at all, even by SIGKILL, takes the music with it.
    prctl(PR_SET_PDEATHSIG, SIGUSR1);
    if (getppid() != parent) _exit(0);

    // The parent's window, console or files are none of the child's business; holding
    // them would keep them open after the parent has gone.
    close_range(3, ~0u, 0);

    // Start afresh on the user's driver: the parent's library only ran the silent one.
    const bool have_module = music_module != nullptr;
    if (have_module) Player_Free(music_module);
    music_module = nullptr;
    MikMod_Exit();
    // The module is opened in the data tree, before the driver is opened where it writes.
    FILE* module_file = have_module ? std::fopen(music_path.c_str(), "rb") : nullptr;
    if (module_file == nullptr) _exit(0);
    music_enter_start_dir();
    md_device = UWORD(music_device);
    md_mode = music_mode;
    if (MikMod_Init("") != 0) _exit(0);
    MODULE* module = Player_LoadFP(module_file, MUSIC_MAX_CHANNELS, 0);
    std::fclose(module_file);
    if (module != nullptr) {
        music_prepare(module);
        music_child_play(module);
    }
    // Disk writers write their final header here.
    MikMod_Exit();
    _exit(0);
}

void music_start()
{
    if (sound_enabled != 1 || music_playing == 1) return;
    // A signal that came during loading ends the show before the music starts.
    demo_signals_check();
    std::fflush(stdout);
    // The child installs its own handlers before it takes any of these.
    sigset_t guarded = music_guarded_signals();
    sigaddset(&guarded, SIGUSR1);
    sigset_t saved;
    sigprocmask(SIG_BLOCK, &guarded, &saved);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) music_child_run(parent);
    if (pid > 0) {
        music_pid = pid;
        music_told_to_quit = 0;
        music_playing = 1;
    }
    sigprocmask(SIG_SETMASK, &saved, nullptr);
}

void music_tell_child_to_quit()
{
    if (music_playing && music_pid > 0 && !music_told_to_quit) {
        music_told_to_quit = 1;
        kill(music_pid, SIGUSR1);
    }
}

void music_stop()
{
    if (sound_enabled != 1) return;
    // With the handlers held off, the child cannot be collected between the check and
    // the kill, so an id that was already reaped is never signalled.
    const sigset_t guarded = music_guarded_signals();
    sigset_t saved;
    sigprocmask(SIG_BLOCK, &guarded, &saved);
    if (music_playing) {
        music_tell_child_to_quit();
        rusage usage{};
        pid_t collected;
        while ((collected = wait4(music_pid, nullptr, 0, &usage)) < 0 && errno == EINTR) {
        }
        if (collected == music_pid) music_peak_kb = usage.ru_maxrss;
        music_playing = 0;
    }
    sigprocmask(SIG_SETMASK, &saved, nullptr);
    // /proc has nothing left of a collected child: the kernel's count of its peak comes back
    // with it instead.
    frame_log_peak("music", music_peak_kb);
    music_peak_kb = 0;
}

void sound_shutdown()
{
    if (sound_enabled != 1) return;
    music_stop();
    if (music_module != nullptr) {
        Player_Free(music_module);
        music_module = nullptr;
    }
    MikMod_Exit();
    sound_enabled = 0;
}
