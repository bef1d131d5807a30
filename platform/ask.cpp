#include "platform/ask.h"

#include "platform/exit.h"
#include "platform/signals.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

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
