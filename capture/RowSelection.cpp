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
    Add(first, last);
}

void CRowSelection::Add(int first, int last) {
    if (first > last)
        std::swap(first, last);
    if (first < 0)
        return;
    // The runs it touches or overlaps join it.
    auto run = m_runs.upper_bound(first);
    if (run != m_runs.begin() && std::prev(run)->second >= first - 1)
        first = (--run)->first;
    while (run != m_runs.end() && run->first - 1 <= last) {
        last = std::max(last, run->second);
        run = m_runs.erase(run);
    }
    m_runs.emplace(first, last);
}

void CRowSelection::Set(int row, bool selected) {
    if (selected)
        return Add(row, row);
    if (row < 0 || !IsSelected(row))
        return;
    auto run = std::prev(m_runs.upper_bound(row));
    const int first = run->first, last = run->second;
    m_runs.erase(run);
    if (first < row)
        m_runs.emplace(first, row - 1);
    if (row < last)
        m_runs.emplace(row + 1, last);
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
