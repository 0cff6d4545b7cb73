#include "ladder_commands.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "file_system.h"
#include "ladder_builder.h"
#include "record_pipeline.h"
#include "text_ladder.h"
#include "trace_inputs.h"

namespace ambertap {

namespace {

constexpr std::size_t widthOffTerminal = 100;

// Feeds each pass's records to a ladder builder of its input, and its
// diagrams to `out`.
class LadderView : public RecordSink, public InputPasses {
  public:
    explicit LadderView(DiagramOutput& out) : out_(out) {}

    RecordNeeds needs() const override { return {true, true}; }

    int beginTrace(const TraceSource& trace) override {
        if (!again_) {
            ++input_;
            builder_ = std::make_unique<LadderBuilder>(input_);
            if (const int error = beginInput(trace, *builder_); error != 0) {
                return error;
            }
        }
        again_ = false;
        builder_->beginPass(out_, trace.capture);
        return 0;
    }

    int record(const TracedRecord& record) override {
        builder_->record(record);
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
    DiagramOutput& out_;
    std::unique_ptr<LadderBuilder> builder_;
    std::size_t input_ = 0;
    bool again_ = false;
};

// The text ladders of each input, after "==> FILE <==" where there are several.
class TextLadderView final : public LadderView, private DiagramOutput {
  public:
    TextLadderView(const CommandLine& line, std::FILE* out)
        : LadderView(static_cast<DiagramOutput&>(*this)), out_(out), width_(ladderWidth(line, out)) {}

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
    const RecordFilter filter{static_cast<std::uint16_t>(line.appl),
                              static_cast<std::uint8_t>(line.controller)};
    RecordPipeline pipeline({&view}, filter, line.maskNumbers);
    return viewTracesInPasses(line.files, InputChoices{line.damaged, false}, pipeline, view, system,
                              streams);
}

}  // namespace ambertap
