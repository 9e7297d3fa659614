// CPatternSet: every pattern of two groups searched in one pass over a text.
// CLogFilter: include/exclude substring filter applied to every received text.
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

// Decides whether a message text becomes a row, and gives back its lists as texts.
class CLogFilter {
public:
    explicit CLogFilter(const CLeadBytes& codePage = CLeadBytes::System());
    virtual ~CLogFilter();

    // True when text is to be shown; switches the filter off when both lists are empty.
    bool Match(const char* text);
    // Rebuilds both lists and the on/off flag; a null text reads as empty.
    void SetFilter(const char* includeText, const char* excludeText);
    // The text form of each list: a non-empty list's text replaces the string's
    // content, an empty list's ";" is appended to it.
    void GetFilterTexts(std::string& includeOut, std::string& excludeOut) const;
    // Replaces list with the segments of text up to the first empty one.
    void SplitPatterns(const std::string& text, char separator,
                       std::vector<std::string>& list) const;

private:
    void SplitLists(const char* includeText, const char* excludeText);

    const CLeadBytes m_codePage;
    std::vector<std::string> m_includeList;
    std::vector<std::string> m_excludeList;
    bool m_bFilterOn;
    CPatternSet m_patterns;
};
