#include "call_commands.h"

#include "call_views.h"

namespace ambertap {

namespace {

class CallsView final : public RecordSink {
  public:
    CallsView(std::FILE* out, CallsFormat format) : out_(out), format_(format) {}

    RecordNeeds needs() const override { return {false, true}; }

    int beginTrace(const TraceSource& trace) override {
        model_.reset();
        writer_ =
            std::make_unique<CallsWriter>(format_, trace.oneOfSeveral ? trace.name : nullptr, out_);
        model_ = std::make_unique<CallModel>(*writer_);
        return 0;
    }

    int record(const TracedRecord& record) override {
        model_->add(record);
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
};

// The name that findings give a trace, as compilers name their inputs.
std::string findingName(const char* name) {
    return std::string_view(name) == "-" ? "<stdin>" : name;
}

}  // namespace

std::unique_ptr<RecordSink> makeCallsView(const CommandLine& line, std::FILE* out) {
    return std::make_unique<CallsView>(out, line.json ? CallsFormat::json : CallsFormat::text);
}

int CheckView::beginTrace(const TraceSource& trace) {
    model_.reset();
    writer_ = std::make_unique<FindingsWriter>(findingName(trace.name).c_str(), out_, format_,
                                               trace.oneOfSeveral);
    model_ = std::make_unique<CallModel>(*writer_);
    return 0;
}

int CheckView::record(const TracedRecord& record) {
    model_->add(record);
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
