// CRowSelection: which rows are selected, as runs of rows, so that selecting a range of a million
// rows costs as little as selecting one.
#pragma once

#include <map>

class CRowSelection {
public:
    bool IsSelected(int row) const;
    // The rows from first to last, both included, in either order, and no others.
    void SelectOnly(int first, int last);
    // The rows from first to last, both included, in either order, besides those selected.
    void Add(int first, int last);
    void Clear() { m_runs.clear(); }
    void Set(int row, bool selected);
    int GetCount() const;
    bool IsEmpty() const { return m_runs.empty(); }
    // Calls visit(first, last) for each run, in row order.
    template <class Visit> void ForEachRun(Visit visit) const {
        for (const auto& run : m_runs)
            visit(run.first, run.second);
    }
    // The first selected row after row (-1 for from the start); -1 when there is none.
    int GetNext(int row) const;

private:
    std::map<int, int> m_runs; // first row of a run -> its last row; runs neither touch nor overlap
};
