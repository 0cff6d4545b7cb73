#include "text_ladder.h"

#include <algorithm>
#include <variant>

#include "layout.h"
#include "line_writer.h"
#include "metrics.h"
#include "shown_text.h"

namespace ambertap::ladder {

namespace {

// The marks of a text ladder, each in one place.
struct Marks {
    char lifeline = '|';
    char shaft = '-';
    char bandShaft = '=';
    char crossing = '+';   // a shaft crossing a lifeline it does not end on
    char gap = '~';        // a lifeline where the trace has a gap
    char finding = '!';    // beside the record of a message with a finding
    std::size_t tail = 4;  // shaft characters before a label
};
constexpr Marks marks{};

// The columns left of the lifelines, and where each lifeline stands.
struct Grid {
    std::size_t width = 0;
    std::size_t record = 0;  // characters of the record column
    std::size_t time = 0;    // of the time column, 0 without one
    std::size_t pair = 0;
    std::size_t timeLeft = 0;
    std::size_t pairLeft = 0;
    std::size_t areaLeft = 0;
    std::vector<std::size_t> lifeline;  // column of each lifeline
};

struct Widths {
    std::size_t record = 3;  // "rec"
    std::size_t time = 0;
    std::size_t pair = 4;  // "pair"
};

void noteArrow(Widths& widths, const Arrow& arrow) {
    widths.record = std::max(widths.record, decimal(arrow.record).size());
    if (!arrow.time.empty()) {
        widths.time = std::max(
            {widths.time, std::min(arrow.time.size(), mostTimeCharacters), std::size_t{4}});
    }
    if (arrow.partner != 0) {
        widths.pair = std::max(widths.pair, decimal(arrow.partner).size());
    }
}

Widths widthsOf(const Diagram& diagram) {
    Widths widths;
    for (const Row& row : diagram.rows()) {
        if (const auto* arrow = std::get_if<Arrow>(&row)) {
            noteArrow(widths, *arrow);
        } else if (const auto* band = std::get_if<DataBand>(&row)) {
            widths.record =
                std::max(widths.record, recordsText(band->firstRecord, band->lastRecord).size());
        } else if (const auto* run = std::get_if<NoCallRun>(&row)) {
            widths.record =
                std::max(widths.record, recordsText(run->firstRecord, run->lastRecord).size());
        }
    }
    return widths;
}

Grid gridOf(const Diagram& diagram, std::size_t width) {
    const Widths widths = widthsOf(diagram);
    Grid grid;
    grid.width = width;
    grid.record = widths.record;
    grid.time = widths.time;
    grid.pair = widths.pair;
    // "rec" right-aligned, the finding mark, then each column two apart.
    std::size_t at = grid.record + 1 + 2;
    if (grid.time > 0) {
        grid.timeLeft = at;
        at += grid.time + 2;
    }
    grid.pairLeft = at;
    grid.areaLeft = at + grid.pair + 2;
    const std::vector<std::size_t> order = lifelineOrder(diagram);
    const std::size_t area = width > grid.areaLeft + 1 ? width - grid.areaLeft : 2;
    grid.lifeline.assign(order.size(), grid.areaLeft);
    for (std::size_t position = 0; position < order.size(); ++position) {
        const std::size_t offset =
            order.size() > 1 ? position * (area - 1) / (order.size() - 1) : 0;
        grid.lifeline[order[position]] = grid.areaLeft + offset;
    }
    return grid;
}

// One line as a row of characters, written into and then trimmed.
class TextRow {
  public:
    explicit TextRow(std::size_t width) : text_(width, ' ') {}

    void put(std::size_t column, const std::string& text) {
        for (std::size_t i = 0; i < text.size() && column + i < text_.size(); ++i) {
            text_[column + i] = text[i];
        }
    }
    void putRight(std::size_t endColumn, const std::string& text) {
        put(endColumn >= text.size() ? endColumn - text.size() : 0, text);
    }
    void set(std::size_t column, char c) {
        if (column < text_.size()) {
            text_[column] = c;
        }
    }
    char at(std::size_t column) const { return column < text_.size() ? text_[column] : ' '; }

    std::string trimmed() const {
        const std::size_t end = text_.find_last_not_of(' ');
        return end == std::string::npos ? std::string() : text_.substr(0, end + 1);
    }

  private:
    std::string text_;
};

class DiagramText {
  public:
    DiagramText(const Diagram& diagram, const Grid& grid) : diagram_(diagram), grid_(grid) {}

    std::string heads() const {
        TextRow row(grid_.width);
        row.putRight(grid_.record, "rec");
        if (grid_.time > 0) {
            row.put(grid_.timeLeft, "time");
        }
        row.put(grid_.pairLeft, "pair");
        const std::vector<std::size_t> order = lifelineOrder(diagram_);
        for (std::size_t position = 0; position < order.size(); ++position) {
            putHead(row, order, position);
        }
        return row.trimmed();
    }

    // The lines of a row: one, and those of its marks.
    std::vector<std::string> lines(const Row& row) const {
        if (const auto* arrow = std::get_if<Arrow>(&row)) {
            return arrowLines(*arrow);
        }
        if (const auto* band = std::get_if<DataBand>(&row)) {
            return {bandLine(*band)};
        }
        if (const auto* run = std::get_if<NoCallRun>(&row)) {
            return {runLine(*run)};
        }
        return {gapLine(std::get<Gap>(row))};
    }

  private:
    // A lifeline's name in its slot, which reaches half way to each
    // neighbour: the outermost names start or end at their lifelines, the
    // others are centred on theirs, each kept inside its slot.
    void putHead(TextRow& row, const std::vector<std::size_t>& order, std::size_t position) const {
        const std::size_t column = grid_.lifeline[order[position]];
        const std::size_t last = order.size() - 1;
        const std::size_t slotLeft =
            position == 0 ? column : (grid_.lifeline[order[position - 1]] + column) / 2 + 1;
        const std::size_t slotEnd =
            position == last ? grid_.width : (column + grid_.lifeline[order[position + 1]]) / 2;
        const std::size_t room = slotEnd > slotLeft ? slotEnd - slotLeft : 0;
        const std::string name = lifelineName(diagram_, order[position], room);
        std::size_t start = column >= name.size() / 2 ? column - name.size() / 2 : 0;
        if (position == 0 && order.size() > 1) {
            start = column;
        } else if (position == last) {
            start = column + 1 >= name.size() ? column + 1 - name.size() : 0;
        }
        row.put(std::clamp(start, slotLeft, std::max(slotLeft, slotEnd - name.size())), name);
    }

    TextRow withLifelines(char mark = marks.lifeline) const {
        TextRow row(grid_.width);
        for (const std::size_t column : grid_.lifeline) {
            row.set(column, mark);
        }
        return row;
    }

    std::pair<std::size_t, std::size_t> columnsOf(std::uint16_t applId) const {
        const std::size_t application = grid_.lifeline[lifelineOf(diagram_, applId)];
        const std::size_t capi = grid_.lifeline[0];
        return {std::min(application, capi), std::max(application, capi)};
    }

    // The shaft between two lifelines, the label after its tail, and the
    // heads: `<` next to the left lifeline, `>` next to the right one.
    void drawShaft(TextRow& row, std::pair<std::size_t, std::size_t> ends, char shaft,
                   bool headLeft, bool headRight, const std::string& label) const {
        const auto [left, right] = ends;
        for (std::size_t column = left + 1; column < right; ++column) {
            row.set(column, row.at(column) == marks.lifeline ? marks.crossing : shaft);
        }
        if (headLeft) {
            row.set(left + 1, '<');
        }
        if (headRight && right > left + 1) {
            row.set(right - 1, '>');
        }
        if (!label.empty()) {
            row.put(left + 1 + marks.tail, ' ' + label + ' ');
        }
    }

    // Characters a label may take between two lifelines: the tail, a space
    // each side, and at least one shaft character and a head after it.
    static std::size_t labelRoom(std::pair<std::size_t, std::size_t> ends) {
        const std::size_t inner = ends.second - ends.first - 1;
        const std::size_t around = marks.tail + 2 + 2;
        return inner > around ? inner - around : 0;
    }

    void putRecord(TextRow& row, const std::string& record) const {
        row.putRight(grid_.record, fitted(record, grid_.record));
    }

    std::vector<std::string> arrowLines(const Arrow& arrow) const {
        TextRow row = withLifelines();
        putRecord(row, decimal(arrow.record));
        if (!arrow.marks.empty()) {
            row.set(grid_.record, marks.finding);
        }
        if (grid_.time > 0) {
            row.put(grid_.timeLeft, fitted(arrow.time, grid_.time));
        }
        if (arrow.partner != 0) {
            row.putRight(grid_.pairLeft + grid_.pair, decimal(arrow.partner));
        }
        const auto ends = columnsOf(arrow.applId);
        const bool towardsLeft = arrow.put == (ends.first == grid_.lifeline[0]);
        const std::string label =
            arrow.parameters.empty() ? arrow.name : arrow.name + ' ' + arrow.parameters;
        drawShaft(row, ends, marks.shaft, towardsLeft, !towardsLeft,
                  fitted(label, labelRoom(ends)));
        std::vector<std::string> lines{row.trimmed()};
        const std::size_t width = grid_.width > grid_.pairLeft ? grid_.width - grid_.pairLeft : 1;
        for (const Mark& mark : arrow.marks) {
            const std::string text = std::string(styleOf(mark.severity).word) + ": " + mark.text;
            for (const std::string& line : wrapped(text, width)) {
                TextRow markRow(grid_.width);
                markRow.put(grid_.pairLeft, line);
                lines.push_back(markRow.trimmed());
            }
        }
        return lines;
    }

    std::string bandLine(const DataBand& band) const {
        TextRow row = withLifelines();
        putRecord(row, recordsText(band.firstRecord, band.lastRecord));
        const auto ends = columnsOf(band.applId);
        drawShaft(row, ends, marks.bandShaft, true, true, fitted(bandText(band), labelRoom(ends)));
        return row.trimmed();
    }

    std::string runLine(const NoCallRun& run) const {
        TextRow row = withLifelines();
        putRecord(row, recordsText(run.firstRecord, run.lastRecord));
        const auto [left, right] = columnsOf(run.applId);
        const std::size_t inner = right - left - 1;
        row.put(left + 2, fitted(runText(run), inner > 3 ? inner - 3 : 0));
        return row.trimmed();
    }

    std::string gapLine(const Gap& gap) const {
        TextRow row = withLifelines(marks.gap);
        const std::size_t room = grid_.width > grid_.areaLeft ? grid_.width - grid_.areaLeft : 0;
        row.put(grid_.areaLeft + 2, ' ' + fitted(gapText(gap), room > 6 ? room - 6 : 0) + ' ');
        return row.trimmed();
    }

    const Diagram& diagram_;
    const Grid& grid_;
};

}  // namespace

TextLadder::TextLadder(std::FILE* out, std::size_t width)
    : out_(out), width_(std::clamp(width, narrowestTextLadder, widestTextLadder)) {}

void TextLadder::line(const std::string& text) {
    const std::size_t room = text.size() + 1;
    LineWriter writer(out_.lineSpace(room), static_cast<int>(room));
    writer.text(text);
    out_.endLine(writer.length());
}

void TextLadder::write(const Diagram& diagram) {
    if (!first_) {
        line({});
    }
    first_ = false;
    for (const std::string& header : wrapped(headerOf(diagram), width_)) {
        line(header);
    }
    const Grid grid = gridOf(diagram, width_);
    const DiagramText text(diagram, grid);
    line(text.heads());
    for (const Row& row : diagram.rows()) {
        for (const std::string& each : text.lines(row)) {
            line(each);
        }
    }
}

}  // namespace ambertap::ladder
