// The shown-row index: rules applied to every stored row on a change, and to each row that
// arrives, so that a row costs a look-up and a push while something is hidden and nothing when
// nothing is.
#include "ShownRows.h"

#include <new>
#include <utility>

bool CShownRows::Rules::ShowsName(const char* name) const {
    return !hiddenNames.count(name) && (onlyNames.empty() || onlyNames.count(name));
}

size_t CShownRows::ListRow(size_t storeRow) const {
    if (!m_hiding)
        return std::min(storeRow, m_rows.GetCount());
    return std::lower_bound(m_index.begin(), m_index.end(), storeRow) - m_index.begin();
}

bool CShownRows::HideNames(const std::vector<std::string>& names) {
    Rules rules = m_rules;
    rules.hiddenNames.insert(names.begin(), names.end());
    return Apply(std::move(rules));
}

bool CShownRows::ShowOnlyNames(const std::vector<std::string>& names) {
    Rules rules = m_rules;
    rules.hiddenNames.clear();
    rules.onlyNames = std::set<std::string>(names.begin(), names.end());
    return Apply(std::move(rules));
}

bool CShownRows::HidePids(const std::vector<DWORD>& pids) {
    Rules rules = m_rules;
    rules.hiddenPids.insert(rules.hiddenPids.end(), pids.begin(), pids.end());
    std::sort(rules.hiddenPids.begin(), rules.hiddenPids.end());
    rules.hiddenPids.erase(std::unique(rules.hiddenPids.begin(), rules.hiddenPids.end()),
                           rules.hiddenPids.end());
    return Apply(std::move(rules));
}

void CShownRows::ShowAll() {
    m_rules = Rules();
    m_hiding = false;
    m_index = std::vector<size_t>();
    m_nameShown = std::vector<char>();
}

// The new index is made beside the old one, which stays until it is whole.
bool CShownRows::Apply(Rules rules) {
    if (!rules.Any()) {
        ShowAll();
        return true;
    }
    try {
        std::vector<char> nameShown(m_rows.GetNameCount());
        for (size_t name = 0; name < nameShown.size(); ++name)
            nameShown[name] = rules.ShowsName(m_rows.GetName(name));
        std::vector<size_t> index;
        index.reserve(m_rows.GetCount());
        const auto& pids = rules.hiddenPids;
        for (size_t row = 0; row < m_rows.GetCount(); ++row)
            if (nameShown[m_rows.GetNameIndex(row)] &&
                (pids.empty() ||
                 !std::binary_search(pids.begin(), pids.end(), m_rows.GetProcessId(row))))
                index.push_back(row);
        m_rules = std::move(rules);
        m_index = std::move(index);
        m_nameShown = std::move(nameShown);
        m_indexed = m_rows.GetCount();
        m_hiding = true;
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void CShownRows::AddNames() {
    for (size_t name = m_nameShown.size(); name < m_rows.GetNameCount(); ++name)
        m_nameShown.push_back(m_rules.ShowsName(m_rows.GetName(name)));
}

void CShownRows::Arrived() {
    if (!m_hiding)
        return;
    // Without memory for it a row waits here, counted hidden, and the next arrival tries again.
    try {
        for (; m_indexed < m_rows.GetCount(); ++m_indexed)
            if (Shows(m_indexed))
                m_index.push_back(m_indexed);
    } catch (const std::bad_alloc&) {
    }
}

void CShownRows::Cleared() {
    m_index.clear();
    m_nameShown.clear();
    m_indexed = 0;
}

void CShownRows::AddProcesses(size_t first, size_t end, std::vector<std::string>& names,
                              std::vector<DWORD>& pids) const {
    std::vector<bool> named(m_rows.GetNameCount());
    std::set<DWORD> seen(pids.begin(), pids.end());
    DWORD lastPid = 0;
    ForEachStoreRun(first, end, [&](size_t, size_t storeFirst, size_t storeEnd) {
        for (size_t row = storeFirst; row < storeEnd; ++row) {
            named[m_rows.GetNameIndex(row)] = true;
            // A burst comes from one sender.
            const DWORD pid = m_rows.GetProcessId(row);
            if (row == storeFirst || pid != lastPid)
                seen.insert(lastPid = pid);
        }
        return true;
    });
    pids.assign(seen.begin(), seen.end());
    for (size_t name = 0; name < named.size(); ++name)
        if (named[name])
            names.push_back(m_rows.GetName(name));
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
}

size_t CShownRows::FindName(const char* prefix, bool partial, size_t start, size_t end,
                            bool wrap) const {
    // Names are few: each is tried once, then the rows are only looked up.
    const std::vector<bool> matches = m_rows.NamesStartingWith(prefix, partial);
    if (std::find(matches.begin(), matches.end(), true) == matches.end())
        return SIZE_MAX;
    end = std::min(end, GetCount());
    start = std::min(start, end);
    for (size_t row = start; row < end; ++row)
        if (matches[m_rows.GetNameIndex(StoreRow(row))])
            return row;
    for (size_t row = 0; wrap && row < start; ++row)
        if (matches[m_rows.GetNameIndex(StoreRow(row))])
            return row;
    return SIZE_MAX;
}
