#pragma once

#include <cstdio>
#include <cstdlib>

// The fuzz build is RelWithDebInfo, where assert() is compiled out; this check never is, and a
// failed one aborts so that libFuzzer keeps the input.
#define VELKAN_FUZZ_CHECK(condition)                                                             \
    do {                                                                                         \
        if (!(condition)) {                                                                      \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);   \
            std::abort();                                                                        \
        }                                                                                        \
    } while (false)
