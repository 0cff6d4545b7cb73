// The hex dumps that tools print and people paste: each line an offset
// column, the bytes in hex, and a text column that shows them as characters.
// Every layout is a row of one table; a line is read by its layout's columns,
// never by guessing which of its words are hex.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace ambertap {

// The bytes one line of every layout shows at most.
inline constexpr std::size_t dumpLineBytes = 16;

enum class TextColumn : std::uint8_t {
    ascii,     // one printable ASCII character a byte; trailing blanks may be lost
    barred,    // the same between two '|', none lost
    anything,  // characters of any width (a code page, UTF-8): only its place is known
};

struct DumpLayout {
    const char* name;  // as damage to the dump names it
    std::uint8_t leastOffsetDigits;
    std::uint8_t mostOffsetDigits;
    const char* afterOffset;  // exactly; a tab stands for a tab or blanks
    std::uint8_t bytesPerGroup;
    bool gapAfterEighthByte;  // a blank more between the 8th and the 9th byte
    std::uint8_t blanksBeforeText;
    TextColumn text;
    bool repeats;           // a line "*": the line before repeats up to the next offset
    bool lengthLine;        // the dump ends with a line of its end offset alone
    bool formatHexHeaders;  // "Path:", "Label:", column titles, numbers and rules head blocks
};

// Every layout read, in the order a dump's first line is tried against them.
std::span<const DumpLayout> dumpLayouts();

// What hexValue gives for a byte that is not a hex digit.
inline constexpr std::uint8_t noHexDigit = 0xff;

// The value of a hex digit of either case, or noHexDigit.
constexpr std::uint8_t hexValue(std::uint8_t c) {
    if (c >= '0' && c <= '9') {
        return static_cast<std::uint8_t>(c - '0');
    }
    if (c >= 'a' && c <= 'f') {
        return static_cast<std::uint8_t>(c - 'a' + 10);
    }
    if (c >= 'A' && c <= 'F') {
        return static_cast<std::uint8_t>(c - 'A' + 10);
    }
    return noHexDigit;
}

enum class DumpLineKind : std::uint8_t {
    blank,          // nothing, or a comment: '#' first
    data,           // an offset, bytes and maybe the text column
    repeat,         // "*"
    length,         // an offset alone
    header,         // a title line of a Format-Hex block
    columnNumbers,  // "00 01 ... 0F": a Format-Hex block's header, or hex text
    other,          // no line of the layout
};

struct DumpLine {
    DumpLineKind kind = DumpLineKind::other;
    std::uint64_t offset = 0;  // of the first byte, or the length
    std::uint8_t count = 0;    // bytes shown, 1 to dumpLineBytes
    bool textShown = false;    // the text column holds at least one character
    std::uint8_t bytes[dumpLineBytes] = {};
};

// The part of a line that its layout lays out: without the mail quoting
// ('>' and blanks) and blanks before it and the blanks after it.
std::span<const std::uint8_t> dumpLineContent(std::span<const std::uint8_t> line);

// `content` (see dumpLineContent) read as a line of `layout`.
DumpLine readDumpLine(std::span<const std::uint8_t> content, const DumpLayout& layout);

}  // namespace ambertap
