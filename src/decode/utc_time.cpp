#include "utc_time.h"

namespace ambertap {

namespace {

constexpr std::int64_t secondsPerDay = 86400;

void twoDigits(int value, LineWriter& line) {
    line.character(static_cast<char>('0' + value / 10));
    line.character(static_cast<char>('0' + value % 10));
}

}  // namespace

CivilTime civilTimeOfSeconds(std::int64_t seconds) {
    std::int64_t days = seconds / secondsPerDay;
    std::int64_t secondOfDay = seconds % secondsPerDay;
    if (secondOfDay < 0) {
        secondOfDay += secondsPerDay;
        --days;
    }
    // Days to a civil date, with March as the first month of a 400-year era.
    const std::int64_t shifted = days + 719468;
    const std::int64_t era = (shifted >= 0 ? shifted : shifted - 146096) / 146097;
    const std::int64_t dayOfEra = shifted - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    CivilTime time;
    time.day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    time.month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    time.year = yearOfEra + era * 400 + (time.month <= 2 ? 1 : 0);
    time.hour = static_cast<int>(secondOfDay / 3600);
    time.minute = static_cast<int>(secondOfDay / 60 % 60);
    time.second = static_cast<int>(secondOfDay % 60);
    return time;
}

CivilTime civilTimeOf(std::int64_t milliseconds) {
    std::int64_t seconds = milliseconds / 1000;
    std::int64_t millisecond = milliseconds % 1000;
    if (millisecond < 0) {
        millisecond += 1000;
        --seconds;
    }
    CivilTime time = civilTimeOfSeconds(seconds);
    time.millisecond = static_cast<int>(millisecond);
    return time;
}

void writeUtcTime(std::int64_t milliseconds, TimePrecision precision, LineWriter& line) {
    if (precision == TimePrecision::none) {
        // Apart, so that no "??-" is read as a trigraph.
        line.text(
            "????"
            "-"
            "??"
            "-"
            "?? ??:??:??.???");
        return;
    }
    const CivilTime time = civilTimeOf(milliseconds);
    if (time.year >= 0 && time.year < 1000) {
        line.text(time.year < 10 ? "000" : time.year < 100 ? "00" : "0");
    }
    line.decimal(time.year);
    line.character('-');
    twoDigits(time.month, line);
    line.character('-');
    twoDigits(time.day, line);
    line.character(' ');
    twoDigits(time.hour, line);
    line.character(':');
    twoDigits(time.minute, line);
    line.character(':');
    twoDigits(time.second, line);
    line.character('.');
    if (precision == TimePrecision::seconds) {
        line.text("???");
        return;
    }
    line.character(static_cast<char>('0' + time.millisecond / 100));
    twoDigits(time.millisecond % 100, line);
}

}  // namespace ambertap
