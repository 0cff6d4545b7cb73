// Ladder diagrams as plain text, one after another: a header naming the
// PLCI, the controller and the applications, a line naming the columns and
// lifelines, then one line a message, ASCII only and at most as wide as
// asked. A DATA_B3 band is one line; a finding follows its message's line.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

#include "block_output.h"
#include "diagram.h"

namespace ambertap::ladder {

// Widths below this are taken as this: the columns and two lifelines need it.
inline constexpr std::size_t narrowestTextLadder = 40;
inline constexpr std::size_t widestTextLadder = 1000;

class TextLadder {
  public:
    TextLadder(std::FILE* out, std::size_t width);

    // Writes a diagram, parted from the one before by an empty line.
    void write(const Diagram& diagram);

    // Writes what is left and flushes the stream. Returns 0, or the C
    // library's error number of the first write that failed.
    int finish() { return out_.finish(); }

  private:
    void line(const std::string& text);

    FixedBlockOutput<16 * 1024> out_;
    std::size_t width_;
    bool first_ = true;
};

}  // namespace ambertap::ladder
