// Builds one line of text in a buffer of fixed room, piece by piece.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace ambertap {

// Appends text at the end of a line that never grows past its room: `room`
// characters including the terminator, the same unit the line's owner counts
// in. The text is terminated after every piece.
//
// A piece that would not fit is cut at the room and the line ends with
// `overflowMark`; a message that ends before the data its line needs ends with
// `cutOffMark`. Either way the line is closed and later pieces are dropped, so
// the caller can go on appending without checking.
class LineWriter {
  public:
    static constexpr std::string_view overflowMark = "...";
    static constexpr std::string_view cutOffMark = "<cut>";

    LineWriter(char* out, int room);

    void text(std::string_view piece);
    void character(char c);
    // Lower-case hexadecimal, zero-padded to `digits` places ("%0Nx").
    void hex(std::uint32_t value, int digits);
    // Signed decimal, right-aligned in `width` columns ("%Nd").
    void decimal(std::int64_t value, int width = 0);

    // Lets `fill(at, count)` write at most `count` characters at the end of the
    // text, unterminated if it fills them all; a text that fills them all is
    // taken as one that did not fit.
    template <typename Fill>
    void fixedCount(Fill fill) {
        if (closed_) {
            return;
        }
        const std::size_t count = spaceLeft();
        fill(out_ + length_, count);
        const std::size_t written = lengthWithin(out_ + length_, count);
        length_ += written;
        terminate();
        if (written == count) {
            shortenWithOverflowMark();
        }
    }

    // Ends the line with the cut-off mark, one space apart from the text.
    void markCutOff();

    bool closed() const { return closed_; }
    std::size_t length() const { return length_; }
    std::string_view view() const { return {out_, length_}; }

  private:
    std::size_t spaceLeft() const { return capacity_ - length_; }
    void terminate();
    void shortenWithOverflowMark();
    static std::size_t lengthWithin(const char* text, std::size_t count);

    char* out_;
    std::size_t capacity_;  // characters, the terminator not counted
    std::size_t length_ = 0;
    bool closed_ = false;
};

}  // namespace ambertap
