// The rules that colour rows: matched when a row is drawn, kept as one value.
#include "Highlights.h"

#include <cstring>
#include <iterator>

void CHighlights::SetRules(std::vector<HighlightRule> rules) {
    m_rules = std::move(rules);
    m_searches.assign(m_rules.size(), CTextSearch(m_codePage));
    m_anyText = false;
    for (size_t i = 0; i < m_rules.size(); ++i) {
        m_searches[i].SetPattern(m_rules[i].text, m_rules[i].matchCase);
        m_anyText |= m_rules[i].kind == HighlightRule::kText;
    }
    m_byName.clear();
}

// A whole name is a hit of its own length.
int CHighlights::ProcessRule(const char* name) const {
    const size_t length = std::strlen(name);
    for (size_t i = 0; i < m_rules.size(); ++i)
        if (m_rules[i].kind == HighlightRule::kProcess && m_rules[i].text.size() == length &&
            m_searches[i].Holds(name, length))
            return static_cast<int>(i);
    return -1;
}

int CHighlights::RuleOf(const CRowStore& rows, size_t row) const {
    if (m_rules.empty())
        return -1;
    const uint32_t index = rows.GetNameIndex(row);
    const char* name = rows.GetName(index);
    if (index >= m_byName.size())
        m_byName.resize(index + 1, NameRule{std::string(), kUnknown});
    NameRule& known = m_byName[index];
    if (known.rule == kUnknown || known.name != name)
        known = {name, ProcessRule(name)};
    const size_t before = known.rule < 0 ? m_rules.size() : static_cast<size_t>(known.rule);
    if (!m_anyText)
        return known.rule;
    RowCells scratch;
    const char* text = rows.GetCellText(row, 3, scratch);
    const size_t length = std::strlen(text);
    for (size_t i = 0; i < before; ++i)
        if (m_rules[i].kind == HighlightRule::kText && m_searches[i].Holds(text, length))
            return static_cast<int>(i);
    return known.rule;
}

unsigned char CHighlights::NextBackground(const std::vector<HighlightRule>& rules) {
    size_t uses[std::size(kHighlightBackgrounds)] = {};
    for (const HighlightRule& rule : rules)
        ++uses[rule.background];
    unsigned char least = 0;
    for (unsigned char i = 1; i < std::size(uses); ++i)
        if (uses[i] < uses[least])
            least = i;
    return least;
}

bool CHighlights::AddProcess(const std::string& name) {
    if (ProcessRule(name.c_str()) >= 0)
        return false;
    std::vector<HighlightRule> rules = m_rules;
    rules.push_back({HighlightRule::kProcess, false, 0, NextBackground(m_rules), name});
    SetRules(std::move(rules));
    return true;
}

// Each rule: its kind (P or T), match case (0 or 1), foreground and background as one digit
// each, then the text's length in decimal, a colon and the text.
std::string CHighlights::Pack(const std::vector<HighlightRule>& rules) {
    std::string value;
    for (const HighlightRule& rule : rules) {
        value += rule.kind == HighlightRule::kProcess ? 'P' : 'T';
        value += static_cast<char>('0' + rule.matchCase);
        value += static_cast<char>('0' + rule.foreground);
        value += static_cast<char>('0' + rule.background);
        value += std::to_string(rule.text.size()) + ':' + rule.text;
    }
    return value;
}

bool CHighlights::Unpack(const std::string& value, std::vector<HighlightRule>& rules) {
    std::vector<HighlightRule> read;
    for (size_t at = 0; at < value.size();) {
        if (value.size() - at < 6)
            return false;
        HighlightRule rule;
        const char kind = value[at], matchCase = value[at + 1];
        const unsigned foreground = static_cast<unsigned char>(value[at + 2] - '0');
        const unsigned background = static_cast<unsigned char>(value[at + 3] - '0');
        if ((kind != 'P' && kind != 'T') || (matchCase != '0' && matchCase != '1') ||
            foreground >= std::size(kHighlightForegrounds) ||
            background >= std::size(kHighlightBackgrounds))
            return false;
        at += 4;
        size_t length = 0, digits = 0;
        for (; at < value.size() && value[at] >= '0' && value[at] <= '9'; ++at, ++digits)
            if ((length = length * 10 + static_cast<size_t>(value[at] - '0')) > value.size())
                return false;
        if (!digits || at == value.size() || value[at] != ':' || value.size() - at - 1 < length)
            return false;
        rule.kind = kind == 'P' ? HighlightRule::kProcess : HighlightRule::kText;
        rule.matchCase = matchCase == '1';
        rule.foreground = static_cast<unsigned char>(foreground);
        rule.background = static_cast<unsigned char>(background);
        rule.text = value.substr(at + 1, length);
        // A text ends at its NUL, as every cell does: one inside is no rule of ours.
        if (rule.text.find('\0') != std::string::npos)
            return false;
        read.push_back(std::move(rule));
        at += 1 + length;
    }
    rules = std::move(read);
    return true;
}
