// Times in UTC as people read them, by the proleptic Gregorian calendar,
// computed without the C library's time_t, which is 32 bits wide in some
// Windows builds.
#pragma once

#include <cstdint>

#include "line_writer.h"

namespace ambertap {

struct CivilTime {
    std::int64_t year = 1970;
    int month = 1;  // 1 to 12
    int day = 1;    // 1 to 31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// The calendar time of `seconds` since 1970-01-01 00:00 UTC; every value
// has one, from the year -292277022657 to 292277026596.
CivilTime civilTimeOfSeconds(std::int64_t seconds);
// The same of `milliseconds` since then.
CivilTime civilTimeOf(std::int64_t milliseconds);

// How much of a time an input knows.
enum class TimePrecision : std::uint8_t { none, seconds, milliseconds };

// "2026-12-10 14:03:07.215": the digits that `precision` does not know show
// as '?', so that a line without a time keeps its columns.
void writeUtcTime(std::int64_t milliseconds, TimePrecision precision, LineWriter& line);

// The characters that writeUtcTime writes.
inline constexpr int utcTimeWidth = 23;

}  // namespace ambertap
