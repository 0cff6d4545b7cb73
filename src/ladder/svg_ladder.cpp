#include "svg_ladder.h"

#include <algorithm>

#include "anchors.h"
#include "layout.h"
#include "metrics.h"
#include "shown_text.h"

namespace ambertap::ladder {

namespace {

// The class each kind of text is drawn with.
constexpr const char* roleClasses[] = {"record", "time", "label", "toggle", "mark",
                                       "band",   "gap",  "run",   "head"};

const char* classOf(TextRole role) {
    return roleClasses[static_cast<std::size_t>(role)];
}

std::string_view severityClass(const std::optional<Severity>& severity) {
    return severity ? styleOf(*severity).word : "";
}

void writeText(MarkupOutput& out, const PlacedText& text, std::string_view extraClass = "") {
    if (text.text.empty()) {
        return;
    }
    out.line("<text class=\"", classOf(text.role), severityClass(text.severity).empty() ? "" : " ",
             severityClass(text.severity), extraClass.empty() ? "" : " ", extraClass, "\" x=\"",
             Number{text.box.x}, "\" y=\"", Number{text.baseline}, "\" textLength=\"",
             Number{text.box.width}, "\">", Escaped{text.text}, "</text>");
}

class DiagramWriter {
  public:
    DiagramWriter(MarkupOutput& out, const Diagram& diagram)
        : out_(out), diagram_(diagram), layout_(layOut(diagram)) {}

    void write() {
        const DiagramFacts& facts = diagram_.facts();
        writeSectionStart();
        out_.line("<h3>", Escaped{headerOf(diagram_)}, "</h3>");
        if (facts.calls.size() > 1) {
            for (std::size_t call = 1; call < facts.calls.size(); ++call) {
                out_.line("<span id=\"", callAnchor(facts.input, facts.calls[call]), "\"></span>");
            }
        }
        out_.line("<div class=\"ladder\">");
        writeHeads();
        writeSequence(layout_.main, true);
        out_.line("</div>");
        writeDecodes();
        out_.line("</section>");
    }

  private:
    void writeSectionStart() {
        const DiagramFacts& facts = diagram_.facts();
        if (!facts.calls.empty()) {
            out_.line("<section class=\"diagram\" id=\"", callAnchor(facts.input, facts.calls[0]),
                      "\">");
            return;
        }
        const std::uint16_t applId =
            diagram_.applications().empty() ? 0 : diagram_.applications().front();
        out_.line("<section class=\"diagram\" id=\"",
                  noCallAnchor(facts.input, applId, static_cast<std::uint8_t>(facts.plci)), "\">");
    }

    void svgStart(const char* svgClass, int top, int height) {
        out_.line("<svg class=\"", svgClass, "\" width=\"", Number{layout_.width}, "\" height=\"",
                  Number{height}, "\" viewBox=\"0 ", Number{top}, ' ', Number{layout_.width}, ' ',
                  Number{height}, "\">");
    }

    void writeHeads() {
        svgStart("heads", 0, layout_.headHeight);
        for (std::size_t lifeline = 0; lifeline < layout_.heads.size(); ++lifeline) {
            const Box& box = layout_.heads[lifeline];
            const int x = layout_.lifelineX[lifeline];
            out_.line("<path class=\"lifeline\" d=\"M", Number{x}, ' ', Number{box.bottom()}, "V",
                      Number{layout_.headHeight}, "\"/>");
            out_.line("<rect class=\"head\" x=\"", Number{box.x}, "\" y=\"", Number{box.y},
                      "\" width=\"", Number{box.width}, "\" height=\"", Number{box.height}, "\"/>");
        }
        for (const PlacedText& text : layout_.headTexts) {
            writeText(out_, text);
        }
        out_.line("</svg>");
    }

    // A sequence's chunks, each cut once more at the bands it holds: a band
    // row is a <details> of its own between the SVGs of the rows around it.
    void writeSequence(const Sequence& sequence, bool withBands) {
        for (const Chunk& chunk : sequence.chunks) {
            std::size_t first = chunk.firstRow;
            for (std::size_t row = chunk.firstRow; row < chunk.endRow; ++row) {
                if (!withBands || sequence.rows[row].kind != RowKind::band) {
                    continue;
                }
                writeSegment(sequence, first, row);
                writeBand(sequence, row);
                first = row + 1;
            }
            writeSegment(sequence, first, chunk.endRow);
        }
    }

    void writeBand(const Sequence& sequence, std::size_t row) {
        out_.line("<details class=\"fold\"><summary>");
        writeSegment(sequence, row, row + 1);
        out_.line("</summary>");
        writeSequence(layout_.bands[sequence.rows[row].band], false);
        out_.line("</details>");
    }

    void writeSegment(const Sequence& sequence, std::size_t first, std::size_t end) {
        if (first >= end) {
            return;
        }
        const int top = sequence.rows[first].top;
        const int bottom = sequence.rows[end - 1].top + sequence.rows[end - 1].height;
        svgStart("rows", top, bottom - top);
        writeLifelines(sequence, first, end, top, bottom);
        for (const Bracket& bracket : sequence.brackets) {
            if (bracket.bottom >= top && bracket.top <= bottom) {
                writeBracket(bracket);
            }
        }
        for (std::size_t row = first; row < end; ++row) {
            writeRow(sequence.rows[row]);
        }
        out_.line("</svg>");
    }

    // A path for each lifeline, broken where a gap's row crosses it; a
    // chunk holds few enough rows that its line stays short.
    void writeLifelines(const Sequence& sequence, std::size_t first, std::size_t end, int top,
                        int bottom) {
        for (const int x : layout_.lifelineX) {
            std::string path = 'M' + std::to_string(x) + ' ' + std::to_string(top);
            for (std::size_t row = first; row < end; ++row) {
                const PlacedRow& placed = sequence.rows[row];
                if (placed.kind == RowKind::gap) {
                    path += 'V' + std::to_string(gapBreakTop(placed)) + 'M' + std::to_string(x) +
                            ' ' + std::to_string(gapBreakBottom(placed));
                }
            }
            out_.line("<path class=\"lifeline\" d=\"", path, 'V', Number{bottom}, "\"/>");
        }
    }

    void writeBracket(const Bracket& bracket) {
        out_.line("<path class=\"pair\" d=\"M",
                  Number{bracket.dotTop ? bracket.tickEnd : bracket.x}, ' ', Number{bracket.top},
                  "H", Number{bracket.x}, "V", Number{bracket.bottom}, "H",
                  Number{bracket.dotBottom ? bracket.tickEnd : bracket.x}, "\"/>");
        if (bracket.dotTop) {
            writeDot(bracket.x, bracket.top);
        }
        if (bracket.dotBottom) {
            writeDot(bracket.x, bracket.bottom);
        }
    }

    void writeDot(int x, int y) {
        out_.line("<circle class=\"dot\" cx=\"", Number{x}, "\" cy=\"", Number{y}, "\" r=\"",
                  Number{metrics.dotRadius}, "\"/>");
    }

    void writeRow(const PlacedRow& row) {
        switch (row.kind) {
            case RowKind::arrow:
                writeArrowRow(row);
                break;
            case RowKind::band:
                writeBandRow(row);
                break;
            case RowKind::gap:
                writeGapRow(row);
                break;
            case RowKind::run:
                for (const PlacedText& text : row.texts) {
                    writeText(out_, text);
                }
                break;
        }
    }

    void writeArrowRow(const PlacedRow& row) {
        const Arrow& arrow = *row.arrow;
        const std::size_t input = diagram_.facts().input;
        const std::string_view severity = severityClass(row.line->severity);
        out_.line("<a class=\"msg", severity.empty() ? "" : " ", severity, "\" id=\"",
                  arrowAnchor(input, arrow.record), "\" href=\"#",
                  decodeAnchor(input, arrow.record), "\" xlink:href=\"#",
                  decodeAnchor(input, arrow.record), "\">");
        out_.line("<title>", Count{arrow.record}, ": ", Escaped{arrow.name}, ' ',
                  Escaped{arrow.parameters}, "</title>");
        for (const PlacedText& text : row.texts) {
            writeText(out_, text);
        }
        writeArrowLine(*row.line);
        out_.line("</a>");
    }

    void writeArrowLine(const PlacedArrow& line) {
        const int length = 2 * metrics.arrowHead;
        const int back = line.x2 > line.x1 ? -length : length;
        out_.line("<line class=\"shaft\" x1=\"", Number{line.x1}, "\" y1=\"", Number{line.y},
                  "\" x2=\"", Number{line.x2 + back / 2}, "\" y2=\"", Number{line.y}, "\"/>");
        writeTip(line.x2, line.y, back);
    }

    void writeTip(int x, int y, int back) {
        out_.line("<path class=\"tip\" d=\"M", Number{x}, ' ', Number{y}, "l", Number{back}, ' ',
                  Number{-metrics.arrowHead}, "v", Number{2 * metrics.arrowHead}, "z\"/>");
    }

    void writeBandRow(const PlacedRow& row) {
        const PlacedArrow& line = *row.line;
        const int left = std::min(line.x1, line.x2);
        const int right = std::max(line.x1, line.x2);
        const int length = 2 * metrics.arrowHead;
        out_.line("<g class=\"band\">");
        for (const PlacedText& text : row.texts) {
            if (text.role == TextRole::toggle) {
                writeText(out_, text, "closed");
                PlacedText open = text;
                open.text = fitted("[-]", text.text.size());
                writeText(out_, open, "open");
            } else {
                writeText(out_, text);
            }
        }
        out_.line("<rect class=\"bar\" x=\"", Number{left + length}, "\" y=\"",
                  Number{line.y - metrics.arrowHead / 2}, "\" width=\"",
                  Number{std::max(right - left - 2 * length, 0)}, "\" height=\"",
                  Number{metrics.arrowHead}, "\"/>");
        writeTip(left, line.y, length);
        writeTip(right, line.y, -length);
        out_.line("</g>");
    }

    void writeGapRow(const PlacedRow& row) {
        for (const int x : layout_.lifelineX) {
            for (const int y : {gapBreakTop(row), gapBreakBottom(row)}) {
                out_.line("<path class=\"break\" d=\"M", Number{x - 5}, ' ', Number{y + 2},
                          "l10 -4\"/>");
            }
        }
        for (const PlacedText& text : row.texts) {
            writeText(out_, text);
        }
    }

    void writeDecodes() {
        out_.line("<div class=\"decodes\">");
        for (const Row& row : diagram_.rows()) {
            if (const auto* arrow = std::get_if<Arrow>(&row)) {
                writeDecode(*arrow);
            } else if (const auto* band = std::get_if<DataBand>(&row)) {
                for (const Arrow& folded : band->arrows) {
                    writeDecode(folded);
                }
            }
        }
        out_.line("</div>");
    }

    // The message's line, always shown; its parameters shown once its arrow
    // or its record is followed to it.
    void writeDecode(const Arrow& arrow) {
        const std::size_t input = diagram_.facts().input;
        out_.line("<div class=\"decode\" id=\"", decodeAnchor(input, arrow.record), "\">");
        const std::string_view line =
            arrow.decode.empty() ? std::string_view(arrow.name) : arrow.decode.front();
        out_.line("<a href=\"#", decodeAnchor(input, arrow.record), "\">", Count{arrow.record},
                  "</a> <a href=\"#", arrowAnchor(input, arrow.record), "\">&#8593;</a> <code>",
                  Escaped{line}, "</code>");
        if (arrow.decode.size() > 1) {
            out_.line("<pre class=\"parameters\">");
            for (std::size_t each = 1; each < arrow.decode.size(); ++each) {
                out_.line(Escaped{arrow.decode[each]});
            }
            out_.line("</pre>");
        }
        out_.line("</div>");
    }

    MarkupOutput& out_;
    const Diagram& diagram_;
    Layout layout_;
};

}  // namespace

void writeDiagramSection(MarkupOutput& out, const Diagram& diagram) {
    DiagramWriter(out, diagram).write();
}

void writeDiagramStyle(MarkupOutput& out) {
    out.line(".ladder{width:", Number{metrics.width}, "px}");
    out.line(".ladder svg{display:block}");
    out.line(".ladder summary{display:block;cursor:pointer;list-style:none}");
    out.line(".ladder summary::-webkit-details-marker{display:none}");
    out.line("svg text{font-family:monospace;font-size:", Number{metrics.fontSize},
             "px;fill:#000;paint-order:stroke;stroke:#fff;stroke-width:3px;stroke-linejoin:round}");
    out.line(".lifeline{stroke:#8a8a8a;fill:none}");
    out.line("rect.head{fill:#f0f0f0;stroke:#404040}");
    out.line(".shaft{stroke:#000}.tip{fill:#000}");
    out.line(".pair{stroke:#808080;fill:none}.dot{fill:#808080}");
    out.line(".bar{fill:#a0a0a0}g.band .tip{fill:#a0a0a0}");
    out.line(".break{stroke:#606060}");
    out.line("text.gap,text.run{font-style:italic}text.toggle{fill:#0645ad}");
    out.line("details[open]>summary .closed,details:not([open])>summary .open{display:none}");
    out.line("a.msg:hover .shaft{stroke-width:2}");
    for (const SeverityStyle& style : severityStyles) {
        out.line(".", style.word, " .shaft{stroke:", style.colour, "}.", style.word,
                 " .tip{fill:", style.colour, "}text.", style.word, "{fill:", style.colour, "}");
    }
    out.line(".decode .parameters{display:none;margin:2px 0 6px 2em}");
    out.line(".decode:target{background:#fff3b0}.decode:target .parameters{display:block}");
}

}  // namespace ambertap::ladder
