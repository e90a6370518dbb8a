#pragma once

// What the fuzz targets share.

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
