#include "line_writer.h"

#include <algorithm>
#include <iterator>

namespace ambertap {

namespace {

// "00" to "99", two characters for every value below 100.
constexpr auto decimalPairs = [] {
    std::array<char, 200> pairs{};
    for (std::size_t value = 0; value < 100; ++value) {
        pairs[2 * value] = static_cast<char>('0' + value / 10);
        pairs[2 * value + 1] = static_cast<char>('0' + value % 10);
    }
    return pairs;
}();

std::size_t decimalDigits(std::uint64_t value) {
    constexpr std::size_t mostDigits = 20;
    std::size_t digits = 1;
    for (std::uint64_t limit = 10; digits < mostDigits && value >= limit; limit *= 10) {
        ++digits;
    }
    return digits;
}

// Writes the sign and digits of a value so that they end at `end`, the last
// digit last, and gives where they begin.
char* writeDecimalBefore(char* end, std::uint64_t value, bool negative) {
    char* first = end;
    while (value >= 100) {
        first -= 2;
        std::memcpy(first, &decimalPairs[2 * static_cast<std::size_t>(value % 100)], 2);
        value /= 100;
    }
    if (value >= 10) {
        first -= 2;
        std::memcpy(first, &decimalPairs[2 * static_cast<std::size_t>(value)], 2);
    } else {
        *--first = static_cast<char>('0' + value);
    }
    if (negative) {
        *--first = '-';
    }
    return first;
}

// Writes `value` right-aligned in `field` characters at `at`: spaces, the
// sign, the digits. The field is wide enough for the sign and digits.
void writeDecimalField(char* at, std::size_t field, std::uint64_t value, bool negative) {
    for (char* first = writeDecimalBefore(at + field, value, negative); first > at;) {
        *--first = ' ';
    }
}

}  // namespace

DecimalText::DecimalText(std::uint64_t magnitude, bool negative)
    : first_(static_cast<std::size_t>(writeDecimalBefore(std::end(digits_), magnitude, negative) -
                                      digits_)) {}

LineWriter::LineWriter(char* out, int room)
    : begin_(out),
      end_(out),
      roomLeft_(room > 0 ? static_cast<std::size_t>(room) : 0),
      capacity_(room > 0 ? static_cast<std::size_t>(room) - 1 : 0),
      hasTerminator_(room > 0) {
    // With no room at all there is not even space for the terminator.
    if (room <= 0) {
        close();
    }
}

void LineWriter::decimal(std::int64_t value, int width) {
    const std::uint64_t magnitude =
        value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    const std::size_t length = decimalDigits(magnitude) + (value < 0 ? 1 : 0);
    const std::size_t columns = width > 0 ? static_cast<std::size_t>(width) : 0;
    const std::size_t field = std::max(columns, length);
    if (fits(field)) {
        writeDecimalField(end_, field, magnitude, value < 0);
        advance(field);
        return;
    }
    // The sign and up to 19 digits of any 64-bit value.
    char digits[20];
    writeDecimalField(digits, length, magnitude, value < 0);
    for (std::size_t column = length; column < field; ++column) {
        character(' ');
    }
    text(std::string_view(digits, length));
}

char* LineWriter::writeAt(char* at, SpacedHexBytes piece) {
    for (const std::uint8_t byte : piece.bytes) {
        at[0] = ' ';
        std::memcpy(at + 1, &detail::hexPairs[2 * byte], 2);
        at += 3;
    }
    return at;
}

void LineWriter::cutToRoom(Hex piece) {
    char digits[8];
    const std::size_t width = hexWidth(piece.digits);
    writeHex(digits, piece.value, width);
    cutToRoom(std::string_view(digits, width));
}

void LineWriter::cutToRoom(SpacedHexBytes piece) {
    for (const std::uint8_t byte : piece.bytes) {
        append(' ', Hex{byte, 2});
    }
}

void LineWriter::markCutOff() {
    if (closed_) {
        return;
    }
    if (end_ > begin_ && end_[-1] != ' ') {
        character(' ');
    }
    text(cutOffMark);
    close();
}

void LineWriter::cutToRoom(std::string_view piece) {
    if (closed_) {
        return;
    }
    const std::size_t fitting = std::min(spaceLeft(), piece.size());
    if (fitting > 0) {
        std::memcpy(end_, piece.data(), fitting);
    }
    advance(fitting);
    shortenWithOverflowMark();
}

void LineWriter::shortenWithOverflowMark() {
    // The line is full to its room here; the mark replaces its last characters.
    const std::size_t markLength = std::min(overflowMark.size(), capacity_);
    std::memcpy(begin_ + capacity_ - markLength, overflowMark.data(), markLength);
    end_ = begin_ + capacity_;
    close();
}

}  // namespace ambertap
