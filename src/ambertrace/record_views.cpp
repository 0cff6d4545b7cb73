#include "record_views.h"

#include <algorithm>
#include <cstring>

#include "block_output.h"
#include "line_writer.h"
#include "message_views.h"
#include "record_output.h"
#include "trace_walker.h"

namespace ambertap {

namespace {

// 0, or the error of the write that failed the output.
int failureOf(BlockOutput& output) {
    return output.failed() ? output.writeOut() : 0;
}

// The views write whole lines into a block that goes out as it fills, and
// whatever is left once the pipeline has handed all it has for now.
template <typename Output>
class BlockView : public RecordSink {
  public:
    explicit BlockView(std::FILE* out) : output_(out) {}

    int flush() override { return output_.finish(); }
    int endTrace() override { return output_.finish(); }

  protected:
    Output output_;
};

// Ambertap's lines, exactly.
class LinesView final : public BlockView<FixedBlockOutput<16 * 1024>> {
  public:
    using BlockView::BlockView;

    RecordNeeds needs() const override { return {true, false}; }

    int record(const TracedRecord& record) override {
        char* const at = output_.lineSpace(traceLineRoom);
        std::memcpy(at, record.line.data(), record.line.size());
        output_.endLine(record.line.size());
        return failureOf(output_);
    }
};

// Each line, then its record's bytes, sixteen to a line, indented.
class HexView final : public BlockView<FixedBlockOutput<16 * 1024>> {
  public:
    using BlockView::BlockView;

    RecordNeeds needs() const override { return {true, false}; }

    int record(const TracedRecord& record) override {
        LineWriter lines(output_.lineSpace(recordRoom), recordRoom);
        lines.text(record.line);
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
        traceLineRoom + (257 / bytesPerLine + 1) * (3 + 3 * bytesPerLine + 1);
};

// Each line, then every parameter of its message, named.
class FullView final : public BlockView<RecordOutput> {
  public:
    using BlockView::BlockView;

    RecordNeeds needs() const override { return {true, true}; }

    int record(const TracedRecord& record) override {
        writeFullRecord(record, output_);
        return failureOf(output_);
    }
};

// One JSON object a record, after one for a saved trace file's own facts.
class JsonView final : public BlockView<RecordOutput> {
  public:
    using BlockView::BlockView;

    RecordNeeds needs() const override { return {true, true}; }

    int beginTrace(const TraceSource& trace) override {
        file_ = trace.oneOfSeveral ? trace.name : nullptr;
        if (trace.facts != nullptr) {
            writeJsonTrace(*trace.facts, file_, output_);
        }
        return failureOf(output_);
    }

    int record(const TracedRecord& record) override {
        writeJsonRecord(record, file_, output_);
        return failureOf(output_);
    }

  private:
    const char* file_ = nullptr;
};

}  // namespace

std::unique_ptr<RecordSink> makeShowView(const CommandLine& line, std::FILE* out) {
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
