// The banner that opens the error stream of every run, whose build date
// changes from build to build.
#pragma once

#include <cctype>
#include <string>
#include <string_view>

namespace ambertap::testing {

// Whether `date` has the "Jul  6 1995" form: month, day padded with a space
// to two places, year.
inline bool isBuildDate(std::string_view date) {
    constexpr std::string_view months = "JanFebMarAprMayJunJulAugSepOctNovDec";
    const auto digit = [&](std::size_t at) {
        return std::isdigit(static_cast<unsigned char>(date[at])) != 0;
    };
    if (date.size() != 11) {
        return false;
    }
    const std::size_t month = months.find(date.substr(0, 3));
    return month != std::string_view::npos && month % 3 == 0 && date[3] == ' ' &&
           (date[4] == ' ' || digit(4)) && digit(5) && date[6] == ' ' && digit(7) && digit(8) &&
           digit(9) && digit(10);
}

// The text after the banner, or "<no banner>" when the text does not begin
// with one.
inline std::string afterBanner(std::string_view text) {
    constexpr std::string_view before = "Ambertap Version 0.001 (";
    constexpr std::string_view after =
        ") for CAPI 2.0 / Orvane 7100\nCopyright (c) 2026 the Ambertap developers\n";
    constexpr std::size_t dateSize = 11;
    if (!text.starts_with(before) || text.size() < before.size() + dateSize ||
        !isBuildDate(text.substr(before.size(), dateSize)) ||
        !text.substr(before.size() + dateSize).starts_with(after)) {
        return "<no banner>";
    }
    return std::string(text.substr(before.size() + dateSize + after.size()));
}

}  // namespace ambertap::testing
