// The command line as the option scanner reads it, taken from Unicode text.
//
// Windows hands `main` its arguments converted to the ANSI code page by "best
// fit", which makes letters that only look like ASCII into ASCII: a fullwidth
// hyphen-minus and c (U+FF0D, U+FF43) arrive as "-c" and would clear the
// trace. The tool takes the Unicode arguments instead and keeps ASCII alone,
// so that an option is one only in the exact ASCII letters.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

namespace ambertap {

// An argument vector of ASCII texts, terminated by a null pointer as `main`'s
// is: each argument with every character outside ASCII replaced by one '?'.
// UTF-16 text (two-byte code units, as Windows' wchar_t) keeps a surrogate
// pair one character.
class AsciiArguments {
  public:
    template <typename CodeUnit>
    AsciiArguments(int count, const CodeUnit* const* vector)
        : count_(count > 0 ? count : 0),
          vector_(std::make_unique<const char*[]>(static_cast<std::size_t>(count_) + 1)) {
        // No character takes more than one code unit, so the texts need no
        // more room than their code units and terminators.
        std::size_t room = 0;
        for (int index = 0; index < count_; ++index) {
            room += std::basic_string_view<CodeUnit>(vector[index]).size() + 1;
        }
        texts_ = std::make_unique<char[]>(room);
        char* at = texts_.get();
        for (int index = 0; index < count_; ++index) {
            vector_[static_cast<std::size_t>(index)] = at;
            at = writeAsciiOnly(std::basic_string_view<CodeUnit>(vector[index]), at);
            *at++ = '\0';
        }
    }

    int count() const { return count_; }
    const char* const* vector() const { return vector_.get(); }

  private:
    template <typename CodeUnit>
    static char* writeAsciiOnly(std::basic_string_view<CodeUnit> text, char* at) {
        constexpr bool utf16 = sizeof(CodeUnit) == 2;
        for (std::size_t unit = 0; unit < text.size(); ++unit) {
            const auto value = static_cast<char32_t>(text[unit]);
            if (value < 0x80) {
                *at++ = static_cast<char>(value);
                continue;
            }
            if (utf16 && isHighSurrogate(value) && unit + 1 < text.size() &&
                isLowSurrogate(static_cast<char32_t>(text[unit + 1]))) {
                ++unit;
            }
            *at++ = '?';
        }
        return at;
    }
    static bool isHighSurrogate(char32_t unit) { return unit >= 0xd800 && unit <= 0xdbff; }
    static bool isLowSurrogate(char32_t unit) { return unit >= 0xdc00 && unit <= 0xdfff; }

    int count_;
    std::unique_ptr<const char*[]> vector_;  // value-initialised: its last entry stays null
    std::unique_ptr<char[]> texts_;
};

}  // namespace ambertap
