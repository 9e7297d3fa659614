// CShownRows: which of the store's rows the list shows, by the person's rules for hiding them.
#pragma once

#include <algorithm>
#include <cstddef>
#include <set>
#include <string>
#include <vector>

#include "RowStore.h"

// The rules hide rows by process name, by pid, or all but some names; hidden rows stay in the
// store. With no rule the list row is the store row and nothing is kept; with one, the shown
// store rows in order, grown as rows arrive and rebuilt when a rule changes.
class CShownRows : public ITimeBase {
public:
    explicit CShownRows(const CRowStore& rows) : m_rows(rows) {}
    size_t FirstShown() const override {
        return !m_hiding ? 0 : m_index.empty() ? SIZE_MAX : m_index.front();
    }
    size_t ShownBefore(size_t row) const override {
        if (!m_hiding)
            return row - 1;
        const auto after = std::lower_bound(m_index.begin(), m_index.end(), row);
        return after == m_index.begin() ? SIZE_MAX : *(after - 1);
    }

    const CRowStore& Store() const { return m_rows; }
    size_t GetCount() const { return m_hiding ? m_index.size() : m_rows.GetCount(); }
    size_t StoreRow(size_t listRow) const { return m_hiding ? m_index[listRow] : listRow; }
    // The first list row whose store row is storeRow or after it; GetCount() when none is.
    size_t ListRow(size_t storeRow) const;
    bool IsHiding() const { return m_hiding; }
    size_t GetHiddenCount() const { return m_rows.GetCount() - GetCount(); }

    // Each rule change shows the rows anew; false, with rules and rows as they were, when memory
    // ran out.
    bool HideNames(const std::vector<std::string>& names);
    // Replaces the hidden names and any earlier choice of names to show.
    bool ShowOnlyNames(const std::vector<std::string>& names);
    bool HidePids(const std::vector<DWORD>& pids);
    void ShowAll();

    // The store's rows appended since, shown or not by the rules.
    void Arrived();
    // The store was emptied; the rules stay for the rows to come.
    void Cleared();

    // Calls visit(listFirst, storeFirst, storeEnd) for each run of list rows from first on, before
    // end, whose store rows follow each other, in order, while it returns true.
    template <class Visit> void ForEachStoreRun(size_t first, size_t end, Visit visit) const {
        end = std::min(end, GetCount());
        if (!m_hiding) {
            if (first < end)
                visit(first, first, end);
            return;
        }
        for (size_t run = first; run < end;) {
            size_t next = run + 1;
            while (next < end && m_index[next] == m_index[next - 1] + 1)
                ++next;
            if (!visit(run, m_index[run], m_index[next - 1] + 1))
                return;
            run = next;
        }
    }
    // The distinct names and pids of the list rows from first on, before end, added to names
    // and pids, each kept sorted.
    void AddProcesses(size_t first, size_t end, std::vector<std::string>& names,
                      std::vector<DWORD>& pids) const;
    // Typing's row: the first list row from start on, before end, then from row 0 when wrapping,
    // whose name begins with prefix (is prefix, unless partial); SIZE_MAX when none.
    size_t FindName(const char* prefix, bool partial, size_t start, size_t end, bool wrap) const;

private:
    struct Rules {
        std::set<std::string> hiddenNames, onlyNames;
        std::vector<DWORD> hiddenPids; // sorted
        bool Any() const {
            return !hiddenNames.empty() || !onlyNames.empty() || !hiddenPids.empty();
        }
        bool ShowsName(const char* name) const;
    };
    bool Apply(Rules rules);
    // m_nameShown for the names the store has now.
    void AddNames();
    bool Shows(size_t storeRow) {
        const uint32_t name = m_rows.GetNameIndex(storeRow);
        if (name >= m_nameShown.size())
            AddNames();
        return m_nameShown[name] &&
               (m_rules.hiddenPids.empty() ||
                !std::binary_search(m_rules.hiddenPids.begin(), m_rules.hiddenPids.end(),
                                    m_rows.GetProcessId(storeRow)));
    }

    const CRowStore& m_rows;
    Rules m_rules;
    bool m_hiding = false;
    std::vector<size_t> m_index;   // while hiding: the shown store rows
    std::vector<char> m_nameShown; // while hiding: by the store's name index
    size_t m_indexed = 0;          // store rows the rules have seen
};
