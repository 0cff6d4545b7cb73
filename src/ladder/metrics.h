// The measures of a drawn diagram, in CSS pixels, and the look of each
// severity: every size the layout computes with and every colour the report
// draws with is here, once.
//
// Text is 12 px of the generic monospace family, and every text element
// carries textLength = its characters x `advance`, so a browser fits each
// text to the box the layout computed whatever monospace font it has. 7 px
// (0.583 em) lies between the common monospace fonts' advances: Consolas
// 0.55 em (6.6 px), Courier New, Liberation Mono, DejaVu Sans Mono and Menlo
// 0.60 em (7.2 px), so no font is squeezed or spread by more than 6%. Their
// ascents and descents stay within the 12 px above and 4 px below the
// baseline that a line is given.
#pragma once

#include <cstddef>

#include "diagram.h"

namespace ambertap::ladder {

struct Metrics {
    // A4 portrait is 210 mm wide; between margins of 12 mm that leaves
    // 186 mm, 703 px at 96 px an inch.
    int width = 700;
    int fontSize = 12;
    int advance = 7;
    int ascent = 12;
    int descent = 4;
    int margin = 4;
    int columnGap = 8;
    // The pairs' brackets: one lane each while they overlap, in a column
    // of at most `lanesMostWidth`; lanes narrow down to `laneLeast` before
    // a pair beyond them is left without its bracket.
    int laneWidth = 6;
    int laneLeast = 2;
    int lanesMostWidth = 96;
    int dotRadius = 2;
    // Lifeline heads: boxes of one line with padding.
    int headPadding = 4;
    int headHeight = 24;
    // An arrow row: its label's line on top, the arrow below it, then a
    // line for each line of its marks.
    int labelTop = 2;
    int arrowY = 23;
    int arrowHead = 4;  // half the head's height; the head is twice as long
    int arrowRow = 30;
    int markRowEnd = 4;   // below the last line of marks
    int labelInset = 6;   // between a label and the lifelines its arrow joins
    int toggleChars = 4;  // "[+] " before a band's label
    int gapRow = 36;
    int gapBreak = 7;  // lifelines stop this far inside a gap's row
    int runRow = 22;
    // The rows of one SVG at most, so that a printed A4 page (1031 px high
    // between its margins) always holds a whole one and never cuts an arrow.
    int chunkHeight = 480;

    int lineHeight() const { return ascent + descent; }
};
inline constexpr Metrics metrics{};

struct SeverityStyle {
    const char* word;    // as `check` writes it, and the CSS class
    const char* colour;  // of the arrow, the label and the text
};

inline constexpr SeverityStyle severityStyles[] = {
    {"error", "#c4001a"},
    {"warning", "#a35200"},
    {"note", "#1a56b0"},
};

constexpr const SeverityStyle& styleOf(Severity severity) {
    return severityStyles[static_cast<std::size_t>(severity)];
}

}  // namespace ambertap::ladder
