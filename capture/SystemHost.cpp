// Host stand-ins for the system's code page, its conversion from UTF-8, and clocks.
#include <cerrno>
#include <chrono>
#include <ctime>
#include <iconv.h>

#include "Capture.h"
#include "Syslog.h"

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

// Code page 936 as glibc knows it.
std::string Utf8ToAnsi(const char* text, size_t size) {
    const iconv_t toGbk = ::iconv_open("GBK", "UTF-8");
    if (toGbk == reinterpret_cast<iconv_t>(-1))
        return std::string(size, '?');
    // Valid UTF-8 never grows in a code page of one or two bytes a character.
    std::string ansi(size, '\0');
    char* in = const_cast<char*>(text);
    char* out = &ansi[0];
    size_t inLeft = size, outLeft = size;
    while (::iconv(toGbk, &in, &inLeft, &out, &outLeft) == static_cast<size_t>(-1) &&
           errno == EILSEQ) {
        // A character the code page lacks: a "?" for its bytes.
        *out++ = '?';
        --outLeft;
        do {
            ++in;
            --inLeft;
        } while (inLeft > 0 && (static_cast<unsigned char>(*in) & 0xC0) == 0x80);
    }
    ::iconv_close(toGbk);
    ansi.resize(size - outLeft);
    return ansi;
}
