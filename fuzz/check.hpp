// What a harness requires of a reader's result: a broken requirement aborts with the reason, which
// libFuzzer reports as a crash and keeps the input that broke it.
#pragma once

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace brelvo::fuzz {

inline void require(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "requirement broken: %s\n", what);
    std::abort();
}

inline bool finiteAndNotNegative(float value) {
    return std::isfinite(value) && value >= 0.0f;
}

}  // namespace brelvo::fuzz
