#pragma once

// Prints the prompt and reads a decimal answer until one lies in [minimum, maximum].
// At the end of standard input the program ends with a message and status 1.
int ask_number(const char* prompt, int minimum, int maximum);
// One line as read (line feed included): true, with the value, when it is an answer within
// [minimum, maximum].
bool ask_parse_answer(const char* line, int minimum, int maximum, int* value);

// The questions of the start-up dialogue that the command line can answer beforehand.
enum AskQuestion { ASK_SOUND, ASK_DEVICE, ASK_RATE, ASK_MODE, ASK_QUESTIONS };

// The answers --no-questions gives: 16-bit stereo, the first device that works (0: MikMod's
// own detection), 44100 Hz, the first display mode.
constexpr int ASK_DEFAULTS[ASK_QUESTIONS] = {4, 0, 44100, 1};

// The dialogue's options at argv[i]: --sound N, --device N, --rate N, --mode N and
// --no-questions. Returns the number of arguments taken, 0 when argv[i] is none of them, -1
// after a message on standard error when its value is not a whole number in the option's range.
int ask_option(int argc, char** argv, int i);
// The lines of --help that describe them.
const char* ask_options_help();
// True when the command line answers the question (by its own option or --no-questions).
bool ask_answered(AskQuestion question);
// The command line's answer when it has one, else the dialogue's (ask_number). An answer given
// beforehand that lies outside [minimum, maximum] - a device or mode this machine does not
// offer - ends the program with a message on standard error and status 2.
int ask_answer(AskQuestion question, const char* prompt, int minimum, int maximum);
// Forgets the answers given beforehand.
void ask_forget_answers();
