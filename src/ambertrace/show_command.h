// `ambertrace show [FILE...]`: ambertap's lines for saved traces, or for the
// driver's trace, read once and never cleared.
#pragma once

#include "command_line.h"
#include "device_system.h"
#include "run_ambertrace.h"

namespace ambertap {

int showTraces(const CommandLine& line, DeviceSystem& system, const Streams& streams);

}  // namespace ambertap
