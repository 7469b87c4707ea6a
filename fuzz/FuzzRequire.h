#pragma once

#include <cstdio>
#include <cstdlib>

// A fuzz target's invariant: a broken one aborts, which the fuzzer reports
// with the input that broke it.
inline void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}
