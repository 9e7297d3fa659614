// CRowSelection: runs of selected rows, merged as they touch.
#include "RowSelection.h"

#include <algorithm>
#include <climits>
#include <iterator>

bool CRowSelection::IsSelected(int row) const {
    auto run = m_runs.upper_bound(row);
    return run != m_runs.begin() && row <= std::prev(run)->second;
}

void CRowSelection::SelectOnly(int first, int last) {
    m_runs.clear();
    if (first >= 0 && last >= 0)
        m_runs.emplace(std::min(first, last), std::max(first, last));
}

void CRowSelection::Set(int row, bool selected) {
    if (row < 0 || IsSelected(row) == selected)
        return;
    if (!selected) {
        auto run = std::prev(m_runs.upper_bound(row));
        const int first = run->first, last = run->second;
        m_runs.erase(run);
        if (first < row)
            m_runs.emplace(first, row - 1);
        if (row < last)
            m_runs.emplace(row + 1, last);
        return;
    }
    int first = row, last = row;
    auto next = m_runs.find(row + 1);
    if (next != m_runs.end()) {
        last = next->second;
        m_runs.erase(next);
    }
    auto run = m_runs.lower_bound(row);
    if (run != m_runs.begin() && std::prev(run)->second == row - 1)
        std::prev(run)->second = last;
    else
        m_runs.emplace(first, last);
}

int CRowSelection::GetCount() const {
    int count = 0;
    for (const auto& run : m_runs)
        count += run.second - run.first + 1;
    return count;
}

int CRowSelection::GetNext(int row) const {
    if (row == INT_MAX)
        return -1;
    const int from = std::max(row + 1, 0);
    if (IsSelected(from))
        return from;
    auto run = m_runs.upper_bound(from);
    return run == m_runs.end() ? -1 : run->first;
}
