// CShowPacing: when the rows the list does not count yet are shown.
#pragma once

#include <algorithm>

// Each show costs milliseconds under Wine (the list redraws its scroll bars), and messages that
// come meanwhile wait for it. Rows that come after a quiet spell show together kShowDelayMs after
// the first; a flood starves timers, so then the intake shows them, no sooner than kLongestWaitMs
// after the first. The next show waits kShowCostShare times as long as the last one took, but
// not longer than kLongestGapMs, so that while messages keep coming the list still moves about
// six times a second. Times are in milliseconds.
class CShowPacing {
public:
    static constexpr unsigned long long kShowDelayMs = 50;
    static constexpr unsigned long long kLongestWaitMs = 120;
    static constexpr unsigned long long kShowCostShare = 20;
    static constexpr unsigned long long kLongestGapMs = 160;

    // Rows came at now. The first since the last show starts the wait and returns how long from
    // now the show timer is to wait; later ones return 0.
    unsigned Arrive(unsigned long long now) {
        if (m_bPending)
            return 0;
        m_bPending = true;
        m_pendingSince = now;
        return static_cast<unsigned>(std::max(now + kShowDelayMs, m_shownAt + m_gap) - now);
    }
    // Without the timer nothing would show a burst's last rows: they show as they come.
    void TimerFailed() { m_pendingSince = m_shownAt = m_gap = 0; }
    // Whether the intake shows the rows itself, the timer being starved.
    bool IsDue(unsigned long long now) const {
        return now >= std::max(m_pendingSince + kLongestWaitMs, m_shownAt + m_gap);
    }
    // A show begins: rows that come from now on wait for the next.
    void ShowStarts() { m_bPending = false; }
    // The show that started at start ended at end; its cost sets the least time to the next.
    void ShowEnded(unsigned long long start, unsigned long long end) {
        m_shownAt = end;
        m_gap = std::min(std::max((end - start) * kShowCostShare, kLongestWaitMs), kLongestGapMs);
    }

private:
    bool m_bPending = false;
    unsigned long long m_pendingSince = 0;
    unsigned long long m_shownAt = 0;
    unsigned long long m_gap = 0; // the least time from m_shownAt to the next show
};
