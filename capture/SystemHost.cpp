// Host stand-ins for the system's code page and clocks.
#include <chrono>
#include <ctime>

#include "Capture.h"

namespace {

class CHostClock : public IClock {
public:
    void Now(SYSTEMTIME& time) override {
        time_t now = ::time(nullptr);
        struct tm local = {};
        localtime_r(&now, &local);
        time.wYear = static_cast<WORD>(local.tm_year + 1900);
        time.wMonth = static_cast<WORD>(local.tm_mon + 1);
        time.wDayOfWeek = static_cast<WORD>(local.tm_wday);
        time.wDay = static_cast<WORD>(local.tm_mday);
        time.wHour = static_cast<WORD>(local.tm_hour);
        time.wMinute = static_cast<WORD>(local.tm_min);
        time.wSecond = static_cast<WORD>(local.tm_sec);
        time.wMilliseconds = 0;
    }
};

class CSteadyTicks : public ITicks {
public:
    unsigned long long Now() override {
        return static_cast<unsigned long long>(
            std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::steady_clock::now().time_since_epoch())
                .count());
    }
};

} // namespace

const CLeadBytes& CLeadBytes::System() {
    static const CLeadBytes codePage = Cp936();
    return codePage;
}

IClock& IClock::System() {
    static CHostClock clock;
    return clock;
}

ITicks& ITicks::System() {
    static CSteadyTicks ticks;
    return ticks;
}
