// The views of `calls` and `check`: each trace's records go into a call model,
// whose views write what it hands out.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "call_model.h"
#include "call_views.h"
#include "command_line.h"
#include "record_sink.h"

namespace ambertap {

// Every call of each trace, in text or as JSON Lines; `err` tells what went
// wrong with the scratch file of what waits to be written.
std::unique_ptr<RecordSink> makeCallsView(const CommandLine& line, std::FILE* out,
                                          std::FILE* err = stderr);

// The findings of each trace, one a line, counted over all of them; `err`
// tells what went wrong with the scratch file of what waits to be written.
class CheckView final : public RecordSink {
  public:
    CheckView(std::FILE* out, CheckFormat format, std::FILE* err = stderr)
        : out_(out), err_(err), format_(format) {}

    RecordNeeds needs() const override { return {false, true}; }
    int beginTrace(const TraceSource& trace) override;
    int record(const TracedRecord& record) override;
    int gap(const CaptureGap& gap) override;
    int endTrace() override;

    const CheckCounts& counts() const { return counts_; }

  private:
    std::FILE* out_;
    std::FILE* err_;
    CheckFormat format_;
    std::unique_ptr<FindingsWriter> writer_;
    std::unique_ptr<CallModel> model_;
    CheckCounts counts_;
};

}  // namespace ambertap
