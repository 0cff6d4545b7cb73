#include "call_commands.h"

#include "call_views.h"

namespace ambertap {

namespace {

class CallsView final : public RecordSink {
  public:
    CallsView(std::FILE* out, CallsFormat format) : out_(out), format_(format) {}

    RecordNeeds needs() const override { return {false, true}; }

    int beginTrace(const TraceSource& trace) override {
        model_ = std::make_unique<CallModel>();
        file_ = trace.oneOfSeveral ? std::string(trace.name) : std::string();
        return 0;
    }

    int record(const TracedRecord& record) override {
        model_->add(record);
        return 0;
    }

    int endTrace() override {
        model_->finish();
        const int error =
            writeCalls(*model_, format_, file_.empty() ? nullptr : file_.c_str(), out_);
        model_.reset();
        return error;
    }

  private:
    std::FILE* out_;
    CallsFormat format_;
    std::string file_;
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
    model_ = std::make_unique<CallModel>();
    name_ = findingName(trace.name);
    return 0;
}

int CheckView::record(const TracedRecord& record) {
    model_->add(record);
    return 0;
}

int CheckView::endTrace() {
    model_->finish();
    int error = 0;
    const CheckCounts counts = writeFindings(*model_, name_.c_str(), out_, error);
    counts_.errors += counts.errors;
    counts_.warnings += counts.warnings;
    counts_.notes += counts.notes;
    model_.reset();
    return error;
}

}  // namespace ambertap
