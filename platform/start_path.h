// The directory the program was started in, which its relative output names are taken from
// even after it has entered the data tree.
#pragma once

#include <string>

// The start directory's name, taken at the first call, so that call must come before the
// program changes directory; "" when it cannot be named (removed, say).
const std::string& demo_start_dir();

// A relative output name (the frame log, the disk writers' music.wav, the capture's files)
// taken from the directory the program was started in, not from the data tree; path itself
// when it is absolute or that directory cannot be named.
std::string demo_start_path(const std::string& path);
