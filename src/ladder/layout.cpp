#include "layout.h"

#include <algorithm>
#include <set>
#include <unordered_map>
#include <utility>

#include "metrics.h"
#include "shown_text.h"

namespace ambertap::ladder {

Box PlacedArrow::box() const {
    return {std::min(x1, x2), y - metrics.arrowHead, std::max(x1, x2) - std::min(x1, x2),
            2 * metrics.arrowHead};
}

int gapBreakTop(const PlacedRow& row) {
    return row.top + metrics.gapBreak;
}

int gapBreakBottom(const PlacedRow& row) {
    return row.top + row.height - metrics.gapBreak;
}

namespace {

int charactersWide(std::size_t characters) {
    return static_cast<int>(characters) * metrics.advance;
}

std::size_t charactersIn(int width) {
    return width > 0 ? static_cast<std::size_t>(width / metrics.advance) : 0;
}

// The rows of one sequence before they are placed: the diagram's own rows,
// or the arrows a band folds.
struct SequenceSource {
    std::vector<const Row*> rows;
    std::vector<const Arrow*> arrows;  // of a band's sequence
    std::size_t size() const { return rows.empty() ? arrows.size() : rows.size(); }
};

// Where a message is drawn: its sequence (0: the diagram's rows, 1 on: the
// bands') and its row there.
struct Place {
    std::size_t sequence = 0;
    std::size_t row = 0;
};

// Rows a bracket spans in one sequence; -1 and the sequence's size stand for
// its top and bottom edges.
struct Span {
    long first = 0;
    long last = 0;
    std::size_t lane = 0;
};

std::string labelOf(const Arrow& arrow) {
    return arrow.parameters.empty() ? arrow.name : arrow.name + ' ' + arrow.parameters;
}

class Layouter {
  public:
    explicit Layouter(const Diagram& diagram) : diagram_(diagram) {}

    Layout run() {
        collectSequences();
        collectPairs();
        assignLanes();
        placeColumns();
        placeLifelines();
        layout_.main = placeSequence(0);
        for (std::size_t band = 0; band < bandRows_.size(); ++band) {
            layout_.bands.push_back(placeSequence(band + 1));
        }
        return std::move(layout_);
    }

  private:
    void collectSequences() {
        sources_.emplace_back();
        const auto& rows = diagram_.rows();
        for (std::size_t row = 0; row < rows.size(); ++row) {
            sources_[0].rows.push_back(&rows[row]);
            if (const auto* arrow = std::get_if<Arrow>(&rows[row])) {
                places_[arrow->record] = {0, row};
                noteCharacters(*arrow);
            } else if (const auto* band = std::get_if<DataBand>(&rows[row])) {
                collectBand(*band, row);
            } else if (const auto* run = std::get_if<NoCallRun>(&rows[row])) {
                recordCharacters_ = std::max(recordCharacters_,
                                             recordsText(run->firstRecord, run->lastRecord).size());
            }
        }
    }

    void collectBand(const DataBand& band, std::size_t row) {
        const std::size_t sequence = sources_.size();
        bandRows_.push_back(row);
        bandRanges_.push_back({band.firstRecord, band.lastRecord});
        SequenceSource source;
        for (std::size_t folded = 0; folded < band.arrows.size(); ++folded) {
            source.arrows.push_back(&band.arrows[folded]);
            places_[band.arrows[folded].record] = {sequence, folded};
            noteCharacters(band.arrows[folded]);
        }
        sources_.push_back(std::move(source));
        recordCharacters_ =
            std::max(recordCharacters_, recordsText(band.firstRecord, band.lastRecord).size());
    }

    void noteCharacters(const Arrow& arrow) {
        recordCharacters_ = std::max(recordCharacters_, decimal(arrow.record).size());
        timeCharacters_ =
            std::max(timeCharacters_, std::min(arrow.time.size(), mostTimeCharacters));
    }

    // The row of the diagram's own rows where a sequence's row shows.
    std::size_t mainRowOf(const Place& place) const {
        return place.sequence == 0 ? place.row : bandRows_[place.sequence - 1];
    }

    // A message that a band folds but does not keep shows as its band.
    std::optional<Place> placeOf(std::uint64_t record) const {
        if (const auto found = places_.find(record); found != places_.end()) {
            return found->second;
        }
        for (std::size_t band = 0; band < bandRanges_.size(); ++band) {
            if (record >= bandRanges_[band].first && record <= bandRanges_[band].second) {
                return Place{band + 1, sources_[band + 1].size()};
            }
        }
        return std::nullopt;
    }

    void collectPairs() {
        spans_.resize(sources_.size());
        std::set<std::pair<std::uint64_t, std::uint64_t>> joined;
        for (const auto& [record, place] : places_) {
            const Arrow& arrow = arrowAt(place);
            if (arrow.partner == 0) {
                continue;
            }
            const auto pair = std::minmax(record, arrow.partner);
            if (!joined.insert(pair).second) {
                continue;
            }
            if (const auto partner = placeOf(arrow.partner)) {
                join(place, *partner);
            }
        }
        for (auto& spans : spans_) {
            std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) {
                return a.first != b.first ? a.first < b.first : a.last < b.last;
            });
        }
    }

    const Arrow& arrowAt(const Place& place) const {
        if (place.sequence == 0) {
            return std::get<Arrow>(*sources_[0].rows[place.row]);
        }
        return *sources_[place.sequence].arrows[place.row];
    }

    void join(const Place& a, const Place& b) {
        if (a.sequence == b.sequence) {
            addSpan(a.sequence, static_cast<long>(a.row), static_cast<long>(b.row));
            return;
        }
        const std::size_t mainA = mainRowOf(a);
        const std::size_t mainB = mainRowOf(b);
        if (mainA != mainB) {
            addSpan(0, static_cast<long>(mainA), static_cast<long>(mainB));
        }
        joinToEdge(a, mainB);
        joinToEdge(b, mainA);
    }

    // A band's row whose partner lies outside the band: a bracket to the
    // band's top or bottom edge, as the partner comes before it or after.
    void joinToEdge(const Place& end, std::size_t partnerMainRow) {
        if (end.sequence == 0 || end.row >= sources_[end.sequence].size()) {
            return;
        }
        const long edge = partnerMainRow < bandRows_[end.sequence - 1]
                              ? -1
                              : static_cast<long>(sources_[end.sequence].size());
        addSpan(end.sequence, static_cast<long>(end.row), edge);
    }

    void addSpan(std::size_t sequence, long a, long b) {
        spans_[sequence].push_back({std::min(a, b), std::max(a, b), 0});
    }

    void assignLanes() {
        for (auto& spans : spans_) {
            std::vector<long> laneEnds;
            for (Span& span : spans) {
                const auto free = std::find_if(laneEnds.begin(), laneEnds.end(),
                                               [&](long end) { return end < span.first; });
                span.lane = static_cast<std::size_t>(free - laneEnds.begin());
                if (free == laneEnds.end()) {
                    laneEnds.push_back(span.last);
                } else {
                    *free = span.last;
                }
            }
            lanes_ = std::max(lanes_, laneEnds.size());
        }
        const std::size_t mostLanes =
            static_cast<std::size_t>(metrics.lanesMostWidth / metrics.laneLeast);
        shownLanes_ = std::min(lanes_, mostLanes);
        laneWidth_ = shownLanes_ == 0
                         ? 0
                         : std::clamp(metrics.lanesMostWidth / static_cast<int>(shownLanes_),
                                      metrics.laneLeast, metrics.laneWidth);
    }

    void placeColumns() {
        layout_.width = metrics.width;
        recordRight_ = metrics.margin + charactersWide(recordCharacters_);
        int right = recordRight_;
        if (timeCharacters_ > 0) {
            timeLeft_ = right + metrics.columnGap;
            right = timeLeft_ + charactersWide(timeCharacters_);
        }
        lanesLeft_ = right + metrics.columnGap;
        lanesRight_ = lanesLeft_ + static_cast<int>(shownLanes_) * laneWidth_;
        areaLeft_ = lanesRight_ + metrics.columnGap;
        areaRight_ = metrics.width - metrics.margin;
    }

    void placeLifelines() {
        const std::size_t count = lifelineCount(diagram_);
        const std::vector<std::size_t> order = lifelineOrder(diagram_);
        int widest = 0;
        for (std::size_t lifeline = 0; lifeline < count; ++lifeline) {
            const std::string name = lifelineName(diagram_, lifeline, std::string::npos);
            widest = std::max(widest, charactersWide(name.size()) + 2 * metrics.headPadding);
        }
        const int area = areaRight_ - areaLeft_;
        const int slots = static_cast<int>(count);
        const int half = (std::min(widest, area / slots) + 1) / 2;
        const int spacing = slots > 1 ? (area - 2 * half) / (slots - 1) : 0;
        const int headWidest =
            slots > 1 ? std::min(2 * half, spacing - metrics.columnGap) : 2 * half;

        layout_.lifelineX.assign(count, 0);
        layout_.heads.assign(count, {});
        layout_.headHeight = metrics.headHeight;
        for (std::size_t position = 0; position < count; ++position) {
            const std::size_t lifeline = order[position];
            const int x = areaLeft_ + half + static_cast<int>(position) * spacing;
            layout_.lifelineX[lifeline] = x;
            const std::string name = lifelineName(
                diagram_, lifeline, charactersIn(headWidest - 2 * metrics.headPadding));
            const int width = charactersWide(name.size()) + 2 * metrics.headPadding;
            const int boxTop = (metrics.headHeight - metrics.lineHeight() - 4) / 2;
            layout_.heads[lifeline] = {x - width / 2, boxTop, width, metrics.lineHeight() + 4};
            PlacedText text;
            text.text = name;
            text.role = TextRole::head;
            text.box = {x - width / 2 + metrics.headPadding, boxTop + 2,
                        charactersWide(name.size()), metrics.lineHeight()};
            text.baseline = text.box.y + metrics.ascent;
            layout_.headTexts.push_back(std::move(text));
        }
    }

    Sequence placeSequence(std::size_t sequence) {
        Sequence placed;
        const SequenceSource& source = sources_[sequence];
        int top = 0;
        for (std::size_t row = 0; row < source.size(); ++row) {
            PlacedRow placedRow = source.rows.empty() ? placeArrow(*source.arrows[row], top)
                                                      : placeRow(*source.rows[row], top);
            top += placedRow.height;
            placed.rows.push_back(std::move(placedRow));
        }
        placed.height = top;
        cutIntoChunks(placed);
        placeBrackets(sequence, placed);
        return placed;
    }

    PlacedRow placeRow(const Row& row, int top) {
        if (const auto* arrow = std::get_if<Arrow>(&row)) {
            return placeArrow(*arrow, top);
        }
        if (const auto* band = std::get_if<DataBand>(&row)) {
            return placeBand(*band, top);
        }
        if (const auto* run = std::get_if<NoCallRun>(&row)) {
            return placeRun(*run, top);
        }
        return placeGap(std::get<Gap>(row), top);
    }

    // The label's line of a row between an application and CAPI: where it
    // starts and how many characters it holds.
    struct LabelRoom {
        int left = 0;
        std::size_t characters = 0;
    };

    LabelRoom labelRoom(std::uint16_t applId) const {
        const int application = layout_.lifelineX[lifelineOf(diagram_, applId)];
        const int capi = layout_.lifelineX[0];
        const int left = std::min(application, capi) + metrics.labelInset;
        const int right = std::max(application, capi) - metrics.labelInset;
        return {left, charactersIn(right - left)};
    }

    PlacedText textAt(int left, int lineTop, std::string text, TextRole role,
                      std::optional<Severity> severity = std::nullopt) const {
        PlacedText placed;
        placed.box = {left, lineTop, charactersWide(text.size()), metrics.lineHeight()};
        placed.baseline = lineTop + metrics.ascent;
        placed.text = std::move(text);
        placed.role = role;
        placed.severity = severity;
        return placed;
    }

    void placeRecordAndTime(PlacedRow& row, const std::string& record, const std::string& time) {
        const int lineTop = row.top + metrics.labelTop;
        std::string shown = fitted(record, recordCharacters_);
        const int left = recordRight_ - charactersWide(shown.size());
        row.texts.push_back(textAt(left, lineTop, std::move(shown), TextRole::record));
        if (!time.empty()) {
            row.texts.push_back(
                textAt(timeLeft_, lineTop, fitted(time, timeCharacters_), TextRole::time));
        }
    }

    PlacedArrow arrowLine(std::uint16_t applId, bool put, int top) const {
        const int application = layout_.lifelineX[lifelineOf(diagram_, applId)];
        const int capi = layout_.lifelineX[0];
        PlacedArrow line;
        line.x1 = put ? application : capi;
        line.x2 = put ? capi : application;
        line.y = top + metrics.arrowY;
        return line;
    }

    PlacedRow placeArrow(const Arrow& arrow, int top) {
        PlacedRow row;
        row.kind = RowKind::arrow;
        row.arrow = &arrow;
        row.top = top;
        placeRecordAndTime(row, decimal(arrow.record), arrow.time);
        const std::optional<Severity> severity =
            arrow.marks.empty() ? std::nullopt : std::optional(mostSevere(arrow.marks));
        const LabelRoom room = labelRoom(arrow.applId);
        row.texts.push_back(textAt(room.left, top + metrics.labelTop,
                                   fitted(labelOf(arrow), room.characters), TextRole::label,
                                   severity));
        row.line = arrowLine(arrow.applId, arrow.put, top);
        row.line->severity = severity;
        int lineTop = top + metrics.arrowRow;
        const std::size_t width = charactersIn(areaRight_ - areaLeft_);
        for (const Mark& mark : arrow.marks) {
            const std::string text = std::string(styleOf(mark.severity).word) + ": " + mark.text;
            for (std::string& line : wrapped(text, width)) {
                row.texts.push_back(
                    textAt(areaLeft_, lineTop, std::move(line), TextRole::mark, mark.severity));
                lineTop += metrics.lineHeight();
            }
        }
        row.height = lineTop - top + (arrow.marks.empty() ? 0 : metrics.markRowEnd);
        return row;
    }

    static Severity mostSevere(const std::vector<Mark>& marks) {
        Severity most = marks.front().severity;
        for (const Mark& mark : marks) {
            most = std::min(most, mark.severity);
        }
        return most;
    }

    PlacedRow placeBand(const DataBand& band, int top) {
        PlacedRow row;
        row.kind = RowKind::band;
        row.band = bandIndex_++;
        row.top = top;
        row.height = metrics.arrowRow;
        placeRecordAndTime(row, recordsText(band.firstRecord, band.lastRecord), {});
        const LabelRoom room = labelRoom(band.applId);
        const std::size_t toggle = static_cast<std::size_t>(metrics.toggleChars);
        const int lineTop = top + metrics.labelTop;
        if (room.characters > toggle) {
            row.texts.push_back(textAt(room.left, lineTop, "[+]", TextRole::toggle));
            row.texts.push_back(textAt(room.left + charactersWide(toggle), lineTop,
                                       fitted(bandText(band), room.characters - toggle),
                                       TextRole::band));
        } else {
            row.texts.push_back(
                textAt(room.left, lineTop, fitted("[+]", room.characters), TextRole::toggle));
        }
        row.line = arrowLine(band.applId, true, top);
        row.line->band = true;
        return row;
    }

    PlacedRow placeRun(const NoCallRun& run, int top) {
        PlacedRow row;
        row.kind = RowKind::run;
        row.top = top;
        row.height = metrics.runRow;
        placeRecordAndTime(row, recordsText(run.firstRecord, run.lastRecord), {});
        const LabelRoom room = labelRoom(run.applId);
        row.texts.push_back(textAt(room.left, top + metrics.labelTop,
                                   fitted(runText(run), room.characters), TextRole::run));
        return row;
    }

    PlacedRow placeGap(const Gap& gap, int top) {
        PlacedRow row;
        row.kind = RowKind::gap;
        row.top = top;
        row.height = metrics.gapRow;
        const int lineTop = top + (metrics.gapRow - metrics.lineHeight()) / 2;
        const std::size_t width = charactersIn(areaRight_ - areaLeft_);
        const std::size_t inset = width > 2 ? 1 : 0;
        row.texts.push_back(textAt(areaLeft_ + charactersWide(inset), lineTop,
                                   fitted(gapText(gap), width - 2 * inset), TextRole::gap));
        return row;
    }

    static void cutIntoChunks(Sequence& sequence) {
        for (std::size_t row = 0; row < sequence.rows.size(); ++row) {
            const PlacedRow& placed = sequence.rows[row];
            if (sequence.chunks.empty() ||
                sequence.chunks.back().height + placed.height > metrics.chunkHeight) {
                sequence.chunks.push_back({row, row, placed.top, 0});
            }
            Chunk& chunk = sequence.chunks.back();
            chunk.endRow = row + 1;
            chunk.height += placed.height;
        }
    }

    void placeBrackets(std::size_t sequence, Sequence& placed) {
        const long rows = static_cast<long>(placed.rows.size());
        const auto yOf = [&](long row) {
            if (row < 0) {
                return 0;
            }
            if (row >= rows) {
                return placed.height;
            }
            return placed.rows[static_cast<std::size_t>(row)].line->y;
        };
        for (const Span& span : spans_[sequence]) {
            if (span.lane >= shownLanes_) {
                ++layout_.pairsWithoutBracket;
                continue;
            }
            Bracket bracket;
            bracket.x = lanesLeft_ + static_cast<int>(span.lane) * laneWidth_ + laneWidth_ / 2;
            bracket.top = yOf(span.first);
            bracket.bottom = yOf(span.last);
            bracket.dotTop = span.first >= 0;
            bracket.dotBottom = span.last < rows;
            bracket.tickEnd = lanesRight_;
            placed.brackets.push_back(bracket);
        }
    }

    const Diagram& diagram_;
    Layout layout_;
    std::vector<SequenceSource> sources_;
    std::vector<std::size_t> bandRows_;
    std::vector<std::pair<std::uint64_t, std::uint64_t>> bandRanges_;
    std::unordered_map<std::uint64_t, Place> places_;
    std::vector<std::vector<Span>> spans_;
    std::size_t recordCharacters_ = 1;
    std::size_t timeCharacters_ = 0;
    std::size_t lanes_ = 0;
    std::size_t shownLanes_ = 0;
    int laneWidth_ = 0;
    int recordRight_ = 0;
    int timeLeft_ = 0;
    int lanesLeft_ = 0;
    int lanesRight_ = 0;
    int areaLeft_ = 0;
    int areaRight_ = 0;
    std::size_t bandIndex_ = 0;
};

}  // namespace

std::vector<std::size_t> lifelineOrder(const Diagram& diagram) {
    const std::size_t applications = lifelineCount(diagram) - 1;
    const std::size_t leftOfCapi = (applications + 1) / 2;
    std::vector<std::size_t> order;
    for (std::size_t application = 1; application <= applications; ++application) {
        order.push_back(application);
        if (application == leftOfCapi) {
            order.push_back(0);
        }
    }
    if (order.size() == applications) {
        order.push_back(0);
    }
    return order;
}

Layout layOut(const Diagram& diagram) {
    return Layouter(diagram).run();
}

}  // namespace ambertap::ladder
