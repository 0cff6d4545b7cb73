// Builds one line of text in a buffer of fixed room, piece by piece.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <string_view>

namespace ambertap {

// A number in lower-case hexadecimal, zero-padded to `digits` places ("%0Nx"),
// 1 to 8: a piece whose width is known before it is written.
struct Hex {
    std::uint32_t value;
    int digits;
};

// " %02x" for each byte.
struct SpacedHexBytes {
    std::span<const std::uint8_t> bytes;
};

// A number's decimal digits, with a minus sign before a negative one, made
// from the last digit back, so that their count need not be known first.
class DecimalText {
  public:
    explicit DecimalText(std::int64_t value)
        : DecimalText(
              value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value),
              value < 0) {}
    explicit DecimalText(std::uint64_t magnitude, bool negative = false);

    std::string_view view() const { return {digits_ + first_, sizeof digits_ - first_}; }

  private:
    // The sign and the 20 digits of the largest 64-bit value. Where they
    // begin is kept as a place, not a pointer, so that a copy holds its own.
    char digits_[21];
    std::size_t first_;
};

// Appends text at the end of a line that never grows past its room: `room`
// characters including the terminator, the same unit the line's owner counts
// in. The room always keeps space for the terminator, which `terminate` writes
// once the line is done.
//
// A piece that would not fit is cut at the room and the line ends with
// `overflowMark`; a message that ends before the data its line needs ends with
// `cutOffMark`. Either way the line is closed and later pieces are dropped, so
// the caller can go on appending without checking.
//
// Pieces are checked against the room as a whole, then written straight in;
// only pieces that do not fit take the slower path that cuts them and closes
// the line.
class LineWriter {
  public:
    static constexpr std::string_view overflowMark = "...";
    static constexpr std::string_view cutOffMark = "<cut>";

    LineWriter(char* out, int room);

    // Texts, characters, Hex and SpacedHexBytes pieces, one after the other.
    // When they do not all fit, they are appended one by one, so the line is
    // cut exactly where it would have been.
    template <typename... Pieces>
    void append(const Pieces&... pieces) {
        const std::size_t width = (widthOf(pieces) + ...);
        if (!fits(width)) {
            (appendAlone(pieces), ...);
            return;
        }
        char* at = end_;
        ((at = writeAt(at, pieces)), ...);
        advance(width);
    }

    void text(std::string_view piece) { append(piece); }
    void character(char c) { append(c); }

    // Signed decimal, right-aligned in `width` columns ("%Nd").
    void decimal(std::int64_t value, int width = 0);

    // The bytes as characters, each shown through `show`, in one bounded copy.
    template <typename Show>
    void characters(std::span<const std::uint8_t> bytes, Show show) {
        const bool whole = fits(bytes.size());
        if (!whole && closed_) {
            return;
        }
        const std::size_t count = whole ? bytes.size() : spaceLeft();
        char* const at = end_;
        for (std::size_t i = 0; i < count; ++i) {
            at[i] = show(bytes[i]);
        }
        advance(count);
        if (!whole) {
            shortenWithOverflowMark();
        }
    }

    // Ends the line with the cut-off mark, one space apart from the text.
    void markCutOff();

    // Ends the text with its terminator, when the room has space for one at all.
    void terminate() {
        if (hasTerminator_) {
            *end_ = '\0';
        }
    }

    std::size_t length() const { return static_cast<std::size_t>(end_ - begin_); }

  private:
    static std::size_t widthOf(std::string_view piece) { return piece.size(); }
    static std::size_t widthOf(char) { return 1; }
    static std::size_t widthOf(Hex piece) { return hexWidth(piece.digits); }
    static std::size_t widthOf(SpacedHexBytes piece) { return 3 * piece.bytes.size(); }

    static char* writeAt(char* at, std::string_view piece) {
        // An empty view may hold no pointer at all, which memcpy must not get.
        if (!piece.empty()) {
            std::memcpy(at, piece.data(), piece.size());
        }
        return at + piece.size();
    }
    static char* writeAt(char* at, char c) {
        *at = c;
        return at + 1;
    }
    static char* writeAt(char* at, Hex piece) {
        const std::size_t width = hexWidth(piece.digits);
        writeHex(at, piece.value, width);
        return at + width;
    }
    static char* writeAt(char* at, SpacedHexBytes piece);

    // One piece, cut at the room when it does not fit.
    template <typename Piece>
    void appendAlone(const Piece& piece) {
        if (fits(widthOf(piece))) {
            advance(static_cast<std::size_t>(writeAt(end_, piece) - end_));
        } else {
            cutToRoom(piece);
        }
    }

    // A piece of `width` characters fits when it leaves room for the
    // terminator; a closed line has no room left at all.
    bool fits(std::size_t width) const { return width < roomLeft_; }
    std::size_t spaceLeft() const { return roomLeft_ > 0 ? roomLeft_ - 1 : 0; }
    void advance(std::size_t written) {
        end_ += written;
        roomLeft_ -= written;
    }
    void cutToRoom(char c) { cutToRoom(std::string_view(&c, 1)); }
    void cutToRoom(Hex piece);
    void cutToRoom(SpacedHexBytes piece);
    void cutToRoom(std::string_view piece);
    void shortenWithOverflowMark();
    void close() {
        closed_ = true;
        roomLeft_ = 0;
    }

    static std::size_t hexWidth(int digits) {
        return digits < 1 ? 1 : digits > 8 ? 8 : static_cast<std::size_t>(digits);
    }
    static void writeHex(char* at, std::uint32_t value, std::size_t width);

    char* begin_;
    char* end_;             // where the text ends
    std::size_t roomLeft_;  // from end_ on, terminator included; 0 once closed
    std::size_t capacity_;  // characters, the terminator not counted
    bool hasTerminator_;
    bool closed_ = false;
};

namespace detail {

// "00" to "ff", two characters for every byte value.
inline constexpr auto hexPairs = [] {
    constexpr char digits[] = "0123456789abcdef";
    std::array<char, 512> pairs{};
    for (std::size_t value = 0; value < 256; ++value) {
        pairs[2 * value] = digits[value >> 4];
        pairs[2 * value + 1] = digits[value & 0xf];
    }
    return pairs;
}();

}  // namespace detail

// Writes `width` digits at `at`, the last digit of `value` last, two at a time.
inline void LineWriter::writeHex(char* at, std::uint32_t value, std::size_t width) {
    std::size_t place = width;
    for (; place >= 2; place -= 2) {
        std::memcpy(at + place - 2, &detail::hexPairs[2 * (value & 0xffu)], 2);
        value >>= 8;
    }
    if (place == 1) {
        at[0] = detail::hexPairs[2 * (value & 0xfu) + 1];
    }
}

}  // namespace ambertap
