// Host stand-ins for the system's code page and clocks.
#include <chrono>
#include <ctime>

#include "Capture.h"

namespace {

class CHostClock : public IClock {
public:
    uint64_t Now() override {
        const auto since1970 = std::chrono::duration_cast<std::chrono::microseconds>(
            std::chrono::system_clock::now().time_since_epoch());
        const time_t now = ::time(nullptr);
        struct tm local = {};
        localtime_r(&now, &local);
        const uint64_t from1601To1970 = 11644473600ull * kTicksPerSecond;
        return from1601To1970 + static_cast<uint64_t>(since1970.count()) * 10 +
               static_cast<uint64_t>(local.tm_gmtoff) * kTicksPerSecond;
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
