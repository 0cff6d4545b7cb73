#include "call_commands.h"

#include "call_views.h"

namespace ambertap {

namespace {

// A view's error; one of the scratch file of what waits is told first, as
// the pipeline then tells only that the output stopped.
template <typename Writer>
int told(int error, const Writer& writer, std::FILE* err) {
    if (error != 0 && writer.heldError() != 0) {
        std::fprintf(err, "ambertrace: what waits to be written in order: %s\n",
                     writer.heldFailure().c_str());
    }
    return error;
}

class CallsView final : public RecordSink {
  public:
    CallsView(std::FILE* out, std::FILE* err, CallsFormat format)
        : out_(out), err_(err), format_(format) {}

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
        return told(writer_->heldError(), *writer_, err_);
    }

    int gap(const CaptureGap& gap) override {
        model_->addGap(gap);
        return 0;
    }

    // What the trace's calls took is given back once they are written.
    int endTrace() override {
        model_->finish();
        const int error = told(writer_->finish(*model_), *writer_, err_);
        model_.reset();
        writer_.reset();
        return error;
    }

  private:
    std::FILE* out_;
    std::FILE* err_;
    CallsFormat format_;
    std::unique_ptr<CallsWriter> writer_;
    std::unique_ptr<CallModel> model_;
};

// The name that findings give a trace, as compilers name their inputs.
std::string findingName(const char* name) {
    return std::string_view(name) == "-" ? "<stdin>" : name;
}

}  // namespace

std::unique_ptr<RecordSink> makeCallsView(const CommandLine& line, std::FILE* out, std::FILE* err) {
    return std::make_unique<CallsView>(out, err, line.json ? CallsFormat::json : CallsFormat::text);
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
    return told(writer_->heldError(), *writer_, err_);
}

int CheckView::gap(const CaptureGap& gap) {
    model_->addGap(gap);
    return 0;
}

int CheckView::endTrace() {
    model_->finish();
    const int error = told(writer_->finish(), *writer_, err_);
    counts_ += writer_->counts();
    model_.reset();
    writer_.reset();
    return error;
}

}  // namespace ambertap
