// The command line as UTF-8 texts, taken from Windows' Unicode arguments, so
// that a file name outside the ANSI code page reaches the file functions,
// which take it back to UTF-16.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace ambertap {

class Utf8Arguments {
  public:
    Utf8Arguments(int count, const wchar_t* const* vector) {
        for (int index = 0; index < count; ++index) {
            texts_.push_back(utf8(vector[index]));
        }
        for (const std::string& text : texts_) {
            vector_.push_back(text.c_str());
        }
        vector_.push_back(nullptr);
    }
    Utf8Arguments(const Utf8Arguments&) = delete;
    Utf8Arguments& operator=(const Utf8Arguments&) = delete;

    int count() const { return static_cast<int>(texts_.size()); }
    const char* const* vector() const { return vector_.data(); }

  private:
    static std::string utf8(const wchar_t* text) {
        const int bytes = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
        if (bytes <= 0) {
            return {};
        }
        std::string converted(static_cast<std::size_t>(bytes), '\0');
        WideCharToMultiByte(CP_UTF8, 0, text, -1, converted.data(), bytes, nullptr, nullptr);
        converted.resize(static_cast<std::size_t>(bytes) - 1);
        return converted;
    }

    std::vector<std::string> texts_;
    std::vector<const char*> vector_;
};

}  // namespace ambertap
