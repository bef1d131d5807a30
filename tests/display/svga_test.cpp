// The SVGAlib back-end over our stand-in library, on the fake device: the mode menu built from
// what the device offers, real mode switches and centred modes, the 6-bit palette, console
// switching, giving the console back, and the failures. The stand-in keeps its state for the
// life of a process, as SVGAlib does, so every case runs in a child process of its own.
#include "display/fb/fb_device_fake.h"
#include "platform/display.h"
#include "platform/exit.h"

#include <gtest/gtest.h>
#include <linux/fb.h>
#include <linux/vt.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <string>
#include <vector>

// Large allocations (a screen's worth) left before they are refused; -1: no limit. The test
// program is linked with malloc wrapped.
static int large_mallocs_left = -1;

extern "C" void* __real_malloc(size_t size);
extern "C" void* __wrap_malloc(size_t size)
{
    if (size >= 65536 && large_mallocs_left >= 0) {
        if (large_mallocs_left == 0) return nullptr;
        large_mallocs_left--;
    }
    return __real_malloc(size);
}

namespace {

void answer(const std::string& text)
{
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    ASSERT_EQ(write(fds[1], text.data(), text.size()), ssize_t(text.size()));
    close(fds[1]);
    dup2(fds[0], STDIN_FILENO);
    close(fds[0]);
    std::clearerr(stdin);
}

// The exit status of body run in a child: 0 when none of its expectations failed.
template <typename Body>
int in_child(Body body)
{
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
        body();
        std::fflush(stdout);
        std::_Exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Opens with the answer and returns what was printed.
std::string open_with(int choice)
{
    answer(std::to_string(choice) + "\n");
    testing::internal::CaptureStdout();
    display_open(0, nullptr, "t", 320, 240);
    return testing::internal::GetCapturedStdout();
}

std::vector<uint8_t> frame_pixels()
{
    std::vector<uint8_t> p(320 * 240);
    for (size_t i = 0; i < p.size(); i++) p[i] = uint8_t(1 + (i % 320 + 3 * (i / 320)) % 251);
    return p;
}

TEST(Svga, MenuListsOnlyTheModesTheDeviceOffersAndTheAnswerSwitchesToIt)
{
    const int status = in_child([] {
        // A tiny screen that can switch to 320x240 and 640x480 only.
        fb_fake_reset(200, 150, 8, 0, 1 << 20);
        fb_fake().modes = {{320, 240}, {640, 480}};
        const std::string out = open_with(2);
        EXPECT_NE(out.find("Choose a vga mode:\n"
                           " 1. 320x240 / 256 colors -> RECOMMENDED!!!!\n"
                           " 2. 640x480 / 256 colors -> the slowest\n"
                           "Type the number of the vga mode:"),
                  std::string::npos)
            << out;
        EXPECT_NE(out.find("Width: 640  Height: 480  Colors: 256\n"), std::string::npos);
        EXPECT_EQ(fb_fake().var.xres, 640u);
        std::vector<uint8_t> pixels = frame_pixels();
        Image frame{320, 240, pixels.data()};
        display_present(&frame);
        EXPECT_EQ(fb_fake_pixel(639, 479), pixels[320 * 240 - 1]);
        EXPECT_EQ(fb_fake_pixel(0, 0), pixels[0]);

        // Away to a console that sets its own mode, and back: the mode is ours again.
        raise(SIGUSR1);
        fb_fake_set_mode(200, 150, 8);
        raise(SIGUSR2);
        display_present(&frame);
        EXPECT_EQ(fb_fake().var.xres, 640u);
        EXPECT_EQ(fb_fake_pixel(639, 479), pixels[320 * 240 - 1]);

        // Text mode gives back the console's mode and switching.
        fb_fake().log = false;
        display_close();
        EXPECT_EQ(fb_fake().var.xres, 200u);
        long last_vt_mode = -1;
        for (const FbFakeRequest& r : fb_fake().requests)
            if (r.request == VT_SETMODE) last_vt_mode = r.value;
        EXPECT_EQ(last_vt_mode, VT_AUTO);
    });
    EXPECT_EQ(status, 0);
}

TEST(Svga, ModeFittingOnATrueColourScreenIsCentredWithWidenedColours)
{
    const int status = in_child([] {
        // vesafb: no switching at all; every mode fits on 800x600.
        fb_fake_reset(800, 600, 32);
        const std::string out = open_with(2);
        EXPECT_NE(out.find(" 6. 800x600 / 256 colors -> snail\n"), std::string::npos);
        std::vector<uint8_t> pixels = frame_pixels();
        std::vector<uint8_t> palette(768);
        const uint8_t colour[3] = {255, 3, 128}; // 63, 0, 32 in the card
        std::copy(colour, colour + 3, &palette[3 * pixels[0]]);
        display_set_palette(palette.data());
        Image frame{320, 240, pixels.data()};
        display_present(&frame);
        EXPECT_EQ(fb_fake_pixel(240, 180), 0xFF0082u);
        EXPECT_EQ(fb_fake_pixel(239, 180), 0u);
        EXPECT_TRUE(fb_fake_guard_intact());
    });
    EXPECT_EQ(status, 0);
}

TEST(Svga, SwitchingAwayIsGrantedAtOnceAndTheColoursComeBack)
{
    const int status = in_child([] {
        fb_fake_reset(320, 240, 8);
        for (uint16_t& c : fb_fake().colours.red) c = 0x1234;
        open_with(2);
        std::vector<uint8_t> palette(768, 255);
        palette[0] = 3;
        display_set_palette(palette.data());
        EXPECT_EQ(fb_fake().colours.red[0], 0);
        EXPECT_EQ(fb_fake().colours.red[1], 0xFF00);

        // The driver's vertical blank where it has one.
        fb_fake().vsync = true;
        display_wait_retrace();
        EXPECT_EQ(fb_fake_count(FBIO_WAITFORVSYNC), 1);

        raise(SIGUSR1); // no picture is being written: granted in the handler
        EXPECT_EQ(fb_fake_count(VT_RELDISP), 1);
        std::vector<uint8_t> pixels = frame_pixels();
        Image frame{320, 240, pixels.data()};
        display_present(&frame);
        EXPECT_EQ(fb_fake_pixel(5, 5), 0u) << "drawn on a console that is not ours";

        fb_fake().colours.red[1] = 0;
        raise(SIGUSR2);
        display_present(&frame);
        EXPECT_EQ(fb_fake_pixel(5, 5), pixels[5 * 320 + 5]);
        EXPECT_EQ(fb_fake().colours.red[1], 0xFF00);
        display_close();
        EXPECT_EQ(fb_fake().colours.red[1], 0x1234);
    });
    EXPECT_EQ(status, 0);
}

// The stand-in grants a switch away inside its handler. A switch that lands between its look at
// the console and its colour request must not get our colours onto the console switched to;
// once away, giving back leaves that console's mode and colours alone (its own come back to
// ours with the kernel when the user returns); and the handler leaves errno as it found it.
TEST(Svga, NothingOfOursReachesAConsoleSwitchedTo)
{
    const int status = in_child([] {
        fb_fake_reset(640, 480, 8, 0, 1 << 20);
        fb_fake().modes = {{320, 240}};
        open_with(2);
        std::vector<uint8_t> palette(768, 200);

        fb_fake().failing_request = VT_RELDISP;
        errno = ENOTTY;
        raise(SIGUSR1);
        EXPECT_EQ(errno, ENOTTY) << "the release handler changed errno";
        fb_fake().failing_request = 0;
        raise(SIGUSR2);
        fb_fake().requests.clear();

        fb_fake().signal_before_request = FBIOPUTCMAP;
        fb_fake().signal_before = SIGUSR1;
        display_set_palette(palette.data());
        display_close();
        bool away = false;
        for (const FbFakeRequest& r : fb_fake().requests) {
            away = away || (r.request == VT_RELDISP && r.value == 1);
            EXPECT_FALSE(away && (r.request == FBIOPUTCMAP || r.request == FBIOPUT_VSCREENINFO))
                << "request " << std::hex << r.request << " after the switch away";
        }
        EXPECT_TRUE(away);
    });
    EXPECT_EQ(status, 0);
}

TEST(Svga, FatalSignalGivesBackModeColoursAndSwitching)
{
    auto run = [] {
        dup2(STDERR_FILENO, STDOUT_FILENO);
        fb_fake_reset(640, 480, 8, 0, 1 << 20);
        fb_fake().modes = {{320, 240}};
        answer("2\n");
        display_open(0, nullptr, "t", 320, 240);
        fb_fake().log = true;
        raise(SIGSEGV);
    };
    EXPECT_EXIT(run(), ::testing::KilledBySignal(SIGSEGV),
                "fake FBIOPUT_VSCREENINFO 640x480.*fake FBIOPUTCMAP.*fake KDSETMODE 0.*fake "
                "VT_SETMODE 0.*\\[\\?0c");
}

TEST(Svga, BuffersAreMadeWhenTheDisplayOpensAndTheirFailureEndsThere)
{
    // The off-screen context (first) or the scaled frame (second) not to be had: a message, and
    // the console is given back.
    auto run = [](int large_mallocs) {
        dup2(STDERR_FILENO, STDOUT_FILENO);
        fb_fake_reset(640, 480, 8, 0, 1 << 20);
        fb_fake().modes = {{640, 480}};
        fb_fake().log = true;
        answer("5\n");
        large_mallocs_left = large_mallocs;
        display_open(0, nullptr, "t", 320, 240);
        std::_Exit(7);
    };
    for (int allowed : {0, 1})
        EXPECT_EXIT(run(allowed), ::testing::ExitedWithCode(DEMO_EXIT_FAILURE),
                    "Cann't allocate image!\n(.|\n)*fake KDSETMODE 0")
            << allowed << " large allocations allowed";
}

TEST(Svga, FailuresEndWithTheirMessageAndStatus)
{
    auto run = [](int width, bool console) {
        dup2(STDERR_FILENO, STDOUT_FILENO);
        fb_fake_reset(width, 100, 8);
        if (!console) fb_fake().tty = "/dev/pts/1";
        answer("1\n");
        display_open(0, nullptr, "t", 320, 240);
        std::_Exit(7);
    };
    EXPECT_EXIT(run(640, false), ::testing::ExitedWithCode(255), "^ERROR: Can't init vga\n$");
    EXPECT_EXIT(run(100, true), ::testing::ExitedWithCode(255),
                "ERROR: Not valid vga mode avaible!$");
}

} // namespace
