#include "record_views.h"

#include <algorithm>

#include "block_output.h"
#include "byte_reader.h"
#include "protocol_tracker.h"
#include "trace_walker.h"

namespace ambertap {

namespace {

// The time column of `show --time`, and the space after it.
constexpr std::size_t timeColumn = utcTimeWidth + 1;
// The longest gap line: its words, two times and a count of reads.
constexpr int gapLineRoom = 256;

// "-- gap (certain) 2026-12-10 14:03:07.215 to 2026-12-10 14:03:07.315, 1 read
// apart: " and what the kind means, on a line of its own.
int writeGapLine(const CaptureGap& gap, std::FILE* out) {
    char text[gapLineRoom];
    LineWriter line(text, gapLineRoom);
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
    const std::int64_t apart = std::int64_t{gap.readAfter} - std::int64_t{gap.readBefore};
    line.text(", ");
    line.decimal(apart);
    line.text(apart == 1 ? " read apart" : " reads apart");
    if (kind != nullptr) {
        line.text(": ");
        line.text(kind->meaning);
    }
    line.character('\n');
    const int error = writeBytes(out, text, line.length());
    return error != 0 ? error : flushStream(out);
}

// Ambertap's lines, exactly.
class LinesView final : public TraceView {
  public:
    explicit LinesView(std::FILE* out) : out_(out) {}

    int show(std::span<const std::uint8_t> block, std::uint64_t) override {
        return printTraceRecords(block.data(), block.size(), out_);
    }
    int gap(const CaptureGap& gap) override { return writeGapLine(gap, out_); }

  private:
    std::FILE* out_;
};

// The views that show records one by one, with each record's line, and with
// `timed` the time it was first seen before it.
class EachRecordView : public TraceView {
  public:
    explicit EachRecordView(bool timed = false) : timed_(timed) {}

    void seenAt(std::int64_t seenAt, TimePrecision precision) override {
        seenAt_ = seenAt;
        precision_ = precision;
    }

    int show(std::span<const std::uint8_t> block, std::uint64_t offset) override {
        const ByteView bytes{block.data(), block.data() + block.size()};
        for (ByteView record = bytes; record.size() > 0;) {
            const std::size_t size = recordSize(record);
            char line[timeColumn + traceLineRoom];
            const std::size_t time = timed_ ? writeTime(line) : 0;
            const std::size_t length = time + formatTraceRecord(record, line + time, traceLineRoom);
            ++index_;
            const std::uint64_t at =
                offset + static_cast<std::uint64_t>(record.begin - bytes.begin);
            if (const int error = showRecord(ByteView{record.begin, record.begin + size},
                                             std::string_view(line, length), index_, at);
                error != 0) {
                return error;
            }
            record.begin += size;
        }
        return flushStream(out());
    }

  protected:
    void restartCount() { index_ = 0; }

  private:
    std::size_t writeTime(char* line) const {
        LineWriter time(line, static_cast<int>(timeColumn + 1));
        writeUtcTime(seenAt_, precision_, time);
        time.character(' ');
        return time.length();
    }

    virtual std::FILE* out() const = 0;
    // Returns 0, or the C library's error number of a failed write.
    virtual int showRecord(ByteView record, std::string_view line, std::uint64_t index,
                           std::uint64_t offset) = 0;

    bool timed_;
    std::int64_t seenAt_ = 0;
    TimePrecision precision_ = TimePrecision::none;
    std::uint64_t index_ = 0;
};

// Ambertap's lines, each after the time its record was first seen.
class TimedLinesView final : public EachRecordView {
  public:
    explicit TimedLinesView(std::FILE* out) : EachRecordView(true), out_(out) {}

    int gap(const CaptureGap& gap) override { return writeGapLine(gap, out_); }

  private:
    std::FILE* out() const override { return out_; }

    // The line, its newline, and the room's terminator.
    int showRecord(ByteView, std::string_view line, std::uint64_t, std::uint64_t) override {
        char text[timeColumn + traceLineRoom + 1];
        LineWriter lines(text, sizeof text);
        lines.append(line, '\n');
        return writeBytes(out_, text, lines.length());
    }

    std::FILE* out_;
};

// Each line, then its record's bytes, sixteen to a line, indented.
class HexView final : public EachRecordView {
  public:
    HexView(std::FILE* out, bool timed) : EachRecordView(timed), out_(out) {}

    int gap(const CaptureGap& gap) override { return writeGapLine(gap, out_); }

  private:
    static constexpr std::size_t bytesPerLine = 16;

    std::FILE* out() const override { return out_; }

    // The line and every hex line of the longest record, with their line ends.
    static constexpr std::size_t recordRoom =
        timeColumn + traceLineRoom + (257 / bytesPerLine + 1) * (3 + 3 * bytesPerLine + 1);

    int showRecord(ByteView record, std::string_view line, std::uint64_t, std::uint64_t) override {
        char text[recordRoom];
        LineWriter lines(text, sizeof text);
        lines.append(line, '\n');
        for (const std::uint8_t* at = record.begin; at < record.end; at += bytesPerLine) {
            const std::size_t count =
                std::min(bytesPerLine, static_cast<std::size_t>(record.end - at));
            lines.append("   ", SpacedHexBytes{{at, count}}, '\n');
        }
        return writeBytes(out_, text, lines.length());
    }

    std::FILE* out_;
};

// Each line, then every parameter of its message, named.
class FullView final : public EachRecordView {
  public:
    FullView(std::FILE* out, bool timed) : EachRecordView(timed), out_(out) {}

    int gap(const CaptureGap& gap) override { return writeGapLine(gap, out_); }

    int beginTrace(const TraceSource&) override {
        restartCount();
        protocols_ = ProtocolTracker{};
        return 0;
    }

  private:
    std::FILE* out() const override { return out_; }

    int showRecord(ByteView record, std::string_view line, std::uint64_t, std::uint64_t) override {
        return writeFullRecord(record, line, protocols_, out_);
    }

    std::FILE* out_;
    ProtocolTracker protocols_;
};

// One JSON object a record, after one for a saved trace file's own facts.
class JsonView final : public EachRecordView {
  public:
    explicit JsonView(std::FILE* out) : out_(out) {}

    int beginTrace(const TraceSource& trace) override {
        restartCount();
        protocols_ = ProtocolTracker{};
        file_ = trace.oneOfSeveral ? trace.name : nullptr;
        return trace.facts != nullptr ? writeJsonTrace(*trace.facts, file_, out_) : 0;
    }

  private:
    std::FILE* out() const override { return out_; }

    int showRecord(ByteView record, std::string_view line, std::uint64_t index,
                   std::uint64_t offset) override {
        return writeJsonRecord(record, index, offset, line, file_, protocols_, out_);
    }

    std::FILE* out_;
    const char* file_ = nullptr;
    ProtocolTracker protocols_;
};

}  // namespace

std::unique_ptr<TraceView> makeShowView(const CommandLine& line, std::FILE* out) {
    if (line.json) {
        return std::make_unique<JsonView>(out);
    }
    if (line.full) {
        return std::make_unique<FullView>(out, line.time);
    }
    if (line.hex) {
        return std::make_unique<HexView>(out, line.time);
    }
    if (line.time) {
        return std::make_unique<TimedLinesView>(out);
    }
    return std::make_unique<LinesView>(out);
}

}  // namespace ambertap
