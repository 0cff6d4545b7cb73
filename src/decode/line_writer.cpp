#include "line_writer.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace ambertap {

namespace {

std::size_t capacityOf(int room) {
    return room > 0 ? static_cast<std::size_t>(room) - 1 : 0;
}

}  // namespace

LineWriter::LineWriter(char* out, int room) : out_(out), capacity_(capacityOf(room)) {
    // With no room at all there is not even space for the terminator.
    closed_ = room <= 0;
    if (!closed_) {
        terminate();
    }
}

void LineWriter::text(std::string_view piece) {
    if (closed_) {
        return;
    }
    const std::size_t fitting = std::min(piece.size(), spaceLeft());
    std::memcpy(out_ + length_, piece.data(), fitting);
    length_ += fitting;
    terminate();
    if (fitting < piece.size()) {
        shortenWithOverflowMark();
    }
}

void LineWriter::character(char c) {
    text(std::string_view(&c, 1));
}

void LineWriter::hex(std::uint32_t value, int digits) {
    static constexpr char hexDigits[] = "0123456789abcdef";
    char buffer[8];
    const int width = std::clamp(digits, 1, 8);
    for (int place = width - 1; place >= 0; --place) {
        buffer[place] = hexDigits[value & 0xfu];
        value >>= 4;
    }
    text(std::string_view(buffer, static_cast<std::size_t>(width)));
}

void LineWriter::decimal(std::int64_t value, int width) {
    char digits[24];
    const auto result = std::to_chars(std::begin(digits), std::end(digits), value);
    const auto length = static_cast<std::size_t>(result.ptr - digits);
    for (std::size_t padding = length; padding < static_cast<std::size_t>(std::max(width, 0));
         ++padding) {
        character(' ');
    }
    text(std::string_view(digits, length));
}

void LineWriter::markCutOff() {
    if (closed_) {
        return;
    }
    if (length_ > 0 && out_[length_ - 1] != ' ') {
        character(' ');
    }
    text(cutOffMark);
    closed_ = true;
}

void LineWriter::terminate() {
    out_[length_] = '\0';
}

void LineWriter::shortenWithOverflowMark() {
    // The line is full to its room here; the mark replaces its last characters.
    const std::size_t markLength = std::min(overflowMark.size(), capacity_);
    std::memcpy(out_ + capacity_ - markLength, overflowMark.data(), markLength);
    length_ = capacity_;
    terminate();
    closed_ = true;
}

std::size_t LineWriter::lengthWithin(const char* text, std::size_t count) {
    const void* terminator = std::memchr(text, '\0', count);
    return terminator ? static_cast<std::size_t>(static_cast<const char*>(terminator) - text)
                      : count;
}

}  // namespace ambertap
