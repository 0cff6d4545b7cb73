// Text for the calls and check views, built piece by piece and written to a
// stream in blocks. Numbers are written by hand rather than through format
// strings, so that every C library writes the same text.
#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>
#include <string_view>

namespace ambertap {

class TextOutput {
  public:
    explicit TextOutput(std::FILE* out) : out_(out) {}
    TextOutput(const TextOutput&) = delete;
    TextOutput& operator=(const TextOutput&) = delete;

    TextOutput& text(std::string_view piece) {
        pending_.append(piece);
        return *this;
    }
    TextOutput& character(char c) {
        pending_.push_back(c);
        return *this;
    }
    // Decimal.
    TextOutput& number(std::uint64_t value);
    // Lower-case hexadecimal, zero-padded to `digits` places.
    TextOutput& hex(std::uint64_t value, int digits);
    // Text from the trace: its control bytes show as '.', as on ambertap's lines.
    TextOutput& traceText(std::string_view bytes);

    // The text not yet written, and its end: a view builds a piece of text
    // apart in a TextOutput of no stream, which holds all of it, then takes
    // it from there.
    std::string_view held() const { return pending_; }
    void drop() { pending_.clear(); }

    // Ends a line, and writes the text so far once it makes a block.
    void endLine();
    // Whole lines made apart, written as endLine writes.
    void lines(std::string_view text);

    // Writes what is left and flushes the stream. Returns 0, or the C
    // library's error number of the first write that failed.
    int finish();

  private:
    static constexpr std::size_t blockSize = 16 * 1024;

    void writePending();

    std::FILE* out_;
    std::string pending_;
    int error_ = 0;
};

}  // namespace ambertap
