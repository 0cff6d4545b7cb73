// Where every part of a drawn diagram goes, computed from the diagram and the
// measures alone: the SVG renderer only writes what is placed here, and the
// tests check the geometry here. A diagram is laid out as sequences of rows:
// its own rows, and the rows each DATA_B3 band folds. Each sequence is cut
// into chunks that a printed page holds whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "diagram.h"

namespace ambertap::ladder {

struct Box {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    int right() const { return x + width; }
    int bottom() const { return y + height; }
    bool overlaps(const Box& other) const {
        return x < other.right() && other.x < right() && y < other.bottom() && other.y < bottom();
    }
};

// What a text is, which the renderer gives its class by.
enum class TextRole : std::uint8_t { record, time, label, toggle, mark, band, gap, run, head };

struct PlacedText {
    Box box;  // its characters x the advance wide, one line high
    int baseline = 0;
    std::string text;  // as shown: ASCII, shortened where it had to be
    TextRole role = TextRole::label;
    std::optional<Severity> severity;
};

// An arrow from its sender's lifeline (x1) to its receiver's (x2); a band is
// drawn as a bar with a head at both ends.
struct PlacedArrow {
    int x1 = 0;
    int x2 = 0;
    int y = 0;
    bool band = false;
    std::optional<Severity> severity;

    Box box() const;
};

enum class RowKind : std::uint8_t { arrow, band, gap, run };

struct PlacedRow {
    RowKind kind = RowKind::arrow;
    const Arrow* arrow = nullptr;  // of an arrow row
    std::size_t band = 0;          // of a band row: its sequence in Layout::bands
    int top = 0;
    int height = 0;
    std::vector<PlacedText> texts;
    std::optional<PlacedArrow> line;
};

// A pair of messages joined in a lane left of the lifelines: a vertical line
// from `top` to `bottom`, and at each end that is a row of this sequence a
// dot and a tick towards its arrow. An end in another sequence (a band's
// rows, or the diagram's rows around a band) runs to this sequence's edge.
struct Bracket {
    int x = 0;
    int top = 0;
    int bottom = 0;
    bool dotTop = true;
    bool dotBottom = true;
    int tickEnd = 0;  // x where the ticks end
};

struct Chunk {
    std::size_t firstRow = 0;
    std::size_t endRow = 0;
    int top = 0;
    int height = 0;
};

struct Sequence {
    std::vector<PlacedRow> rows;
    std::vector<Bracket> brackets;
    std::vector<Chunk> chunks;
    int height = 0;
};

struct Layout {
    int width = 0;
    std::vector<int> lifelineX;  // by lifeline, 0 for CAPI
    std::vector<Box> heads;      // by lifeline
    std::vector<PlacedText> headTexts;
    int headHeight = 0;
    Sequence main;
    std::vector<Sequence> bands;  // the folded rows of each band row, in order
    std::size_t pairsWithoutBracket = 0;
};

// The lifelines from left to right: CAPI in the middle, the applications
// half on each side (the odd one on the left), so that with two
// applications no arrow crosses another lifeline.
std::vector<std::size_t> lifelineOrder(const Diagram& diagram);

// The layout points into the diagram's rows: it lasts as long as the diagram.
Layout layOut(const Diagram& diagram);

// A lifeline crosses a gap's row only above and below its break.
int gapBreakTop(const PlacedRow& row);
int gapBreakBottom(const PlacedRow& row);

}  // namespace ambertap::ladder
