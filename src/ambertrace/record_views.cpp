#include "record_views.h"

#include <algorithm>

#include "block_output.h"
#include "byte_reader.h"
#include "protocol_tracker.h"
#include "trace_walker.h"

namespace ambertap {

namespace {

// Ambertap's lines, exactly.
class LinesView final : public TraceView {
  public:
    explicit LinesView(std::FILE* out) : out_(out) {}

    int show(std::span<const std::uint8_t> block, std::uint64_t) override {
        return printTraceRecords(block.data(), block.size(), out_);
    }

  private:
    std::FILE* out_;
};

// The views that show records one by one, with each record's line.
class EachRecordView : public TraceView {
  public:
    int show(std::span<const std::uint8_t> block, std::uint64_t offset) override {
        const ByteView bytes{block.data(), block.data() + block.size()};
        for (ByteView record = bytes; record.size() > 0;) {
            const std::size_t size = recordSize(record);
            char line[traceLineRoom];
            const std::size_t length = formatTraceRecord(record, line, traceLineRoom);
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
    virtual std::FILE* out() const = 0;
    // Returns 0, or the C library's error number of a failed write.
    virtual int showRecord(ByteView record, std::string_view line, std::uint64_t index,
                           std::uint64_t offset) = 0;

    std::uint64_t index_ = 0;
};

// Each line, then its record's bytes, sixteen to a line, indented.
class HexView final : public EachRecordView {
  public:
    explicit HexView(std::FILE* out) : out_(out) {}

  private:
    static constexpr std::size_t bytesPerLine = 16;

    std::FILE* out() const override { return out_; }

    // The line and every hex line of the longest record, with their line ends.
    static constexpr std::size_t recordRoom =
        traceLineRoom + (257 / bytesPerLine + 1) * (3 + 3 * bytesPerLine + 1);

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
    explicit FullView(std::FILE* out) : out_(out) {}

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
        return std::make_unique<FullView>(out);
    }
    if (line.hex) {
        return std::make_unique<HexView>(out);
    }
    return std::make_unique<LinesView>(out);
}

}  // namespace ambertap
