#include "call_commands.h"

#include "byte_reader.h"
#include "trace_walker.h"

namespace ambertap {

namespace {

// Gives each record of a block to `model`, counting the trace's records.
void addRecords(std::span<const std::uint8_t> block, CallModel& model, std::uint64_t& index) {
    const std::uint8_t* const end = block.data() + block.size();
    for (ByteView record{block.data(), end}; record.size() > 0;) {
        model.add(record, ++index);
        record.begin += recordSize(record);
    }
}

class CallsView final : public TraceView {
  public:
    CallsView(std::FILE* out, CallsFormat format) : out_(out), format_(format) {}

    int beginTrace(const TraceSource& trace) override {
        model_.reset();
        writer_ =
            std::make_unique<CallsWriter>(format_, trace.oneOfSeveral ? trace.name : nullptr, out_);
        model_ = std::make_unique<CallModel>(*writer_);
        index_ = 0;
        return 0;
    }

    int show(std::span<const std::uint8_t> block, std::uint64_t) override {
        addRecords(block, *model_, index_);
        return 0;
    }

    int gap(const CaptureGap& gap) override {
        model_->addGap(gap);
        return 0;
    }

    int endTrace() override {
        model_->finish();
        return writer_->finish(*model_);
    }

  private:
    std::FILE* out_;
    CallsFormat format_;
    std::unique_ptr<CallsWriter> writer_;
    std::unique_ptr<CallModel> model_;
    std::uint64_t index_ = 0;
};

// The name that findings give a trace, as compilers name their inputs.
std::string findingName(const char* name) {
    return std::string_view(name) == "-" ? "<stdin>" : name;
}

}  // namespace

std::unique_ptr<TraceView> makeCallsView(const CommandLine& line, std::FILE* out) {
    return std::make_unique<CallsView>(out, line.json ? CallsFormat::json : CallsFormat::text);
}

int CheckView::beginTrace(const TraceSource& trace) {
    model_.reset();
    writer_ = std::make_unique<FindingsWriter>(findingName(trace.name).c_str(), out_, format_,
                                               trace.oneOfSeveral);
    model_ = std::make_unique<CallModel>(*writer_);
    index_ = 0;
    return 0;
}

int CheckView::show(std::span<const std::uint8_t> block, std::uint64_t) {
    addRecords(block, *model_, index_);
    writer_->settle(model_->settledBefore());
    return 0;
}

int CheckView::gap(const CaptureGap& gap) {
    model_->addGap(gap);
    return 0;
}

int CheckView::endTrace() {
    model_->finish();
    const int error = writer_->finish();
    counts_ += writer_->counts();
    return error;
}

}  // namespace ambertap
