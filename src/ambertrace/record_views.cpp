#include "record_views.h"

#include <algorithm>
#include <cstring>

#include "block_output.h"
#include "line_writer.h"
#include "message_views.h"
#include "record_output.h"
#include "trace_walker.h"
#include "utc_time.h"

namespace ambertap {

namespace {

// The time column of `show --time`, and the space after it.
constexpr std::size_t timeColumn = utcTimeWidth + 1;
// The longest gap line: its words, two times and a count of reads.
constexpr std::size_t gapLineRoom = 256;

std::int64_t readsApart(const CaptureGap& gap) {
    return std::int64_t{gap.readAfter} - std::int64_t{gap.readBefore};
}

// "-- gap (certain) 2026-12-10 14:03:07.215 to 2026-12-10 14:03:07.315, 1 read
// apart: " and what the kind means, on a line of its own.
template <typename Output>
void writeGapLine(const CaptureGap& gap, Output& output) {
    LineWriter line(output.lineSpace(gapLineRoom), gapLineRoom);
    const GapKindText* kind = gapKindText(gap.kind);
    line.text("-- gap (");
    if (kind != nullptr) {
        line.text(kind->word);
    } else {
        line.text("kind ");
        line.decimal(gap.kind);
    }
    line.text(") ");
    writeUtcTime(gap.from, TimePrecision::milliseconds, line);
    line.text(" to ");
    writeUtcTime(gap.to, TimePrecision::milliseconds, line);
    const std::int64_t apart = readsApart(gap);
    line.text(", ");
    line.decimal(apart);
    line.text(apart == 1 ? " read apart" : " reads apart");
    if (kind != nullptr) {
        line.text(": ");
        line.text(kind->meaning);
    }
    output.endLine(line.length());
}

// {"type":"gap","kind":"certain","from":"2026-12-10 14:03:07.215","to":...,
// "readsApart":1}, with the kind's number for a kind this program does not know.
void writeJsonGap(const CaptureGap& gap, const char* file, RecordOutput& output) {
    LineWriter text(output.lineSpace(gapLineRoom), gapLineRoom);
    JsonLine json(text);
    json.beginObject();
    json.key("type");
    json.string(std::string_view("gap"));
    if (file != nullptr) {
        json.key("file");
        json.string(std::string_view(file));
    }
    json.key("kind");
    if (const GapKindText* kind = gapKindText(gap.kind)) {
        json.string(std::string_view(kind->word));
    } else {
        json.number(gap.kind);
    }
    json.key("from");
    writeSeenAt(gap.from, TimePrecision::milliseconds, json);
    json.key("to");
    writeSeenAt(gap.to, TimePrecision::milliseconds, json);
    json.key("readsApart");
    json.number(readsApart(gap));
    json.endObject();
    output.endLine(text.length());
}

// 0, or the error of the write that failed the output.
template <typename Output>
int failureOf(Output& output) {
    return output.failed() ? output.writeOut() : 0;
}

// The views write whole lines into a block that goes out as it fills, and
// whatever is left once the pipeline has handed all it has for now; a gap
// goes out at once, on a line of its own.
template <typename Output>
class BlockView : public RecordSink {
  public:
    BlockView(std::FILE* out, bool timed) : output_(out), timed_(timed) {}

    int gap(const CaptureGap& gap) override {
        writeGapLine(gap, output_);
        return output_.finish();
    }
    int flush() override { return output_.finish(); }
    int endTrace() override { return output_.finish(); }

  protected:
    // The record's line as the view shows it: with `--time`, after the time
    // the record was first seen.
    std::string_view shownLine(const TracedRecord& record) {
        if (!timed_) {
            return record.line;
        }
        LineWriter line(timedLine_, sizeof timedLine_);
        writeUtcTime(record.seenAt, record.precision, line);
        line.append(' ', record.line);
        return {timedLine_, line.length()};
    }

    Output output_;

  private:
    bool timed_;
    char timedLine_[timeColumn + traceLineRoom];
};

using LinesOutput = FixedBlockOutput<16 * 1024>;

// Ambertap's lines, exactly, each after its time with `--time`.
class LinesView final : public BlockView<LinesOutput> {
  public:
    using BlockView::BlockView;

    RecordNeeds needs() const override { return {true, false}; }

    int record(const TracedRecord& record) override {
        const std::string_view line = shownLine(record);
        std::memcpy(output_.lineSpace(line.size() + 1), line.data(), line.size());
        output_.endLine(line.size());
        return failureOf(output_);
    }
};

// Each line, then its record's bytes, sixteen to a line, indented.
class HexView final : public BlockView<LinesOutput> {
  public:
    using BlockView::BlockView;

    RecordNeeds needs() const override { return {true, false}; }

    int record(const TracedRecord& record) override {
        LineWriter lines(output_.lineSpace(recordRoom), recordRoom);
        lines.text(shownLine(record));
        const ByteView bytes = record.bytes;
        for (const std::uint8_t* at = bytes.begin; at < bytes.end; at += bytesPerLine) {
            const std::size_t count =
                std::min(bytesPerLine, static_cast<std::size_t>(bytes.end - at));
            lines.append("\n   ", SpacedHexBytes{{at, count}});
        }
        output_.endLine(lines.length());
        return failureOf(output_);
    }

  private:
    static constexpr std::size_t bytesPerLine = 16;
    // The line and every hex line of the longest record, with their line ends.
    static constexpr std::size_t recordRoom =
        timeColumn + traceLineRoom + (257 / bytesPerLine + 1) * (3 + 3 * bytesPerLine + 1);
};

// Each line, then every parameter of its message, named.
class FullView final : public BlockView<RecordOutput> {
  public:
    using BlockView::BlockView;

    RecordNeeds needs() const override { return {true, true}; }

    int record(const TracedRecord& record) override {
        writeFullRecord(record, shownLine(record), output_);
        return failureOf(output_);
    }
};

// One JSON object a record, after one for a saved trace file's own facts,
// and one a gap of a capture.
class JsonView final : public BlockView<RecordOutput> {
  public:
    explicit JsonView(std::FILE* out) : BlockView(out, false) {}

    RecordNeeds needs() const override { return {true, true}; }

    int beginTrace(const TraceSource& trace) override {
        place_ = {trace.oneOfSeveral ? trace.name : nullptr, trace.capture};
        if (trace.facts != nullptr) {
            writeJsonTrace(*trace.facts, place_.file, output_);
        }
        return failureOf(output_);
    }

    int record(const TracedRecord& record) override {
        writeJsonRecord(record, place_, output_);
        return failureOf(output_);
    }

    int gap(const CaptureGap& gap) override {
        writeJsonGap(gap, place_.file, output_);
        return output_.finish();
    }

  private:
    JsonRecordPlace place_;
};

}  // namespace

std::unique_ptr<RecordSink> makeShowView(const CommandLine& line, std::FILE* out) {
    if (line.json) {
        return std::make_unique<JsonView>(out);
    }
    if (line.full) {
        return std::make_unique<FullView>(out, line.time);
    }
    if (line.hex) {
        return std::make_unique<HexView>(out, line.time);
    }
    return std::make_unique<LinesView>(out, line.time);
}

}  // namespace ambertap
