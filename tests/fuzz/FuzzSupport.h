// The fuzz targets' helpers: an assertion that names what broke, and an input's text fields.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

inline void Check(bool holds, const char* invariant) {
    if (!holds) {
        fprintf(stderr, "broken: %s\n", invariant);
        abort();
    }
}

// The bytes split at NUL bytes, with empty fields added up to count.
inline std::vector<std::string> Fields(const uint8_t* data, size_t size, size_t count) {
    std::vector<std::string> fields(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            fields.emplace_back();
        else
            fields.back() += static_cast<char>(data[i]);
    }
    fields.resize(std::max(fields.size(), count));
    return fields;
}
