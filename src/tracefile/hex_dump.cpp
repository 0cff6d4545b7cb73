#include "hex_dump.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace ambertap {

namespace {

// The layouts as their tools print them by default: xxd; hexdump -C (and
// xxd -a) write "*" for repeated lines; certutil -encodehex, after a tab that
// a console turns into blanks; Format-Hex of Windows PowerShell 5.1, and of
// PowerShell 7 with its 16-digit offsets.
constexpr std::array<DumpLayout, 5> layouts{{
    {"xxd", 8, 16, ": ", 2, false, 2, TextColumn::ascii, true, false, false},
    {"hexdump -C", 8, 16, "  ", 1, true, 2, TextColumn::barred, true, true, false},
    {"certutil -encodehex", 4, 8, "\t", 1, true, 3, TextColumn::anything, false, false, false},
    {"Format-Hex", 8, 8, "   ", 1, false, 2, TextColumn::anything, false, false, true},
    {"Format-Hex", 16, 16, " ", 1, false, 1, TextColumn::anything, false, false, true},
}};

// A line's characters; reading past its end gives 0, which no rule takes.
class LineCursor {
  public:
    explicit LineCursor(std::span<const std::uint8_t> line) : line_(line) {}

    std::uint8_t at(std::size_t index) const { return index < line_.size() ? line_[index] : 0; }
    std::size_t size() const { return line_.size(); }
    std::span<const std::uint8_t> from(std::size_t index) const {
        return index < line_.size() ? line_.subspan(index) : std::span<const std::uint8_t>{};
    }
    bool startsWith(std::size_t index, std::string_view text) const {
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (at(index + i) != static_cast<std::uint8_t>(text[i])) {
                return false;
            }
        }
        return true;
    }

  private:
    std::span<const std::uint8_t> line_;
};

bool isBlank(std::uint8_t c) {
    return c == ' ' || c == '\t';
}

bool isPrintableAscii(std::uint8_t c) {
    return c >= 0x20 && c < 0x7f;
}

// Where byte `index` of a line starts, counted from the byte column's start.
std::size_t byteColumn(const DumpLayout& layout, std::size_t index) {
    const std::size_t perGroup = layout.bytesPerGroup;
    const std::size_t gap = layout.gapAfterEighthByte && index >= 8 ? 1 : 0;
    return index / perGroup * (2 * perGroup + 1) + index % perGroup * 2 + gap;
}

std::size_t byteColumnWidth(const DumpLayout& layout) {
    return byteColumn(layout, dumpLineBytes - 1) + 2;
}

// The hex digits at the start of `line`, at most 17: one more than any
// offset has. Their value when there are at most 16.
std::size_t offsetDigits(const LineCursor& line, std::uint64_t& value) {
    std::size_t digits = 0;
    value = 0;
    while (digits <= 16 && hexValue(line.at(digits)) != noHexDigit) {
        value = value << 4 | hexValue(line.at(digits));
        ++digits;
    }
    return digits;
}

// The end of what follows the offset, or 0 when it is not there.
std::size_t afterOffsetEnd(const LineCursor& line, std::size_t at, const DumpLayout& layout) {
    const std::string_view after = layout.afterOffset;
    if (after == "\t") {
        if (line.at(at) == '\t') {
            return at + 1;
        }
        std::size_t end = at;
        while (line.at(end) == ' ') {
            ++end;
        }
        return end > at ? end : 0;
    }
    return line.startsWith(at, after) ? at + after.size() : 0;
}

bool isHexByte(const LineCursor& line, std::size_t at) {
    return hexValue(line.at(at)) != noHexDigit && hexValue(line.at(at + 1)) != noHexDigit;
}

bool onlySpaces(const LineCursor& line, std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i) {
        if (line.at(i) != ' ') {
            return false;
        }
    }
    return true;
}

bool textColumnFits(std::span<const std::uint8_t> text, const DumpLine& data, TextColumn column) {
    switch (column) {
        case TextColumn::ascii:
            return text.size() <= data.count &&
                   std::all_of(text.begin(), text.end(), isPrintableAscii);
        case TextColumn::barred:
            return text.size() == data.count + 2u && text.front() == '|' && text.back() == '|' &&
                   std::all_of(text.begin() + 1, text.end() - 1, isPrintableAscii);
        case TextColumn::anything:
            return true;
    }
    return false;
}

DumpLine dataLine(const LineCursor& line, const DumpLayout& layout) {
    DumpLine data;
    const std::size_t digits = offsetDigits(line, data.offset);
    if (digits < layout.leastOffsetDigits || digits > layout.mostOffsetDigits) {
        return {};
    }
    const std::size_t bytesStart = afterOffsetEnd(line, digits, layout);
    if (bytesStart == 0) {
        return {};
    }
    std::size_t end = bytesStart;  // of the last byte read
    while (data.count < dumpLineBytes) {
        const std::size_t at = bytesStart + byteColumn(layout, data.count);
        if (!isHexByte(line, at) || !onlySpaces(line, end, at)) {
            break;
        }
        data.bytes[data.count++] =
            static_cast<std::uint8_t>(hexValue(line.at(at)) << 4 | hexValue(line.at(at + 1)));
        end = at + 2;
    }
    const std::size_t textStart = bytesStart + byteColumnWidth(layout) + layout.blanksBeforeText;
    if (data.count == 0 || !onlySpaces(line, end, std::min(textStart, line.size()))) {
        return {};
    }
    // Blanks lost from a line's end may take all of a text column, but the
    // bars of hexdump -C stay.
    const std::span<const std::uint8_t> text = line.from(textStart);
    data.textShown = !text.empty();
    if (data.textShown ? !textColumnFits(text, data, layout.text)
                       : layout.text == TextColumn::barred) {
        return {};
    }
    data.kind = DumpLineKind::data;
    return data;
}

// The rule under the titles: a run of '-' under each of the three.
bool isRule(const LineCursor& line) {
    std::size_t runs = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line.at(i) == '-') {
            if (i == 0 || line.at(i - 1) != '-') {
                ++runs;
            }
        } else if (!isBlank(line.at(i))) {
            return false;
        }
    }
    return runs == 3;
}

// "Path: ...", "Label: ...", "Offset Bytes Ascii" and the rule under them.
bool isFormatHexTitle(const LineCursor& line) {
    if (line.startsWith(0, "Path:") || line.startsWith(0, "Label:")) {
        return true;
    }
    if (line.startsWith(0, "Offset")) {
        std::size_t at = 6;
        for (const std::string_view title : {"Bytes", "Ascii"}) {
            const std::size_t blanksFrom = at;
            while (isBlank(line.at(at))) {
                ++at;
            }
            if (at == blanksFrom || !line.startsWith(at, title)) {
                return false;
            }
            at += title.size();
        }
        return at == line.size();
    }
    return isRule(line);
}

bool isColumnNumbers(const LineCursor& line) {
    if (line.size() != dumpLineBytes * 3 - 1) {
        return false;
    }
    for (std::size_t i = 0; i < dumpLineBytes; ++i) {
        if (line.at(3 * i) != '0' || hexValue(line.at(3 * i + 1)) != i ||
            (i + 1 < dumpLineBytes && line.at(3 * i + 2) != ' ')) {
            return false;
        }
    }
    return true;
}

bool isLengthLine(const LineCursor& line, const DumpLayout& layout, std::uint64_t& length) {
    const std::size_t digits = offsetDigits(line, length);
    return digits == line.size() && digits >= layout.leastOffsetDigits &&
           digits <= layout.mostOffsetDigits;
}

}  // namespace

std::span<const DumpLayout> dumpLayouts() {
    return layouts;
}

std::span<const std::uint8_t> dumpLineContent(std::span<const std::uint8_t> line) {
    std::size_t begin = 0;
    while (begin < line.size() && (line[begin] == '>' || isBlank(line[begin]))) {
        ++begin;
    }
    std::size_t end = line.size();
    while (end > begin && isBlank(line[end - 1])) {
        --end;
    }
    return line.subspan(begin, end - begin);
}

DumpLine readDumpLine(std::span<const std::uint8_t> content, const DumpLayout& layout) {
    const LineCursor line(content);
    DumpLine read;
    if (line.size() == 0 || line.at(0) == '#') {
        read.kind = DumpLineKind::blank;
    } else if (layout.repeats && line.size() == 1 && line.at(0) == '*') {
        read.kind = DumpLineKind::repeat;
    } else if (layout.lengthLine && isLengthLine(line, layout, read.offset)) {
        read.kind = DumpLineKind::length;
    } else if (layout.formatHexHeaders && isColumnNumbers(line)) {
        read.kind = DumpLineKind::columnNumbers;
    } else if (layout.formatHexHeaders && isFormatHexTitle(line)) {
        read.kind = DumpLineKind::header;
    } else {
        read = dataLine(line, layout);
    }
    return read;
}

}  // namespace ambertap
