// The time column's formats: clock times within the day, and spans between rows.
#include "RowTime.h"

namespace {

const uint64_t kTicksPerMicrosecond = 10;

// A span in microseconds, signed, with fractionDigits of them after the point: the whole part
// is seconds for six, milliseconds for three.
char* PutSpan(char* out, uint64_t from, uint64_t to, bool plus, int fractionDigits) {
    // A row older than the one it is set against gives a negative span.
    const bool negative = to < from;
    if (negative)
        *out++ = '-';
    else if (plus)
        *out++ = '+';
    const uint64_t micro = (negative ? from - to : to - from) / kTicksPerMicrosecond;
    const uint64_t unit = fractionDigits == 6 ? 1000000 : 1000;
    out = PutDecimal(out, micro / unit, 1);
    *out++ = '.';
    return PutDecimal(out, micro % unit, fractionDigits);
}

} // namespace

char* PutDecimal(char* out, uint64_t value, int minDigits) {
    char digits[20];
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    for (; count < minDigits; --minDigits)
        *out++ = '0';
    while (count > 0)
        *out++ = digits[--count];
    return out;
}

char* FormatRowTime(TimeFormat format, uint64_t time, uint64_t first, const uint64_t* above,
                    char* out) {
    switch (format) {
    case TimeFormat::kSinceFirst:
        out = PutSpan(out, first, time, false, 6);
        break;
    case TimeFormat::kSincePrevious:
        out = PutSpan(out, above ? *above : time, time, true, 3);
        break;
    default: {
        // Days since 1601 begin at midnight, so the time of day is the remainder.
        const uint64_t second = time / kTicksPerSecond % 86400;
        out = PutDecimal(out, second / 3600, 2);
        *out++ = ':';
        out = PutDecimal(out, second / 60 % 60, 2);
        *out++ = ':';
        out = PutDecimal(out, second % 60, 2);
        if (format == TimeFormat::kMilliseconds) {
            *out++ = '.';
            out = PutDecimal(out, time / (kTicksPerSecond / 1000) % 1000, 3);
        } else {
            // The whole-second format keeps its fourth field, always zero.
            *out++ = ':';
            out = PutDecimal(out, 0, 2);
        }
    }
    }
    *out = '\0';
    return out;
}
