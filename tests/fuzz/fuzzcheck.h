#pragma once

// What the fuzz targets share.

#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

/// Stops the program, which libFuzzer and the corpus driver both report, when a rule does not hold.
#define NAMOREL_FUZZ_CHECK(condition)                                                                                  \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            std::fprintf(stderr, "%s:%d: broken rule: %s\n", __FILE__, __LINE__, #condition);                          \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (false)

/// A folder for the files a target writes and reads back, made once per run; in memory where the system has such
/// a folder, as writes that synchronise the disk would slow every run.
inline const QTemporaryDir &FuzzScratchFolder()
{
    static const QTemporaryDir dir(
        QFile::exists(QStringLiteral("/dev/shm")) ? QStringLiteral("/dev/shm/namorel-fuzz-XXXXXX") : QString());
    return dir;
}
