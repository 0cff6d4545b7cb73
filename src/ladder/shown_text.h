// How the ladders show text that comes from a trace: ASCII only, since a
// Windows console shows nothing else reliably and the diagrams measure text
// in characters of one width. Every renderer fits and breaks text here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ambertap::ladder {

// What a text that had to be shortened ends with.
inline constexpr std::string_view shortenedMark = "...";

// A capture's time of a message shows in at most this many characters.
inline constexpr std::size_t mostTimeCharacters = 24;

// A byte as shown: printable ASCII as it is, any other byte as '.'.
constexpr char shownCharacter(unsigned char byte) {
    return byte >= 0x20 && byte < 0x7f ? static_cast<char>(byte) : '.';
}

// The text as shown, in at most `room` characters: a longer one is cut and
// ends with the shortened mark (as much of it as the room holds).
std::string fitted(std::string_view text, std::size_t room);

// The text as shown, broken into lines of at most `width` characters, at
// spaces where it can be; a word longer than a line is broken inside.
std::vector<std::string> wrapped(std::string_view text, std::size_t width);

// "1", "1 and 2", "1, 2 and 3".
std::string listed(const std::vector<std::uint64_t>& numbers);

// Decimal digits, written by hand so that every C library gives the same.
std::string decimal(std::uint64_t value);

}  // namespace ambertap::ladder
