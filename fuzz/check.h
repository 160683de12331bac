#pragma once
// What the fuzz targets share: an invariant that must hold, or the run stops with a report.
#include <cstdio>
#include <cstdlib>

// Ends the run (libFuzzer keeps the input) when an invariant does not hold.
#define FUZZ_CHECK(condition)                                                                                \
    do {                                                                                                     \
        if (!(condition)) {                                                                                  \
            std::fprintf(stderr, "%s:%d: invariant broken: %s\n", __FILE__, __LINE__, #condition);           \
            std::abort();                                                                                    \
        }                                                                                                    \
    } while (false)
