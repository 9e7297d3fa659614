// CShowPacing: when the rows the list does not count yet are shown.
#pragma once

#include <algorithm>

// Each show costs milliseconds under Wine (the list redraws its scroll bars, which the X server
// draws), and messages that come meanwhile wait for it. Rows that come after a quiet spell show
// together kShowDelayMs after the first; a flood starves timers, so then the intake shows them,
// no sooner than kLongestWaitMs after the first. Shows are kShowGapMs apart at least, end to
// start: while messages keep coming the list still moves six times a second, and no more often.
// Times are in milliseconds.
class CShowPacing {
public:
    static constexpr unsigned long long kShowDelayMs = 50;
    static constexpr unsigned long long kLongestWaitMs = 120;
    static constexpr unsigned long long kShowGapMs = 160;

    // Rows came at now. The first since the last show starts the wait and returns how long from
    // now the show timer is to wait; later ones return 0.
    unsigned Arrive(unsigned long long now) {
        if (m_bPending)
            return 0;
        m_bPending = true;
        m_pendingSince = now;
        return static_cast<unsigned>(std::max(now + kShowDelayMs, m_soonest) - now);
    }
    // Without the timer nothing would show a burst's last rows: they show as they come.
    void TimerFailed() { m_pendingSince = m_soonest = 0; }
    // Whether the intake shows the rows itself, the timer being starved.
    bool IsDue(unsigned long long now) const {
        return now >= std::max(m_pendingSince + kLongestWaitMs, m_soonest);
    }
    // A show begins: rows that come from now on wait for the next.
    void ShowStarts() { m_bPending = false; }
    // The show ended at end: the next is kShowGapMs later at the soonest.
    void ShowEnded(unsigned long long end) { m_soonest = end + kShowGapMs; }

private:
    bool m_bPending = false;
    unsigned long long m_pendingSince = 0;
    unsigned long long m_soonest = 0; // the time of the next show at the soonest
};
