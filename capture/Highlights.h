// CHighlights: the rules that colour rows, and the palettes they take their colours from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "RowStore.h"
#include "TextSearch.h"

// A colour as the system keeps it: 0x00BBGGRR.
constexpr uint32_t HighlightRgb(unsigned r, unsigned g, unsigned b) {
    return r | g << 8 | b << 16;
}

// Dark texts and light backgrounds, so that every text reads on every background.
inline constexpr uint32_t kHighlightForegrounds[] = {
    HighlightRgb(0, 0, 0),   HighlightRgb(139, 0, 0),   HighlightRgb(0, 100, 0),
    HighlightRgb(0, 0, 139), HighlightRgb(128, 0, 128), HighlightRgb(120, 60, 0),
};
inline constexpr uint32_t kHighlightBackgrounds[] = {
    HighlightRgb(255, 255, 176), HighlightRgb(204, 255, 204), HighlightRgb(204, 229, 255),
    HighlightRgb(255, 204, 204), HighlightRgb(255, 224, 178), HighlightRgb(229, 204, 255),
    HighlightRgb(204, 255, 255), HighlightRgb(224, 224, 224),
};

// A process rule matches a row whose process name is its text; a text rule one whose message
// holds its text. Case counts only with matchCase, and then only for ASCII letters.
struct HighlightRule {
    enum Kind : unsigned char { kProcess, kText };
    Kind kind = kText;
    bool matchCase = false;
    unsigned char foreground = 0; // into kHighlightForegrounds
    unsigned char background = 0; // into kHighlightBackgrounds
    std::string text;
};

// The ordered rules: the first that matches a row colours it. What a process rule decides is
// kept per distinct process name, so a row costs its text rules' searches only.
class CHighlights {
public:
    explicit CHighlights(const CLeadBytes& codePage) : m_codePage(codePage) {}

    void SetRules(std::vector<HighlightRule> rules);
    const std::vector<HighlightRule>& GetRules() const { return m_rules; }
    bool IsEmpty() const { return m_rules.empty(); }
    // The rule that colours the row; -1 for none.
    int RuleOf(const CRowStore& rows, size_t row) const;
    // Adds a rule for the process name with the background fewest rules use (the first of
    // those), unless a process rule already matches the name; whether it added one.
    bool AddProcess(const std::string& name);
    // The background fewest of the rules use, the first of those.
    static unsigned char NextBackground(const std::vector<HighlightRule>& rules);

    // The rules as one value, and back: false, leaving rules as they were, for a value that is
    // not a list of rules.
    static std::string Pack(const std::vector<HighlightRule>& rules);
    static bool Unpack(const std::string& value, std::vector<HighlightRule>& rules);

private:
    static const int kUnknown = -2;
    struct NameRule {
        std::string name;
        int rule; // the first process rule naming it; -1 for none
    };
    int ProcessRule(const char* name) const;

    CLeadBytes m_codePage;
    std::vector<HighlightRule> m_rules;
    std::vector<CTextSearch> m_searches;    // one for each rule
    bool m_anyText = false;                 // a text rule is there
    mutable std::vector<NameRule> m_byName; // by the store's name index; checked by name, as
                                            // Clear gives the indexes to other names
};
