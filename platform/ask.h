#pragma once

// Prints the prompt and reads a decimal answer until one lies in [minimum, maximum].
// At the end of standard input the program ends with a message and status 1.
int ask_number(const char* prompt, int minimum, int maximum);
// One line as read (line feed included): true, with the value, when it is an answer within
// [minimum, maximum].
bool ask_parse_answer(const char* line, int minimum, int maximum, int* value);
