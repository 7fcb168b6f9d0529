#pragma once
// What the fuzz targets share: the input as bytes, and a check that stops the
// run with a message, which libFuzzer reports as a crash and saves the input.
#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#define FUZZ_CHECK(cond)                                                                          \
    do {                                                                                          \
        if (!(cond)) {                                                                            \
            std::fprintf(stderr, "%s:%d: property failed: %s\n", __FILE__, __LINE__, #cond);      \
            std::abort();                                                                         \
        }                                                                                         \
    } while (0)

namespace dzq::fuzz {

inline QByteArray bytesOf(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

} // namespace dzq::fuzz
