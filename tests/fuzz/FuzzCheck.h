// The fuzz targets' assertion: a broken invariant stops the run with its name.
#pragma once

#include <cstdio>
#include <cstdlib>

inline void Check(bool holds, const char* invariant) {
    if (!holds) {
        fprintf(stderr, "broken: %s\n", invariant);
        abort();
    }
}
