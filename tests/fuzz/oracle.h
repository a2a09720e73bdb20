// What the fuzz targets share: an oracle that fails says which, and stops
// the run where libFuzzer keeps the input.
#pragma once

#include <cstdio>
#include <cstdlib>

inline void require(bool ok, const char* what)
{
    if (!ok) {
        (void)std::fprintf(stderr, "oracle failed: %s\n", what);
        std::abort();
    }
}
