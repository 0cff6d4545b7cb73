// HTML and SVG written line by line into blocks of output, each line in a
// room of its own. Text from a trace or the command line is shown as the
// ladders show text (ASCII only) and escaped, and is cut at a bound, so that
// no line ever outgrows its room and no markup is ever cut.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <type_traits>

#include "block_output.h"
#include "line_writer.h"

namespace ambertap::ladder {

// Text shown and escaped for HTML, at most `mostEscapedCharacters` of it.
struct Escaped {
    std::string_view text;
};

struct Number {
    std::int64_t value;
};

// A count or a record number.
struct Count {
    std::uint64_t value;
};

// An element's id or the target of a link to it: `kind` then numbers parted
// by '-' ("a1-15": the arrow of record 15 of the first input).
struct Anchor {
    char kind;
    std::uint64_t first;
    std::uint64_t second;
    std::int64_t third = -1;  // none when negative
};

class MarkupOutput {
  public:
    static constexpr std::size_t mostEscapedCharacters = 1000;
    static constexpr std::size_t mostEscapedPieces = 2;
    // "&quot;" is the longest escape; the rest of a line is markup.
    static constexpr std::size_t lineRoom = 16 * 1024;
    static_assert(mostEscapedPieces * 6 * mostEscapedCharacters + 2048 < lineRoom);

    explicit MarkupOutput(std::FILE* out) : out_(out) {}

    template <typename... Pieces>
    void line(const Pieces&... pieces) {
        static_assert((std::size_t{std::is_same_v<Pieces, Escaped>} + ... + 0) <=
                      mostEscapedPieces);
        LineWriter writer(out_.lineSpace(lineRoom), static_cast<int>(lineRoom));
        (append(writer, pieces), ...);
        out_.endLine(writer.length());
    }

    // Writes what is left and flushes the stream. Returns 0, or the C
    // library's error number of the first write that failed.
    int finish() { return out_.finish(); }

  private:
    static void append(LineWriter& writer, std::string_view markup) { writer.text(markup); }
    static void append(LineWriter& writer, const char* markup) { writer.text(markup); }
    static void append(LineWriter& writer, char markup) { writer.character(markup); }
    static void append(LineWriter& writer, Number number) { writer.decimal(number.value); }
    static void append(LineWriter& writer, Count count);
    static void append(LineWriter& writer, const Escaped& text);
    static void append(LineWriter& writer, const Anchor& anchor);

    FixedBlockOutput<64 * 1024> out_;
};

}  // namespace ambertap::ladder
