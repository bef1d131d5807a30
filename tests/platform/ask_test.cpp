#include "platform/ask.h"
#include "platform/signals.h"

#include <csignal>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace {

// Standard input replaced by the given text for one test.
class AskNumber : public ::testing::Test {
  protected:
    std::string path = "ask_input_" + std::to_string(getpid());
    void TearDown() override { unlink(path.c_str()); }

    void feed(const std::string& text)
    {
        FILE* f = std::fopen(path.c_str(), "w");
        std::fputs(text.c_str(), f);
        std::fclose(f);
        ASSERT_NE(std::freopen(path.c_str(), "r", stdin), nullptr);
    }
    // The answer and how many times the prompt was printed.
    std::pair<int, int> ask(int lo, int hi)
    {
        testing::internal::CaptureStdout();
        const int v = ask_number("Q? ", lo, hi);
        const std::string out = testing::internal::GetCapturedStdout();
        int prompts = 0;
        for (size_t at = out.find("Q? "); at != std::string::npos; at = out.find("Q? ", at + 1))
            prompts++;
        return {v, prompts};
    }
};

TEST_F(AskNumber, ValidAnswerAtOnce)
{
    feed("3\n");
    EXPECT_EQ(ask(1, 4), std::make_pair(3, 1));
}

TEST_F(AskNumber, EmptyLineAsksAgain)
{
    feed("\n2\n");
    EXPECT_EQ(ask(1, 4), std::make_pair(2, 2));
}

TEST_F(AskNumber, DigitsThenLettersTakeTheDigits)
{
    feed("  +4x2\n");
    EXPECT_EQ(ask(1, 4), std::make_pair(4, 1));
}

TEST_F(AskNumber, LettersOnlyAreZero)
{
    feed("abc\n");
    EXPECT_EQ(ask(0, 4), std::make_pair(0, 1));
    feed("abc\n3\n");
    EXPECT_EQ(ask(1, 4), std::make_pair(3, 2));
}

TEST_F(AskNumber, OutOfRangeAsksAgain)
{
    feed("-1\n5\n99999999999999999999\n7999\n44101\n8000\n");
    EXPECT_EQ(ask(8000, 44100), std::make_pair(8000, 6));
}

TEST_F(AskNumber, OverlongLineIsTakenInPieces)
{
    // 254 characters per attempt: the first piece is 254 nines (out of range), the rest
    // "12" is the next answer.
    feed(std::string(254, '9') + "12\n");
    EXPECT_EQ(ask(1, 20), std::make_pair(12, 2));
}

TEST_F(AskNumber, EndOfInputEndsTheProgram)
{
    feed("");
    EXPECT_EXIT(ask_number("Q? ", 1, 4), testing::ExitedWithCode(1), "");
    feed("9\n");
    EXPECT_EXIT(ask_number("Q? ", 1, 4), testing::ExitedWithCode(1), "");
    feed("4"); // a lone character at the end is no answer either
    EXPECT_EXIT(ask_number("Q? ", 1, 4), testing::ExitedWithCode(1), "");
}

// A signal that arrived before the question is asked ends the program at once, even when
// no answer is on its way.
TEST(AskNumberSignals, APendingSignalIsSeenBeforeTheRead)
{
    int fds[2];
    ASSERT_EQ(pipe(fds), 0); // stays open and empty: a read would wait for ever
    EXPECT_EXIT(
        {
            dup2(fds[0], STDIN_FILENO);
            demo_signals_install();
            alarm(5); // what the read would end with
            raise(SIGTERM);
            ask_number("Q? ", 1, 4);
        },
        testing::KilledBySignal(SIGTERM), "");
    close(fds[0]);
    close(fds[1]);
}

} // namespace
