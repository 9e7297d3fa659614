// Include/exclude matching of message texts, and the text form of the pattern lists.
#include "LogFilter.h"

namespace {

const char kSeparator = ';';
const char kWildcard = '*';
// The include list's only pattern once a '*' has switched filtering off.
const char kAllPattern[] = "*;";

bool Contains(const CLeadBytes& codePage, const std::string& text, char ch) {
    return codePage.Find(text.data(), text.size(), &ch, 1) >= 0;
}

// A filter text whose last pattern is closed by a separator, as splitting needs.
std::string Terminated(const CLeadBytes& codePage, const char* text) {
    std::string result = text ? text : "";
    size_t last = 0;
    for (size_t pos = 0; pos < result.size();
         pos += codePage.CharLength(result.data() + pos, result.size() - pos))
        last = pos;
    if (!result.empty() && result[last] != kSeparator)
        result += kSeparator;
    return result;
}

void WriteTextForm(const std::vector<std::string>& list, std::string& out) {
    // An empty list's ";" goes after whatever out holds; a non-empty list replaces it.
    if (list.empty()) {
        out += kSeparator;
        return;
    }
    out.clear();
    for (const std::string& pattern : list) {
        out += pattern;
        out += kSeparator;
    }
}

} // namespace

CLogFilter::CLogFilter(const CLeadBytes& codePage)
    : m_codePage(codePage), m_includeList{kAllPattern}, m_bFilterOn(false) {
    m_patterns.Build(m_codePage, m_includeList, m_excludeList);
}

CLogFilter::~CLogFilter() = default;

bool CLogFilter::Match(const char* text) {
    if (!m_bFilterOn)
        return true;
    if (m_includeList.empty() && m_excludeList.empty()) {
        m_bFilterOn = false;
        return true;
    }
    // Any exclude pattern settles it; so does an include one when nothing is excluded.
    unsigned stopAt = CPatternSet::kExclude;
    if (m_excludeList.empty())
        stopAt |= CPatternSet::kInclude;
    const unsigned found = m_patterns.Scan(text ? text : "", stopAt);
    if ((found & CPatternSet::kExclude) != 0)
        return false;
    return m_includeList.empty() || (found & CPatternSet::kInclude) != 0;
}

void CLogFilter::SetFilter(const char* includeText, const char* excludeText) {
    SplitLists(includeText, excludeText);
    m_patterns.Build(m_codePage, m_includeList, m_excludeList);
}

void CLogFilter::SplitLists(const char* includeText, const char* excludeText) {
    std::string include = Terminated(m_codePage, includeText);
    m_excludeList.clear();
    if (Contains(m_codePage, include, kWildcard)) {
        m_includeList.assign(1, kAllPattern);
        m_bFilterOn = false;
        return;
    }
    SplitPatterns(include, kSeparator, m_includeList);

    std::string exclude = Terminated(m_codePage, excludeText);
    if (Contains(m_codePage, exclude, kWildcard)) {
        m_includeList.push_back(kAllPattern);
        m_bFilterOn = false;
        return;
    }
    SplitPatterns(exclude, kSeparator, m_excludeList);

    // Both lists empty leaves the flag alone; Match switches it off at the next message.
    if (!m_includeList.empty() || !m_excludeList.empty())
        m_bFilterOn = true;
}

void CLogFilter::GetFilterTexts(std::string& includeOut, std::string& excludeOut) const {
    WriteTextForm(m_includeList, includeOut);
    WriteTextForm(m_excludeList, excludeOut);
}

void CLogFilter::SplitPatterns(const std::string& text, char separator,
                               std::vector<std::string>& list) const {
    list.clear();
    // An empty segment, as the dialog's ";" before what is typed after it, is skipped; a final
    // segment without a separator is no pattern.
    for (size_t start = 0;;) {
        const long pos = m_codePage.Find(text.data() + start, text.size() - start, &separator, 1);
        if (pos < 0)
            return;
        if (pos > 0)
            list.push_back(text.substr(start, static_cast<size_t>(pos)));
        start += static_cast<size_t>(pos) + 1;
    }
}
