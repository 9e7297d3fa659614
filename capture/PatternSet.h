// CPatternSet: every pattern of two groups searched in one pass over a text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "LeadBytes.h"

// A multi-pattern automaton whose matches start only at character boundaries, as
// CLeadBytes::Find decides them. Its size grows with the pattern bytes only: the root
// alone has a full table, every other state lists just the bytes it goes on with.
class CPatternSet {
public:
    // The groups, as bits of what Scan returns.
    enum : unsigned { kInclude = 1, kExclude = 2 };

    void Build(const CLeadBytes& codePage, const std::vector<std::string>& include,
               const std::vector<std::string>& exclude);
    // The groups with a pattern that occurs in the NUL-terminated text; reading stops
    // once a group in stopAt is found.
    unsigned Scan(const char* text, unsigned stopAt) const;

private:
    struct State {
        uint32_t firstEdge;   // its edges run up to the next state's firstEdge
        uint32_t fail;        // the longest proper suffix that starts at a boundary
        unsigned char groups; // of the patterns ending here, its own and its suffixes'
    };

    uint32_t Next(uint32_t state, unsigned char ch) const;

    std::vector<State> m_states; // breadth first, plus one closing the last edge run
    std::vector<unsigned char> m_edgeBytes;
    std::vector<uint32_t> m_edgeTargets;
    uint32_t m_rootNext[256] = {};
};
