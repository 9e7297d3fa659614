// The system's code page and clocks, as the capture core sees them on Windows.
#include "Capture.h"

namespace {

// Local time to the system clock's own precision where the system can tell it (older systems
// lack the precise clock, and give it to the timer tick).
class CLocalClock : public IClock {
public:
    CLocalClock() {
        const FARPROC precise =
            ::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "GetSystemTimePreciseAsFileTime");
        if (precise)
            m_now = reinterpret_cast<GetTime>(reinterpret_cast<void (*)()>(precise));
    }
    uint64_t Now() override {
        FILETIME utc, local;
        m_now(&utc);
        ::FileTimeToLocalFileTime(&utc, &local);
        return uint64_t(local.dwHighDateTime) << 32 | local.dwLowDateTime;
    }

private:
    typedef void(WINAPI* GetTime)(FILETIME*);
    GetTime m_now = ::GetSystemTimeAsFileTime;
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
