// The music process: the dialogue, drivers that fail, and how the child is stopped. Uses
// MikMod's WAV disk writer (no sound card needed) and a small module made by our writer.
#include "content/music/xm_writer.h"
#include "platform/music.h"

#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <gtest/gtest.h>
#include <mikmod.h>
#include <string>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

// Every kill the music module sends is counted here before it goes out.
static std::vector<std::pair<pid_t, int>> kills_sent;
extern "C" int kill(pid_t pid, int sig) noexcept
{
    kills_sent.emplace_back(pid, sig);
    return int(syscall(SYS_kill, pid, sig));
}

namespace {

// A looped sine on one channel: `rows` rows at speed 6, BPM 125 (0.12 s a row).
std::vector<uint8_t> small_module(int rows)
{
    XmModule m;
    m.channels = 2;
    XmPattern p;
    p.rows = rows;
    p.cells.resize(size_t(rows * m.channels));
    for (int r = 0; r < rows; r += 4) p.cells[size_t(r * m.channels)] = {49, 1, 0x40, 0, 0};
    m.patterns.push_back(p);
    m.orders = {0};
    XmInstrument sine;
    sine.name = "sine";
    for (int i = 0; i < 64; i++)
        sine.sample.data.push_back(int16_t(12000 * std::sin(i * M_PI / 32)));
    sine.sample.loop = XM_LOOP_FORWARD;
    sine.sample.loop_length = 64;
    m.instruments.push_back(sine);
    return xm_encode(m);
}

// The number of a driver in MikMod's list, found by a piece of its description.
int driver_number(const char* description)
{
    MikMod_RegisterAllDrivers();
    char* list = MikMod_InfoDriver();
    int number = 0;
    for (char* line = std::strtok(list, "\n"); line; line = std::strtok(nullptr, "\n"))
        if (std::strstr(line, description)) number = std::atoi(line);
    MikMod_free(list);
    return number;
}

int driver_count()
{
    MikMod_RegisterAllDrivers();
    char* list = MikMod_InfoDriver();
    int lines = 1;
    for (char* c = list; *c; c++) lines += *c == '\n';
    MikMod_free(list);
    return lines;
}

// Sleeps the whole time, even when SIGCHLD from a child that ended cuts a sleep short.
void sleep_ms(long ms)
{
    timespec left{ms / 1000, ms % 1000 * 1000000};
    while (nanosleep(&left, &left) != 0) {
    }
}

size_t count(const std::string& text, const std::string& piece)
{
    size_t n = 0;
    for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1)) n++;
    return n;
}

// Each test runs in its own directory, where the WAV writer puts music.wav.
class Music : public ::testing::Test {
  protected:
    std::string home, dir;
    int wav = driver_number("Wav disk writer");

    void SetUp() override
    {
        char cwd[4096];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        home = cwd;
        char name[] = "music_test_XXXXXX";
        ASSERT_NE(mkdtemp(name), nullptr);
        dir = home + "/" + name;
        ASSERT_EQ(chdir(dir.c_str()), 0);
        kills_sent.clear();
        ASSERT_GT(wav, 0);
    }
    void TearDown() override
    {
        sound_shutdown();
        for (const char* f : {"answers", "music.wav", "tune.xm"}) unlink(f);
        EXPECT_EQ(chdir(home.c_str()), 0);
        rmdir(dir.c_str());
    }

    // Runs sound_setup with these answers on standard input; returns what it printed.
    std::string setup(const std::string& answers, int* result = nullptr)
    {
        FILE* f = std::fopen("answers", "w");
        std::fputs(answers.c_str(), f);
        std::fclose(f);
        EXPECT_NE(std::freopen("answers", "r", stdin), nullptr);
        testing::internal::CaptureStdout();
        const int r = sound_setup();
        if (result) *result = r;
        return testing::internal::GetCapturedStdout();
    }
    void write_module(int rows)
    {
        const std::vector<uint8_t> bytes = small_module(rows);
        FILE* f = std::fopen("tune.xm", "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    // With the music off, the rest of the show's calls do nothing: no child, no signal.
    void expect_silent_show()
    {
        write_module(8);
        EXPECT_EQ(music_load("tune.xm"), 0);
        music_start();
        music_stop();
        EXPECT_TRUE(kills_sent.empty());
    }
    int usr1_kills() const
    {
        int n = 0;
        for (auto [pid, sig] : kills_sent) n += sig == SIGUSR1;
        return n;
    }
    std::string wav_answers(int mode, int freq)
    {
        return std::to_string(mode) + "\n" + std::to_string(wav) + "\n" + std::to_string(freq) +
               "\n";
    }
};

TEST_F(Music, NoMusicAsksNothingMoreAndStartsNoChild)
{
    int result = -1;
    const std::string out = setup("0\n", &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(count(out, "Type corresponding number : "), 1u);
    EXPECT_EQ(out.find("Choose sound device"), std::string::npos);
    EXPECT_EQ(out.find("Using"), std::string::npos);
    expect_silent_show();
    EXPECT_EQ(access("music.wav", F_OK), -1);
}

TEST_F(Music, TheDriverLineShowsTheMode)
{
    int result = -1;
    std::string out = setup(wav_answers(1, 8000), &result);
    EXPECT_EQ(result, 0);
    EXPECT_NE(out.find("Choose sound device :\n 1 "), std::string::npos);
    EXPECT_NE(out.find("Using Disk writer (wav) for 8 bit normal mono sound at 8000 Hz\n\n"),
              std::string::npos)
        << out;
    sound_shutdown();
    out = setup(wav_answers(4, 44100), &result);
    EXPECT_NE(out.find("Using Disk writer (wav) for 16 bit normal stereo sound at 44100 Hz\n\n"),
              std::string::npos)
        << out;
}

TEST_F(Music, DeviceAndFrequencyOutOfRangeAskAgain)
{
    const std::string answers = "4\n0\n" + std::to_string(driver_count() + 1) + "\n" +
                                std::to_string(wav) + "\n7999\n44101\n8000\n";
    const std::string out = setup(answers);
    EXPECT_EQ(count(out, "Type corresponding number : "), 4u); // mode once, device three times
    EXPECT_EQ(count(out, "Enter mixing frequency (eg. 11025,22050,44100) : "), 3u);
    EXPECT_NE(out.find("sound at 8000 Hz"), std::string::npos);
}

TEST_F(Music, ADriverThatCannotStartLeavesTheShowSilent)
{
    // The piped writer has no command to pipe to.
    int result = 0;
    std::string out =
        setup("4\n" + std::to_string(driver_number("Piped Output")) + "\n44100\n", &result);
    EXPECT_EQ(result, -1);
    EXPECT_NE(out.find("MikMod Driver error!\n"), std::string::npos);
    EXPECT_EQ(out.find("Using"), std::string::npos);
    expect_silent_show();
}

TEST_F(Music, AlsaWithoutASoundCardIsAnErrorNotACrash)
{
    if (access("/dev/snd", F_OK) == 0) GTEST_SKIP() << "this machine has ALSA devices";
    int result = 0;
    const std::string out =
        setup("3\n" + std::to_string(driver_number("ALSA")) + "\n22050\n", &result);
    EXPECT_EQ(result, -1);
    EXPECT_NE(out.find("MikMod Driver error!\n"), std::string::npos);
}

TEST_F(Music, StopThenShutdownSignalsTheChildOnceAndTheWavIsWhole)
{
    setup(wav_answers(4, 44100));
    write_module(64);
    ASSERT_EQ(music_load("tune.xm"), 0);
    music_start();
    sleep_ms(600);
    music_stop();
    sound_shutdown();
    ASSERT_EQ(usr1_kills(), 1);

    // The child wrote the final header: sizes match the file, and the data is about as
    // long as the music played (paced to real time, whole 32768-byte blocks).
    FILE* f = std::fopen("music.wav", "rb");
    ASSERT_NE(f, nullptr);
    uint8_t header[44];
    ASSERT_EQ(std::fread(header, 1, 44, f), 44u);
    std::fseek(f, 0, SEEK_END);
    const long size = std::ftell(f);
    std::fclose(f);
    auto u32 = [&](int at) {
        return uint32_t(header[at] | header[at + 1] << 8 | header[at + 2] << 16 |
                        header[at + 3] << 24);
    };
    EXPECT_EQ(std::memcmp(header, "RIFF", 4), 0);
    EXPECT_EQ(u32(4), uint32_t(size - 8));
    EXPECT_EQ(u32(40), uint32_t(size - 44));
    const double seconds = (size - 44) / (44100.0 * 4);
    EXPECT_GT(seconds, 0.3);
    EXPECT_LT(seconds, 1.2);
}

TEST_F(Music, ASongThatEndedIsNotSignalled)
{
    setup(wav_answers(2, 22050));
    write_module(4); // half a second
    ASSERT_EQ(music_load("tune.xm"), 0);
    music_start();
    sleep_ms(1500);
    music_stop();
    sound_shutdown();
    EXPECT_EQ(usr1_kills(), 0);
    // Collected already: no zombie left behind.
    EXPECT_EQ(waitpid(-1, nullptr, WNOHANG), -1);
}

TEST_F(Music, AModuleThatDoesNotLoadGivesAMessageAndNoMusic)
{
    setup(wav_answers(4, 44100));
    testing::internal::CaptureStdout();
    EXPECT_EQ(music_load("no-such-module.xm"), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "MikMod Error\n");
    music_start();
    sleep_ms(300);
    music_stop();
    EXPECT_EQ(usr1_kills(), 0);
}

TEST_F(Music, OtherChildrenKeepTheirStatusForTheirOwnWait)
{
    // The archive reader waits for its tar itself: the music's SIGCHLD handler must not
    // collect it first.
    setup(wav_answers(4, 44100));
    write_module(4);
    ASSERT_EQ(music_load("tune.xm"), 0);
    const pid_t other = fork();
    if (other == 0) {
        usleep(200000);
        _exit(7);
    }
    music_start();
    sleep_ms(600); // both children have ended by now, the music's song included
    int status = 0;
    ASSERT_EQ(waitpid(other, &status, 0), other);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 7);
    music_stop();
    EXPECT_EQ(usr1_kills(), 0);
}

} // namespace
