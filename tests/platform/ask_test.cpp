#include "platform/ask.h"
#include "platform/signals.h"

#include <csignal>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

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

// The dialogue's answers given on the command line.
class AskOptions : public AskNumber {
  protected:
    void TearDown() override
    {
        ask_forget_answers();
        AskNumber::TearDown();
    }
    // ask_option on a command line; the arguments taken.
    static int option(std::vector<std::string> words)
    {
        words.insert(words.begin(), "vantor-test");
        std::vector<char*> argv;
        for (std::string& w : words) argv.push_back(w.data());
        testing::internal::CaptureStderr();
        const int taken = ask_option(int(argv.size()), argv.data(), 1);
        last_error = testing::internal::GetCapturedStderr();
        return taken;
    }
    static inline std::string last_error;
};

TEST_F(AskOptions, ValuesAreWholeNumbersWithinTheirRange)
{
    EXPECT_EQ(option({"--sound", "0"}), 2);
    EXPECT_EQ(option({"--rate", "8000"}), 2);
    EXPECT_EQ(option({"--device", "0"}), 2);
    EXPECT_EQ(option({"--mode", "3", "--scale"}), 2);
    EXPECT_EQ(option({"--no-questions", "--mode"}), 1);
    EXPECT_EQ(option({"--scale", "2"}), 0);
    EXPECT_EQ(last_error, "");
    ask_forget_answers();
    for (const auto& bad : std::vector<std::vector<std::string>>{
             {"--sound", "5"}, {"--sound", "-1"}, {"--sound", "4x"}, {"--sound", ""},
             {"--sound"}, {"--rate", "7999"}, {"--rate", "44101"}, {"--rate", "99999999999999999999"},
             {"--device", "-1"}, {"--mode", "0"}, {"--mode", "one"}}) {
        EXPECT_EQ(option(bad), -1) << bad[0];
        EXPECT_NE(last_error.find("vantor-test: " + bad[0] + " wants a whole number"),
                  std::string::npos)
            << last_error;
    }
    for (int q = 0; q < ASK_QUESTIONS; q++) EXPECT_FALSE(ask_answered(AskQuestion(q)));
}

// An answer given beforehand is taken without a prompt or a read; the others are still asked.
TEST_F(AskOptions, GivenAnswersSkipTheirQuestionOnly)
{
    option({"--rate", "22050"});
    feed("3\n");
    testing::internal::CaptureStdout();
    EXPECT_EQ(ask_answer(ASK_RATE, "R? ", 8000, 44100), 22050);
    EXPECT_EQ(ask_answer(ASK_MODE, "M? ", 1, 4), 3);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "M? ");
    EXPECT_TRUE(ask_answered(ASK_RATE));
    EXPECT_FALSE(ask_answered(ASK_SOUND));
}

// --no-questions answers what is still open, in either order with the single options.
TEST_F(AskOptions, NoQuestionsTakesTheDefaultsForWhatIsOpen)
{
    option({"--mode", "2"});
    option({"--no-questions"});
    option({"--sound", "1"});
    feed("");
    testing::internal::CaptureStdout();
    EXPECT_EQ(ask_answer(ASK_SOUND, "S? ", 0, 4), 1);
    EXPECT_EQ(ask_answer(ASK_DEVICE, "D? ", 0, 11), 0);
    EXPECT_EQ(ask_answer(ASK_RATE, "R? ", 8000, 44100), 44100);
    EXPECT_EQ(ask_answer(ASK_MODE, "M? ", 1, 4), 2);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

// A device or mode this machine does not offer is a usage error, not a question asked again.
TEST_F(AskOptions, AnAnswerOutsideTheMachinesChoicesEndsWithStatus2)
{
    option({"--device", "12"});
    EXPECT_EXIT(ask_answer(ASK_DEVICE, "D? ", 0, 11), testing::ExitedWithCode(2),
                "vantor-test: --device 12: this machine offers 0 to 11");
    option({"--no-questions"});
    EXPECT_EXIT(ask_answer(ASK_MODE, "M? ", 2, 3), testing::ExitedWithCode(2),
                "--mode 1: this machine offers 2 to 3");
}

} // namespace
