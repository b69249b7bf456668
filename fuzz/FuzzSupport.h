#pragma once

#include <QString>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sys/mman.h>
#include <unistd.h>

// A property every input must keep; a broken one stops the fuzzer with the
// input that broke it, like a crash.
inline void fuzzCheck(bool holds, const char *property)
{
    if (!holds) {
        std::fprintf(stderr, "property broken: %s\n", property);
        std::abort();
    }
}

// A file in memory holding exactly these bytes, for readers that take a
// path; each call replaces the last input. Opened through /proc, the file
// gives each reader its own offset.
inline QString inputFilePath(const uint8_t *data, size_t size)
{
    static const int file = memfd_create("fuzz-input", 0);
    fuzzCheck(file >= 0 && ftruncate(file, 0) == 0 && pwrite(file, data, size, 0) == ssize_t(size),
              "the input fits in a file");
    return QStringLiteral("/proc/self/fd/%1").arg(file);
}
