// CLogFilter: include/exclude substring filter applied to every received text.
#pragma once

#include <string>
#include <vector>

#include "LeadBytes.h"
#include "PatternSet.h"

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
    // Replaces list with the non-empty segments of text that a separator ends.
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
