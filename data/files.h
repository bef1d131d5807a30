// Whole data files, from the directory tree or as members of a tar archive.
#pragma once

#include <cstddef>

// Reads the whole file into a new buffer with a 0 byte after the data (size + 1 bytes).
// Returns the size; -1: can't be opened, -2: short read ("File read failure\n"),
// -3: no memory for the buffer. *out is null on failure.
int file_read_all(const char* path, unsigned char** out);
// Writes size bytes to a new file. 0; -1: can't open ("Error opening %s: %s\n"),
// -2: short write ("File write failure\n").
int file_write_all(const char* path, const void* data, size_t size);

// The archive that every later picture is read from; null when none is selected. A null or
// empty name selects none.
const char* archive_select(const char* name);
const char* archive_selected();
// Size of the member as listed by tar; 0 when absent or not an archive; -1 when the
// listing can't be started.
long archive_member_size(const char* archive, const char* member);
// The member's bytes in a new buffer (exactly its size); 0 on every failure.
long archive_read_member(const char* archive, const char* member, unsigned char** out);

// Tokeniser of tar listing lines: the next blank-, newline- or comma-delimited field.
char* next_field(char** cursor);
