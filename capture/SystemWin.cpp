// The system's code page, its conversion from UTF-8, and clocks, as the capture core sees them
// on Windows.
#include <climits>

#include "Capture.h"
#include "Syslog.h"

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

namespace {

// A character beyond the 16-bit range that the code page lacks becomes one "?", not one for each
// of its two halves.
void OneMarkForEachLackedPair(std::wstring& wide) {
    size_t kept = 0;
    for (size_t i = 0; i < wide.size(); ++i) {
        if (IS_HIGH_SURROGATE(wide[i]) && i + 1 < wide.size() && IS_LOW_SURROGATE(wide[i + 1])) {
            char ansi[8];
            BOOL lacked = FALSE;
            ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &wide[i], 2, ansi, sizeof ansi, "?",
                                  &lacked);
            if (lacked) {
                wide[kept++] = L'?';
                ++i;
                continue;
            }
        }
        wide[kept++] = wide[i];
    }
    wide.resize(kept);
}

} // namespace

std::string Utf8ToAnsi(const char* text, size_t size) {
    // A code page that is UTF-8 itself shows valid UTF-8 as it is (and takes no default char).
    if (::GetACP() == CP_UTF8)
        return std::string(text, size);
    std::string ansi;
    std::wstring wide;
    // In pieces that end on a character and fit the calls' int counts.
    for (size_t done = 0, piece = 0; done < size; done += piece) {
        piece = std::min<size_t>(size - done, INT_MAX / 2);
        while (done + piece < size &&
               (static_cast<unsigned char>(text[done + piece]) & 0xC0) == 0x80)
            --piece;
        wide.resize(piece);
        wide.resize(::MultiByteToWideChar(CP_UTF8, 0, text + done, static_cast<int>(piece),
                                          &wide[0], static_cast<int>(piece)));
        OneMarkForEachLackedPair(wide);
        if (wide.empty())
            continue;
        const size_t at = ansi.size();
        ansi.resize(at + 2 * wide.size());
        // No best fit: what the code page lacks shows as "?", not as a look-alike.
        ansi.resize(at + ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(),
                                               static_cast<int>(wide.size()), &ansi[at],
                                               static_cast<int>(2 * wide.size()), "?", nullptr));
    }
    return ansi;
}
