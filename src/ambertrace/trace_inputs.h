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

}  // namespace ambertap
