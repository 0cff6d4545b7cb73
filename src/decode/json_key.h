// The keys of JSON members, and which bytes stand in a JSON string as they are.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace ambertap {

// Whether a byte stands in a JSON string as it is: printable ASCII but the
// quote and the backslash. Those two are written `\"` and `\\`, every other
// byte as `\u00XX`, so that the text is ASCII, valid UTF-8 and valid JSON
// whatever bytes it was given.
inline constexpr auto bytesStandingInJsonStrings = [] {
    std::array<bool, 256> stands{};
    for (std::size_t byte = 0x20; byte <= 0x7e; ++byte) {
        stands[byte] = byte != '"' && byte != '\\';
    }
    return stands;
}();
constexpr bool standsInJsonString(std::uint8_t byte) {
    return bytesStandingInJsonStrings[byte];
}

constexpr bool isPlainJsonText(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return standsInJsonString(static_cast<std::uint8_t>(c)); });
}

// A member's key, written in the program's own text: whether it stands in
// JSON as it is, is worked out once, as the program is built, rather than
// each time it is written.
class JsonKey {
  public:
    template <std::size_t size>
    consteval JsonKey(const char (&text)[size])
        : text_(text, size - 1), plain_(isPlainJsonText(text_)) {}

    constexpr std::string_view text() const { return text_; }
    constexpr bool plain() const { return plain_; }

  private:
    std::string_view text_;
    bool plain_;
};

}  // namespace ambertap
