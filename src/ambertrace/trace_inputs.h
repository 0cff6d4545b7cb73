// The traces a command reads: each FILE in turn (a saved trace file, hex text
// or bare records; "-" for standard input), or the driver's trace, read once
// and never cleared, when there is no FILE. Each goes to one view.
#pragma once

#include <string>
#include <vector>

#include "device_system.h"
#include "record_views.h"
#include "run_ambertrace.h"

namespace ambertap {

struct InputChoices {
    bool damaged = false;  // show a damaged input all the same, and fail
    bool headers = false;  // "==> FILE <==" before each of several inputs
};

// Returns the exit code: traceExitFailure when an input could not be read
// whole or the output could not be written, else traceExitSuccess.
int viewTraces(const std::vector<std::string>& files, const InputChoices& choices, TraceView& view,
               DeviceSystem& system, const Streams& streams);

// A view that reads each input more than once: after each pass over an
// input it says whether it wants another, which sees the same records.
class PassingView : public TraceView {
  public:
    virtual bool anotherPass() = 0;
};

// As viewTraces, each input read as often as `view` asks; only the first pass
// tells of an input's damage. Standard input is copied to a temporary file
// first, and the driver's trace read once.
int viewTracesInPasses(const std::vector<std::string>& files, const InputChoices& choices,
                       PassingView& view, DeviceSystem& system, const Streams& streams);

}  // namespace ambertap
