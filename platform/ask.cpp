#include "platform/ask.h"

#include "platform/exit.h"
#include "platform/signals.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

bool ask_parse_answer(const char* line, int minimum, int maximum, int* value)
{
    // An empty line (or a lone character at the end of input) is no answer.
    if (std::strlen(line) <= 1) return false;
    const long v = std::strtol(line, nullptr, 10);
    if (v < minimum || v > maximum) return false;
    *value = int(v);
    return true;
}

int ask_number(const char* prompt, int minimum, int maximum)
{
    for (;;) {
        // A signal that came while nobody was reading (during the driver probe, say) ends the
        // program here, not after the next line the user types.
        demo_signals_check();
        std::printf("%s", prompt);
        std::fflush(stdout);

        // At most 254 characters per attempt: a longer line is taken in pieces.
        char line[256] = {};
        if (std::fgets(line, 255, stdin) == nullptr) {
            // A signal may interrupt the read; anything else means no answer will come.
            if (errno == EINTR && !std::feof(stdin)) {
                demo_signals_check();
                std::clearerr(stdin);
                continue;
            }
            std::printf("\nNo answer: standard input has ended.\n");
            demo_exit(1);
        }
        int value;
        if (ask_parse_answer(line, minimum, maximum, &value)) return value;
    }
}

namespace {

struct AskOption {
    const char* name;
    int minimum, maximum;
    const char* range; // in words, for the message about a bad value
};

// The ranges known before the dialogue; the device and mode are checked against this
// machine's choices when their question comes.
constexpr AskOption ASK_OPTIONS[ASK_QUESTIONS] = {
    {"--sound", 0, 4, "from 0 to 4"},
    {"--device", 0, 999, "from 0 to 999"},
    {"--rate", 8000, 44100, "from 8000 to 44100"},
    {"--mode", 1, 999, "from 1 to 999"},
};

// The program, as the command line named it, for the messages (a copy: the caller's argument
// vector need not outlive the options).
std::string ask_program = "vantor";
bool ask_given[ASK_QUESTIONS];
int ask_given_value[ASK_QUESTIONS];

// A whole decimal number and nothing else.
bool ask_whole_number(const char* text, long* value)
{
    if (text == nullptr || *text == '\0') return false;
    char* end;
    errno = 0;
    *value = std::strtol(text, &end, 10);
    return *end == '\0' && errno == 0;
}

} // namespace

int ask_option(int argc, char** argv, int i)
{
    ask_program = argv[0];
    const char* program = ask_program.c_str();
    if (std::strcmp(argv[i], "--no-questions") == 0) {
        for (int q = 0; q < ASK_QUESTIONS; q++)
            if (!ask_given[q]) ask_given_value[q] = ASK_DEFAULTS[q];
        for (bool& given : ask_given) given = true;
        return 1;
    }
    for (int q = 0; q < ASK_QUESTIONS; q++) {
        const AskOption& option = ASK_OPTIONS[q];
        if (std::strcmp(argv[i], option.name) != 0) continue;
        long value;
        if (i + 1 >= argc || !ask_whole_number(argv[i + 1], &value) || value < option.minimum ||
            value > option.maximum) {
            std::fprintf(stderr, "%s: %s wants a whole number %s\n", program, option.name,
                         option.range);
            return -1;
        }
        ask_given[q] = true;
        ask_given_value[q] = int(value);
        return 2;
    }
    return 0;
}

const char* ask_options_help()
{
    return "  --sound N       answers the output-mode question: 0 no music, 1 8 bits mono,\n"
           "                  2 8 bits stereo, 3 16 bits mono, 4 16 bits stereo\n"
           "  --device N      answers the sound-device question: the number in its list,\n"
           "                  or 0 for the first device that works\n"
           "  --rate N        answers the mixing-frequency question (8000-44100 Hz)\n"
           "  --mode N        answers the display-mode question: the number in its list\n"
           "  --no-questions  asks nothing: what the options above leave open is answered\n"
           "                  with --sound 4 --device 0 --rate 44100 --mode 1\n";
}

bool ask_answered(AskQuestion question)
{
    return ask_given[question];
}

int ask_answer(AskQuestion question, const char* prompt, int minimum, int maximum)
{
    if (!ask_given[question]) return ask_number(prompt, minimum, maximum);
    const int value = ask_given_value[question];
    if (value >= minimum && value <= maximum) return value;
    std::fprintf(stderr, "%s: %s %d: this machine offers %d to %d\n",
                 ask_program.c_str(), ASK_OPTIONS[question].name, value, minimum,
                 maximum);
    demo_exit(2);
}

void ask_forget_answers()
{
    for (bool& given : ask_given) given = false;
}
