// The traces a command reads: each FILE in turn (a saved trace file, hex text
// or bare records; "-" for standard input), or the driver's trace, read once
// and never cleared, when there is no FILE. Each goes down the record pipeline.
#pragma once

#include <string>
#include <vector>

#include "device_system.h"
#include "record_pipeline.h"
#include "run_ambertrace.h"

namespace ambertap {

struct InputChoices {
    bool damaged = false;  // show a damaged input all the same, and fail
    bool headers = false;  // "==> FILE <==" before each of several inputs
};

// Returns the exit code: traceExitFailure when an input could not be read
// whole or the output could not be written, else traceExitSuccess.
int viewTraces(const std::vector<std::string>& files, const InputChoices& choices,
               RecordPipeline& pipeline, DeviceSystem& system, const Streams& streams);

// What reads each input more than once: after each pass over an input it
// says whether it wants another, which sees the same records; once every
// input had its passes, whether it wants another round of them all.
class InputPasses {
  public:
    virtual ~InputPasses() = default;
    // Before the passes over the input of this index (from 0), in each round:
    // whether it is read in this round.
    virtual bool beginInput(std::size_t index) {
        static_cast<void>(index);
        return true;
    }
    virtual bool anotherPass() = 0;
    virtual bool anotherRound() { return false; }
};

// As viewTraces, each input read as often as `passes` asks; only the first
// pass tells of an input's damage. Standard input is copied to a temporary
// file first, and the driver's trace read once, for every round.
int viewTracesInPasses(const std::vector<std::string>& files, const InputChoices& choices,
                       RecordPipeline& pipeline, InputPasses& passes, DeviceSystem& system,
                       const Streams& streams);

}  // namespace ambertap
