// The command line shared by the programs: --help, --version, --data DIR, and the options of
// the display back-end linked in; and where the show's data tree is found.
#pragma once

// Parses the options of vantor-x11, vantor-fb and vantor-svga and enters the data tree.
// Returns -1 when the show should run, otherwise the status to end with (after --help or
// --version: 0; after a bad option: 2).
int demo_options(int argc, char** argv);

// "PROGRAM (vantor6) VERSION" on standard output.
void demo_print_version(const char* program);

// Enters the data tree: dir when given (false with a message when it cannot be entered);
// otherwise stays where a data tree is, or else enters the one installed with the program.
bool demo_enter_data(const char* dir, const char* program);
