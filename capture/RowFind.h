// CRowFind: a find over rows that grow as it runs, done in slices so that none runs long.
#pragma once

#include <cstddef>
#include <string>

#include "ShownRows.h"
#include "TextSearch.h"

// Seeks the next or previous match from a row, wrapping at the ends, and counts every match and
// where the found one is among them, over the shown rows by their list rows. Rows added meanwhile
// are searched too.
class CRowFind {
public:
    enum class State { kIdle, kSeeking, kFound, kNotFound };
    static const size_t kNone = SIZE_MAX;

    CRowFind(const CShownRows& rows, const CLeadBytes& codePage)
        : m_rows(rows), m_search(codePage) {}

    // A new text: any seek ends and the count starts over.
    void SetPattern(const std::string& text, bool matchCase);
    const CTextSearch& GetSearch() const { return m_search; }
    // Seeks a match in the direction from row from (kNone: from the first or the last row), which
    // itself counts only when inclusive.
    void Seek(size_t from, bool forward, bool inclusive);
    // Scans at most budget rows, the seek first; true while work is left.
    bool Step(size_t budget);
    // The store was emptied: whatever runs ends.
    void Cleared();

    State GetState() const { return m_state; }
    size_t GetFound() const { return m_found; }
    bool Wrapped() const { return m_wrapped; }
    bool IsForward() const { return m_forward; }
    // Once every row is counted: the matches, and the found one's place among them from 1.
    bool IsCounted() const { return m_state != State::kSeeking && m_counted == m_rows.GetCount(); }
    size_t GetTotal() const { return m_total; }
    size_t GetIndex() const { return m_before + 1; }

private:
    void StepSeek(size_t budget);
    void Found(size_t row, bool wrapped);
    void RestartCount();
    // The search's, over the list rows from first on, before end.
    size_t Count(size_t first, size_t end) const;
    size_t FindFirst(size_t first, size_t end) const;
    size_t FindLast(size_t first, size_t end) const;

    const CShownRows& m_rows;
    CTextSearch m_search;
    State m_state = State::kIdle;
    bool m_forward = true, m_inclusive = false, m_wrapped = false, m_secondLeg = false;
    size_t m_from = kNone;
    size_t m_next = 0;  // forward, the next row to scan; backward, the row after it
    size_t m_limit = 0; // where the second leg stops
    size_t m_found = kNone;
    size_t m_counted = 0; // rows counted, from the first
    size_t m_total = 0;
    size_t m_before = 0; // matches counted before the found row
};
