// The sliced find: a seek in two legs (to the end, then wrapped from the other end) and a count
// that keeps the found match's place as the seek moves from match to match.
#include "RowFind.h"

#include <algorithm>

void CRowFind::SetPattern(const std::string& text, bool matchCase) {
    m_search.SetPattern(text, matchCase);
    m_state = State::kIdle;
    m_found = kNone;
    RestartCount();
}

void CRowFind::RestartCount() {
    m_counted = m_total = m_before = 0;
}

void CRowFind::Cleared() {
    m_state = State::kIdle;
    m_found = kNone;
    RestartCount();
}

void CRowFind::Seek(size_t from, bool forward, bool inclusive) {
    const size_t count = m_rows.GetCount();
    m_forward = forward;
    m_from = from < count ? from : kNone;
    m_inclusive = inclusive;
    m_wrapped = m_secondLeg = false;
    m_state = State::kSeeking;
    if (m_from == kNone)
        m_next = forward ? 0 : count;
    else
        m_next = forward ? m_from + (inclusive ? 0 : 1) : m_from + (inclusive ? 1 : 0);
    m_limit = m_next;
}

bool CRowFind::Step(size_t budget) {
    if (m_state == State::kSeeking)
        StepSeek(budget);
    else if (!m_search.GetPattern().empty() && m_counted < m_rows.GetCount()) {
        const size_t end = std::min(m_rows.GetCount(), m_counted + budget);
        // Matches before the found row are counted apart, for its place.
        const size_t split = m_found == kNone ? end : std::clamp(m_found, m_counted, end);
        const size_t before = Count(m_counted, split);
        m_before += before;
        m_total += before + Count(split, end);
        m_counted = end;
    }
    return m_state == State::kSeeking ||
           (!m_search.GetPattern().empty() && m_counted < m_rows.GetCount());
}

// Rows may have been added since the last slice: each slice reads the count afresh.
void CRowFind::StepSeek(size_t budget) {
    const size_t count = m_rows.GetCount();
    if (m_forward) {
        // The first leg ends at the last row there is when a slice finds no more.
        if (!m_secondLeg && m_next >= count) {
            m_secondLeg = true;
            m_next = 0;
        }
        const size_t stop = m_secondLeg ? std::min(m_limit, count) : count;
        if (m_next >= stop) {
            m_state = State::kNotFound;
            return;
        }
        const size_t end = m_next + std::min(budget, stop - m_next);
        const size_t row = FindFirst(m_next, end);
        m_next = end;
        if (row < end)
            Found(row, m_secondLeg);
        return;
    }
    m_next = std::min(m_next, count);
    const size_t stop = m_secondLeg ? m_limit : 0;
    const size_t first = m_next - std::min(m_next - std::min(stop, m_next), budget);
    const size_t row = FindLast(first, m_next);
    if (row < m_next)
        return Found(row, m_secondLeg);
    m_next = first;
    if (m_next > stop)
        return;
    if (m_secondLeg || m_limit >= count) {
        m_state = State::kNotFound;
        return;
    }
    m_secondLeg = true;
    m_next = count;
}

// From a match to the next one in either direction, its place follows without a recount.
void CRowFind::Found(size_t row, bool wrapped) {
    const bool adjacent = m_found != kNone && !m_inclusive && m_from == m_found;
    if (!adjacent)
        RestartCount();
    else if (wrapped && m_forward)
        m_before = 0;
    else if (wrapped)
        m_before = m_counted > row ? m_total - 1 : m_total;
    else if (m_forward && m_counted > m_found)
        ++m_before;
    else if (!m_forward && m_counted > row)
        --m_before;
    m_found = row;
    m_wrapped = wrapped;
    m_state = State::kFound;
}

size_t CRowFind::Count(size_t first, size_t end) const {
    size_t count = 0;
    m_rows.ForEachStoreRun(first, end, [&](size_t, size_t storeFirst, size_t storeEnd) {
        count += m_search.Count(m_rows.Store(), storeFirst, storeEnd);
        return true;
    });
    return count;
}

size_t CRowFind::FindFirst(size_t first, size_t end) const {
    size_t found = end;
    m_rows.ForEachStoreRun(first, end, [&](size_t listFirst, size_t storeFirst, size_t storeEnd) {
        const size_t row = m_search.FindFirst(m_rows.Store(), storeFirst, storeEnd);
        if (row < storeEnd)
            found = listFirst + (row - storeFirst);
        return row == storeEnd;
    });
    return found;
}

size_t CRowFind::FindLast(size_t first, size_t end) const {
    size_t found = end;
    m_rows.ForEachStoreRun(first, end, [&](size_t listFirst, size_t storeFirst, size_t storeEnd) {
        const size_t row = m_search.FindLast(m_rows.Store(), storeFirst, storeEnd);
        if (row < storeEnd)
            found = listFirst + (row - storeFirst);
        return true;
    });
    return found;
}
