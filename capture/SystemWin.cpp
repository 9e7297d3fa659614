// The system's code page and clocks, as the capture core sees them on Windows.
#include "Capture.h"

namespace {

// Local time in whole seconds, as the time of receipt is shown.
class CLocalClock : public IClock {
public:
    void Now(SYSTEMTIME& time) override {
        ::GetLocalTime(&time);
        time.wMilliseconds = 0;
    }
};

class CTickCount : public ITicks {
public:
    unsigned long long Now() override { return ::GetTickCount64(); }
};

} // namespace

const CLeadBytes& CLeadBytes::System() {
    static const CLeadBytes codePage = [] {
        CLeadBytes table;
        for (int ch = 0; ch < 256; ++ch)
            table.m_lead[ch] = ::IsDBCSLeadByteEx(CP_ACP, static_cast<BYTE>(ch)) != FALSE;
        return table;
    }();
    return codePage;
}

IClock& IClock::System() {
    static CLocalClock clock;
    return clock;
}

ITicks& ITicks::System() {
    static CTickCount ticks;
    return ticks;
}
