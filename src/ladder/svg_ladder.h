// One diagram as a section of the report: its header, its ladder in inline
// SVG, and each drawn message's full decode, opened from its arrow. The
// ladder is one SVG for the lifelines' heads and one for each chunk of rows
// that a printed page holds whole; a DATA_B3 band is a <details> whose
// summary draws the band and whose body draws the rows it folds, so it
// unfolds on a click without script.
#pragma once

#include "diagram.h"
#include "markup_output.h"

namespace ambertap::ladder {

void writeDiagramSection(MarkupOutput& out, const Diagram& diagram);

// The style sheet rules that the drawn diagrams need.
void writeDiagramStyle(MarkupOutput& out);

}  // namespace ambertap::ladder
