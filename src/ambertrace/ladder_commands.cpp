#include "ladder_commands.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "byte_reader.h"
#include "file_system.h"
#include "ladder_builder.h"
#include "text_ladder.h"
#include "trace_inputs.h"
#include "trace_walker.h"

namespace ambertap {

namespace {

constexpr std::size_t widthOffTerminal = 100;

// Feeds each pass's records to a ladder builder of its input, and its
// diagrams to `out`.
class LadderView : public PassingView {
  public:
    LadderView(bool maskNumbers, DiagramOutput& out) : maskNumbers_(maskNumbers), out_(out) {}

    int beginTrace(const TraceSource& trace) override {
        if (!again_) {
            ++input_;
            builder_ = std::make_unique<LadderBuilder>(input_, maskNumbers_);
            const int error = beginInput(trace, *builder_);
            if (error != 0) {
                return error;
            }
        }
        again_ = false;
        index_ = 0;
        builder_->beginPass(out_);
        return 0;
    }

    void seenAt(std::int64_t seenAt, TimePrecision precision) override {
        seenAt_ = seenAt;
        precision_ = precision;
    }

    int show(std::span<const std::uint8_t> block, std::uint64_t) override {
        const std::uint8_t* const end = block.data() + block.size();
        for (ByteView record{block.data(), end}; record.size() > 0;) {
            builder_->record({++index_, record, seenAt_, precision_});
            record.begin += recordSize(record);
        }
        return 0;
    }

    int gap(const CaptureGap& gap) override {
        builder_->gap(gap);
        return 0;
    }

    int endTrace() override {
        again_ = builder_->endPass();
        return again_ ? 0 : endInput(*builder_);
    }

    bool anotherPass() override { return again_; }

  protected:
    // What the view does once an input's first pass begins, and once its
    // last has ended. Each returns 0, or the C library's error number of a
    // failed write.
    virtual int beginInput(const TraceSource& trace, const LadderBuilder& builder) = 0;
    virtual int endInput(const LadderBuilder& builder) = 0;

  private:
    bool maskNumbers_;
    DiagramOutput& out_;
    std::unique_ptr<LadderBuilder> builder_;
    std::size_t input_ = 0;
    bool again_ = false;
    std::uint64_t index_ = 0;
    std::int64_t seenAt_ = 0;
    TimePrecision precision_ = TimePrecision::none;
};

// The text ladders of each input, after "==> FILE <==" where there are several.
class TextLadderView final : public LadderView, private DiagramOutput {
  public:
    TextLadderView(const CommandLine& line, std::FILE* out)
        : LadderView(line.maskNumbers, *this), out_(out), width_(ladderWidth(line, out)) {}

  private:
    void diagram(const ladder::Diagram& diagram) override { ladder_->write(diagram); }

    int beginInput(const TraceSource& trace, const LadderBuilder&) override {
        if (trace.oneOfSeveral) {
            const std::string name =
                std::strcmp(trace.name, "-") == 0 ? "standard input" : trace.name;
            const std::string header = (first_ ? "==> " : "\n==> ") + name + " <==\n";
            if (const int error = writeBytes(out_, header.data(), header.size()); error != 0) {
                return error;
            }
        }
        first_ = false;
        ladder_ = std::make_unique<ladder::TextLadder>(out_, width_);
        return 0;
    }

    int endInput(const LadderBuilder&) override {
        const int error = ladder_->finish();
        ladder_.reset();
        return error;
    }

    std::FILE* out_;
    std::size_t width_;
    bool first_ = true;
    std::unique_ptr<ladder::TextLadder> ladder_;
};

}  // namespace

std::size_t ladderWidth(const CommandLine& line, std::FILE* out) {
    if (line.width != 0) {
        return static_cast<std::size_t>(line.width);
    }
    const std::size_t columns = isTerminal(out) ? terminalColumns(out) : 0;
    if (columns == 0) {
        return widthOffTerminal;
    }
    return std::clamp<std::size_t>(columns - 1, ladder::narrowestTextLadder,
                                   ladder::widestTextLadder);
}

int ladderTraces(const CommandLine& line, DeviceSystem& system, const Streams& streams) {
    TextLadderView view(line, streams.out);
    return viewTracesInPasses(line.files, InputChoices{line.damaged, false}, view, system, streams);
}

}  // namespace ambertap
