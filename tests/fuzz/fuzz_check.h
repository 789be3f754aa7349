// A property violated by the library: report it and abort, so that both
// libFuzzer and the corpus regression driver stop on it.
#pragma once

#include <cstdio>
#include <cstdlib>

#define ZYRA_FUZZ_CHECK(condition, what)                                                                               \
    do {                                                                                                               \
        if (!(condition)) {                                                                                            \
            std::fprintf(stderr, "%s:%d: property violated: %s\n", __FILE__, __LINE__, what);                          \
            std::abort();                                                                                              \
        }                                                                                                              \
    } while (0)
