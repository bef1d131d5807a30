// The framebuffer back-end on the fake device: where the frame lands for each layout, line
// padding and panning, the bounds of the mapping, colours, console switching, giving the
// console back, and the set-up failures with their messages and statuses.
#include "display/fb/fb_device_fake.h"
#include "platform/display.h"
#include "platform/signals.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/kd.h>
#include <linux/vt.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <ostream>
#include <string>
#include <vector>

namespace {

// The answer to the display-mode question waits on standard input.
void answer(int n)
{
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const std::string text = std::to_string(n) + "\n";
    ASSERT_EQ(write(fds[1], text.data(), text.size()), ssize_t(text.size()));
    close(fds[1]);
    dup2(fds[0], STDIN_FILENO);
    close(fds[0]);
    std::clearerr(stdin);
}

// Pixel (x, y) of the frame is x + 3y (mod 251, never 0 or 255) so every pixel is told apart.
struct Frame {
    std::vector<uint8_t> pixels = std::vector<uint8_t>(320 * 240);
    Image image{320, 240, pixels.data()};
    Frame()
    {
        for (uint32_t y = 0; y < 240; y++)
            for (uint32_t x = 0; x < 320; x++) pixels[y * 320 + x] = uint8_t(1 + (x + 3 * y) % 251);
    }
    uint8_t at(uint32_t x, uint32_t y) const { return pixels[y * 320 + x]; }
};

// A grey ramp: index i is (i, i, i).
std::vector<uint8_t> grey()
{
    std::vector<uint8_t> p(768);
    for (int i = 0; i < 768; i++) p[i] = uint8_t(i / 3);
    return p;
}

class Fb : public ::testing::Test {
  protected:
    Frame frame;
    void TearDown() override { display_close(); }
    void open(int choice)
    {
        answer(choice);
        testing::internal::CaptureStdout();
        display_open(0, nullptr, "t", 320, 240);
        output = testing::internal::GetCapturedStdout();
    }
    std::string output;
};

struct Placement {
    uint32_t width, height, answer;
    uint32_t left, top, scale; // scale 0: stretched over the whole screen
};

std::ostream& operator<<(std::ostream& out, const Placement& p)
{
    return out << p.width << "x" << p.height << " answer " << p.answer;
}

class FbLayout : public Fb, public ::testing::WithParamInterface<Placement> {};

TEST_P(FbLayout, FrameLandsWhereTheCorrectedLayoutPutsIt)
{
    const Placement p = GetParam();
    fb_fake_reset(p.width, p.height, 8);
    open(int(p.answer));
    display_present(&frame.image);
    if (p.scale == 0) {
        // Stretched over the whole screen: each screen pixel shows the frame pixel at its
        // place, give or take one for the rounding of the steps.
        for (auto [X, Y] : {std::pair{0u, 0u}, {p.width - 1, p.height - 1}, {p.width / 2, 7u}}) {
            const int x = int(X * 320 / p.width), y = int(Y * 240 / p.height);
            bool found = false;
            for (int dy = -1; dy <= 1; dy++)
                for (int dx = -1; dx <= 1; dx++)
                    if (x + dx >= 0 && x + dx < 320 && y + dy >= 0 && y + dy < 240)
                        found |= fb_fake_pixel(X, Y) == frame.at(x + dx, y + dy);
            EXPECT_TRUE(found) << X << "," << Y;
        }
        return;
    }
    const uint32_t s = p.scale;
    for (auto [x, y] : {std::pair{0u, 0u}, {319u, 0u}, {0u, 239u}, {319u, 239u}, {100u, 77u}})
        for (uint32_t d = 0; d < s * s; d++)
            EXPECT_EQ(fb_fake_pixel(p.left + s * x + d % s, p.top + s * y + d / s), frame.at(x, y))
                << x << "," << y;
    // Around the picture the screen stays black.
    const uint32_t right = p.left + 320 * s, bottom = p.top + 240 * s;
    if (p.left > 0) {
        EXPECT_EQ(fb_fake_pixel(p.left - 1, p.top), 0u);
    }
    if (p.top > 0) {
        EXPECT_EQ(fb_fake_pixel(p.left, p.top - 1), 0u);
    }
    if (right < p.width) {
        EXPECT_EQ(fb_fake_pixel(right, bottom - 1), 0u);
    }
    if (bottom < p.height) {
        EXPECT_EQ(fb_fake_pixel(right - 1, bottom), 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Corrections, FbLayout,
    ::testing::Values(Placement{640, 480, 3, 0, 0, 2},     // "full" on exactly twice the frame
                      Placement{800, 600, 2, 80, 60, 2},   // doubled and centred
                      Placement{800, 600, 1, 240, 180, 1}, // centred
                      Placement{320, 240, 2, 0, 0, 1},     // no room to double
                      Placement{320, 240, 3, 0, 0, 1},     // "full" is the frame itself
                      Placement{320, 200, 1, 0, 0, 0},     // smaller than the frame
                      Placement{800, 600, 3, 0, 0, 0},     // stretched
                      Placement{700, 400, 2, 0, 0, 0}));   // too low to double

TEST_F(Fb, PaddedPannedLinesAndShortMemoryStayInsideTheMapping)
{
    // Lines of 1024 bytes, showing the second screen of a 640x960 virtual area.
    fb_fake_reset(640, 960, 8, 1024);
    fb_fake().var.yres = 480;
    fb_fake().var.yoffset = 480;
    open(1);
    display_present(&frame.image);
    EXPECT_EQ(fb_fake_pixel(160, 120), frame.at(0, 0));
    EXPECT_EQ(fb_fake_pixel(160 + 319, 120 + 239), frame.at(319, 239));
    EXPECT_EQ(fb_fake().memory[(480 + 120) * 1024 + 640], 0) << "padding written";
    EXPECT_EQ(fb_fake().memory[120 * 1024 + 160], 0) << "hidden screen written";
    display_close();

    // The device claims a 800x600 screen but lets only 100 lines be mapped.
    fb_fake_reset(800, 600, 32);
    fb_fake().fix.smem_len = 800 * 4 * 100;
    open(3);
    display_set_palette(grey().data());
    display_present(&frame.image);
    EXPECT_TRUE(fb_fake_guard_intact());
    EXPECT_EQ(fb_fake_pixel(0, 0), 0x010101u * frame.at(0, 0));
}

TEST_F(Fb, TrueColourGoesThroughTheDeviceChannels)
{
    std::vector<uint8_t> palette(768);
    const uint8_t white[3] = {255, 255, 255}, red[3] = {255, 0, 0}, odd[3] = {1, 2, 3};
    std::copy(white, white + 3, &palette[3 * frame.at(0, 0)]);
    std::copy(red, red + 3, &palette[3 * frame.at(1, 0)]);
    std::copy(odd, odd + 3, &palette[3 * frame.at(2, 0)]);

    fb_fake_reset(320, 240, 16);
    open(1);
    display_set_palette(palette.data());
    display_present(&frame.image);
    EXPECT_EQ(fb_fake_pixel(0, 0), 0xFFFFu);
    EXPECT_EQ(fb_fake_pixel(1, 0), 0xF800u);
    display_close();

    fb_fake_reset(640, 480, 32);
    open(2);
    display_set_palette(palette.data());
    display_present(&frame.image);
    EXPECT_EQ(fb_fake_pixel(1, 1), 0xFFFFFFu);
    EXPECT_EQ(fb_fake_pixel(5, 0), 0x010203u);
}

TEST_F(Fb, ColourMapIsTheProgramsWhileOpenAndTheConsolesAfter)
{
    fb_fake_reset(640, 480, 8);
    for (int i = 0; i < 256; i++) fb_fake().colours.red[i] = uint16_t(0x1234 + i);
    open(1);
    EXPECT_EQ(fb_fake().colours.red[7], 0) << "black at open";
    display_set_palette(grey().data());
    EXPECT_EQ(fb_fake().colours.green[200], 200 << 8) << "visible without a present";
    display_close();
    EXPECT_EQ(fb_fake().colours.red[7], 0x1234 + 7);
    // Text mode and automatic switching are back, and the device is let go.
    std::vector<long> text_modes;
    for (const FbFakeRequest& r : fb_fake().requests)
        if (r.request == KDSETMODE) text_modes.push_back(r.value);
    EXPECT_EQ(text_modes, (std::vector<long>{KD_GRAPHICS, KD_TEXT}));
    EXPECT_EQ(fb_fake().requests.back().request, unsigned(VT_SETMODE));
    EXPECT_EQ(fb_fake().requests.back().value, VT_AUTO);
    EXPECT_FALSE(fb_fake().open);
    EXPECT_FALSE(fb_fake().mapped);
    EXPECT_NE(output.find("The display is a Fake FB pseudo color (like atari) with 640 X 480\n"),
              std::string::npos);
    EXPECT_NE(output.find("\033[?1c\n"), std::string::npos);
}

TEST_F(Fb, SwitchingAwayStopsDrawingAndTheColoursComeBack)
{
    fb_fake_reset(320, 240, 8);
    open(1);
    display_set_palette(grey().data());
    raise(SIGUSR1); // the user presses Alt+F2
    EXPECT_EQ(fb_fake_count(VT_RELDISP), 0) << "granted only at the next present";
    display_present(&frame.image);
    EXPECT_EQ(fb_fake_count(VT_RELDISP), 1);
    EXPECT_EQ(fb_fake().requests.back().value, 1);
    EXPECT_EQ(fb_fake_pixel(10, 10), 0u) << "drawn on a console that is not ours";

    const int puts = fb_fake_count(FBIOPUTCMAP);
    std::vector<uint8_t> palette = grey();
    palette[3 * 255] = 7;
    display_set_palette(palette.data());
    EXPECT_EQ(fb_fake_count(FBIOPUTCMAP), puts) << "colours put while away";

    // Back: the console's own colours were loaded meanwhile and the memory is cleared.
    fb_fake().colours.red[255] = 0xFFFF;
    fb_fake().memory[0] = 42;
    raise(SIGUSR2);
    EXPECT_EQ(fb_fake().memory[0], 0);
    display_present(&frame.image);
    EXPECT_EQ(fb_fake().colours.red[255], 7 << 8);
    EXPECT_EQ(fb_fake_pixel(10, 10), frame.at(10, 10));
    display_present(&frame.image);
    EXPECT_EQ(fb_fake_count(FBIOPUTCMAP), puts + 1) << "colours put again at every present";
}

// The signals whose default action ends a process, found by trying each on a plain child;
// the ones the C library keeps for itself cannot be handled and are left out.
std::vector<int> ending_signals()
{
    std::vector<int> found;
    for (int s = 1; s <= SIGRTMAX; s++) {
        struct sigaction a;
        if (s == SIGKILL || sigaction(s, nullptr, &a) != 0) continue;
        const pid_t pid = fork();
        if (pid == 0) {
            setpgid(0, 0); // not orphaned: a stop signal really stops
            std::signal(s, SIG_DFL);
            raise(s);
            std::_Exit(0);
        }
        int status = 0;
        waitpid(pid, &status, WUNTRACED);
        if (WIFSTOPPED(status)) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
        } else if (WIFSIGNALED(status)) {
            found.push_back(s);
        }
    }
    return found;
}

// Opens the display on a console whose colours are all 0x1234 and logs what reaches it.
void open_logged(bool driver_handlers)
{
    dup2(STDERR_FILENO, STDOUT_FILENO);
    if (driver_handlers) demo_signals_install();
    fb_fake_reset(320, 240, 8);
    for (int i = 0; i < 256; i++) fb_fake().colours.red[i] = 0x1234;
    answer(1);
    display_open(0, nullptr, "t", 320, 240);
    fb_fake().log = true;
}

constexpr const char* GIVEN_BACK =
    "fake FBIOPUTCMAP 4660.*fake KDSETMODE 0.*fake VT_SETMODE 0.*\\[\\?0c";

// Every signal that ends the program gives the console back before the process goes: the
// driver's handlers too, when a second signal does not wait for the next frame.
TEST(FbSignals, ConsoleIsGivenBackBeforeTheProcessEnds)
{
    auto run = [](int signo, bool driver_handlers, int times) {
        open_logged(driver_handlers);
        for (int i = 0; i < times; i++) raise(signo);
        if (driver_handlers) demo_signals_check();
        std::_Exit(3);
    };
    const std::vector<int> signals = ending_signals();
    EXPECT_GE(signals.size(), 40u); // the classic ones and the real-time signals
    for (int s : signals) {
        if (s == SIGUSR1 || s == SIGUSR2) continue; // the console's own: switching
        EXPECT_EXIT(run(s, false, 1), ::testing::KilledBySignal(s), GIVEN_BACK) << strsignal(s);
    }
    EXPECT_EXIT(run(SIGTERM, true, 1), ::testing::KilledBySignal(SIGTERM), GIVEN_BACK);
    EXPECT_EXIT(run(SIGINT, true, 2), ::testing::KilledBySignal(SIGINT), GIVEN_BACK);
    EXPECT_EXIT(run(SIGSEGV, true, 1), ::testing::KilledBySignal(SIGSEGV), GIVEN_BACK);
}

// What the shell ignored for us (nohup, a background job) stays ignored, and the console stays
// taken; a real fault still gives it back, whatever was ignored.
TEST(FbSignals, SignalsIgnoredAtStartStayIgnored)
{
    auto run = [](bool fault) {
        for (int s : {SIGHUP, SIGINT, SIGQUIT, SIGPIPE, SIGTSTP, SIGSEGV}) std::signal(s, SIG_IGN);
        open_logged(true);
        for (int s : {SIGHUP, SIGINT, SIGQUIT, SIGPIPE, SIGTSTP}) raise(s);
        if (fork() == 0) { // SIGSEGV sent by another process is a signal like any other
            kill(getppid(), SIGSEGV);
            std::_Exit(0);
        }
        wait(nullptr);
        demo_signals_check();
        if (fault) { // a write to a read-only page: the kernel's own SIGSEGV
            void* page = mmap(nullptr, 4096, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
            *static_cast<volatile char*>(page) = 1;
        }
        std::fprintf(stderr, "still here, text mode %d\n", fb_fake_count(KDSETMODE) - 1);
        std::_Exit(3);
    };
    EXPECT_EXIT(run(false), ::testing::ExitedWithCode(3), "still here, text mode 0");
    EXPECT_EXIT(run(true), ::testing::KilledBySignal(SIGSEGV), GIVEN_BACK);
}

// Ctrl-Z gives the console back before the program stops (its colours, text mode, automatic
// switching so that Alt+Fn works, the cursor); fg takes it again, and the next frame comes in
// the program's colours. Stopped while another console is on the screen, the program gives back
// neither colours nor anything else of the device's, and continued there it draws nothing until
// its console returns.
TEST(FbSignals, StopGivesTheConsoleBackAndContinueTakesItAgain)
{
    for (int signo : {SIGTSTP, SIGTTIN, SIGTTOU}) {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        const pid_t pid = fork();
        if (pid == 0) {
            setpgid(0, 0); // not orphaned: the stop really stops
            dup2(fds[1], STDERR_FILENO);
            open_logged(false);
            Frame frame;
            display_set_palette(grey().data());
            raise(signo);
            std::fprintf(stderr, "continued\n");
            display_present(&frame.image);
            bool ok = fb_fake_pixel(10, 10) == frame.at(10, 10);
            raise(SIGUSR1); // away to tty2
            display_present(&frame.image);
            fb_fake().active_vt = 2;
            raise(signo);
            std::fprintf(stderr, "continued\n");
            fb_fake().memory[0] = 42;
            display_present(&frame.image);
            ok = ok && fb_fake().memory[0] == 42;
            fb_fake().active_vt = 1;
            raise(SIGUSR2); // back
            display_present(&frame.image);
            std::_Exit(ok && fb_fake_pixel(10, 10) == frame.at(10, 10) ? 0 : 1);
        }
        close(fds[1]);
        std::string log;
        auto take = [&] {
            char buffer[4096];
            ssize_t n;
            while ((n = read(fds[0], buffer, sizeof buffer)) > 0) log.append(buffer, size_t(n));
        };
        fcntl(fds[0], F_SETFL, O_NONBLOCK);
        int status = 0;
        for (int stop = 0; stop < 2; stop++) {
            ASSERT_EQ(waitpid(pid, &status, WUNTRACED), pid);
            ASSERT_TRUE(WIFSTOPPED(status) && WSTOPSIG(status) == signo) << strsignal(signo);
            take();
            log += "|stopped|\n";
            kill(pid, SIGCONT);
        }
        waitpid(pid, &status, 0);
        fcntl(fds[0], F_SETFL, 0);
        take();
        close(fds[0]);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << log;
        const std::string given_back = "fake KDSETMODE 0\nfake VT_SETMODE 0\n\033[?0c\n",
                          taken = "|stopped|\nfake VT_SETMODE 1\nfake KDSETMODE 1\n\033[?1c\n"
                                  "continued\n";
        EXPECT_NE(
            log.find("fake FBIOPUTCMAP 4660\n" + given_back + taken + "fake FBIOPUTCMAP 65280\n"),
            std::string::npos)
            << strsignal(signo) << ": " << log;
        EXPECT_NE(log.find("fake VT_RELDISP 1\n" + given_back + taken), std::string::npos)
            << strsignal(signo) << " while away: " << log;
    }
}

struct Failure {
    const char* what;
    void (*arrange)();
    int status;
    const char* message;
};

std::ostream& operator<<(std::ostream& out, const Failure& f)
{
    return out << f.what;
}

class FbFailure : public ::testing::TestWithParam<Failure> {};

TEST_P(FbFailure, EndsWithItsMessageAndStatus)
{
    const Failure f = GetParam();
    auto run = [&] {
        dup2(STDERR_FILENO, STDOUT_FILENO);
        fb_fake_reset(640, 480, 8);
        f.arrange();
        answer(1);
        display_open(0, nullptr, "t", 320, 240);
        std::_Exit(0);
    };
    EXPECT_EXIT(run(), ::testing::ExitedWithCode(f.status), f.message) << f.what;
}

INSTANTIATE_TEST_SUITE_P(
    Statuses, FbFailure,
    ::testing::Values(
        Failure{"X terminal", [] { fb_fake().tty = "/dev/pts/3"; }, 249,
                "^ERROR: Not a console device!\n$"},
        Failure{"no terminal", [] { fb_fake().tty = ""; }, 249, "Not a console device"},
        Failure{"VT_SETMODE", [] { fb_fake().failing_request = VT_SETMODE; }, 248,
                "ERROR: ioctl\\(VT_SETMODE\\) !"},
        Failure{"open", [] { fb_fake().fail_open = true; }, 255,
                "ERROR: can't open the /dev/fb0 device!"},
        Failure{"fixed", [] { fb_fake().failing_request = FBIOGET_FSCREENINFO; }, 254, ""},
        Failure{"variable", [] { fb_fake().failing_request = FBIOGET_VSCREENINFO; }, 253, ""},
        Failure{"planes", [] { fb_fake().fix.type = FB_TYPE_PLANES; }, 252,
                "ERROR: can handle only packed pixel frame buffers!"},
        Failure{"mmap", [] { fb_fake().fail_mmap = true; }, 251, "ERROR: can't exec mmap!"},
        Failure{"24 bits",
                [] {
                    fb_fake().var.bits_per_pixel = 24;
                    fb_fake().fix.visual = FB_VISUAL_TRUECOLOR;
                },
                250,
                "TRUE\xA0"
                "COLOR \\(16 & 32 bit\\) or\n       PSEUDO COLOR \\(8 bit\\)"},
        // 2 bytes by the count's eighth, but its pixels are not 2 bytes wide.
        Failure{"18 bits",
                [] {
                    fb_fake().var.bits_per_pixel = 18;
                    fb_fake().fix.visual = FB_VISUAL_TRUECOLOR;
                },
                250, "PSEUDO COLOR \\(8 bit\\) displays!"},
        Failure{"8-bit true colour", [] { fb_fake().fix.visual = FB_VISUAL_TRUECOLOR; }, 250,
                "ERROR - \\(|true color with 640 X 480"}));

} // namespace
