// RowTime: a row's time of receipt and the time column's formats.
#pragma once

#include <cstddef>
#include <cstdint>

// Times are local, in 100 ns units since 1601 as the system's file times count.
constexpr uint64_t kTicksPerSecond = 10000000;

enum class TimeFormat {
    kSeconds00,     // 14:03:09:00, the first-start default
    kMilliseconds,  // 14:03:09.127
    kSinceFirst,    // 12.034567, seconds since the first shown row
    kSincePrevious, // +0.412, milliseconds since the shown row above
};
constexpr int kTimeFormats = 4;
// The longest text a format gives, with its NUL.
constexpr size_t kTimeRoom = 24;

// Decimal digits of value, at least minDigits of them (zeros before), written at out; returns
// the end.
char* PutDecimal(char* out, uint64_t value, int minDigits);

// time as format shows it, beside the first shown row's time and the shown row above's (null for
// the first row, which is its own), into kTimeRoom bytes at out; returns the end, at its NUL.
char* FormatRowTime(TimeFormat format, uint64_t time, uint64_t first, const uint64_t* above,
                    char* out);
