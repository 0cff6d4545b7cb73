// The command line as the option scanner reads it, taken from Unicode text.
//
// Windows hands `main` its arguments converted to the ANSI code page by "best
// fit", which makes letters that only look like ASCII into ASCII: a fullwidth
// "－ｃ" arrives as "-c" and would clear the trace. The tool takes the Unicode
// arguments instead and keeps ASCII alone, so that an option is an option
// only in the exact ASCII letters.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace ambertap {

// `text` with every character outside ASCII replaced by one '?'. UTF-16 text
// (two-byte code units, as Windows' wchar_t) keeps a surrogate pair one
// character.
template <typename CodeUnit>
std::string asciiOnly(std::basic_string_view<CodeUnit> text) {
    constexpr bool utf16 = sizeof(CodeUnit) == 2;
    std::string ascii;
    ascii.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        const auto unit = static_cast<char32_t>(text[at]);
        if (unit < 0x80) {
            ascii += static_cast<char>(unit);
            continue;
        }
        const bool pairStarts = unit >= 0xd800 && unit <= 0xdbff && at + 1 < text.size();
        if (utf16 && pairStarts) {
            const auto next = static_cast<char32_t>(text[at + 1]);
            if (next >= 0xdc00 && next <= 0xdfff) {
                ++at;
            }
        }
        ascii += '?';
    }
    return ascii;
}

// An argument vector of ASCII texts, terminated by a null pointer as `main`'s is.
class AsciiArguments {
  public:
    template <typename CodeUnit>
    AsciiArguments(int count, const CodeUnit* const* vector) {
        for (int index = 0; index < count; ++index) {
            texts_.push_back(asciiOnly(std::basic_string_view<CodeUnit>(vector[index])));
        }
        for (const std::string& text : texts_) {
            vector_.push_back(text.c_str());
        }
        vector_.push_back(nullptr);
    }
    AsciiArguments(const AsciiArguments&) = delete;
    AsciiArguments& operator=(const AsciiArguments&) = delete;

    int count() const { return static_cast<int>(texts_.size()); }
    const char* const* vector() const { return vector_.data(); }

  private:
    std::vector<std::string> texts_;
    std::vector<const char*> vector_;
};

}  // namespace ambertap
