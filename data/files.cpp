#include "data/files.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int file_read_all(const char* path, unsigned char** out)
{
    *out = nullptr;
    FILE* f = std::fopen(path, "rb");
    if (f == nullptr) return -1;

    const long here = std::ftell(f);
    std::fseek(f, 0, SEEK_END);
    const long size = std::ftell(f);
    std::fseek(f, here, SEEK_SET);
    if (size < 0 || size > 0x7ffffffeL) { // a directory, a pipe, or too big for the result
        std::fclose(f);
        return -1;
    }

    auto* buf = static_cast<unsigned char*>(std::malloc(size_t(size) + 1));
    if (buf == nullptr) {
        std::fclose(f);
        return -3;
    }
    buf[size] = 0;
    const size_t got = std::fread(buf, 1, size_t(size), f);
    std::fclose(f);
    if (got != size_t(size)) {
        std::printf("File read failure\n");
        std::free(buf);
        return -2;
    }
    *out = buf;
    return int(size);
}

int file_write_all(const char* path, const void* data, size_t size)
{
    FILE* f = std::fopen(path, "wb");
    if (f == nullptr) {
        std::printf("Error opening %s: %s\n", path, std::strerror(errno));
        return -1;
    }
    // fwrite must not see a null pointer, even for nothing to write.
    const size_t put = size > 0 ? std::fwrite(data, 1, size, f) : 0;
    const bool closed = std::fclose(f) == 0;
    if (put != size || !closed) {
        std::printf("File write failure\n");
        return -2;
    }
    return 0;
}

char* next_field(char** cursor)
{
    char* s = *cursor;
    while (*s == ' ' || *s == '\t') s++;
    if (*s == 0) {
        *cursor = s;
        return nullptr;
    }
    char* start = s;
    while (*s != 0 && *s != ' ' && *s != '\n' && *s != ',') s++;
    if (*s != 0) *s++ = 0;
    *cursor = s;
    return start;
}
