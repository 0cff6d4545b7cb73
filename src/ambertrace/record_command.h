// `ambertrace record FILE`: the driver's trace kept in a capture file for as
// long as the capture runs.
#pragma once

#include "command_line.h"
#include "device_system.h"
#include "run_ambertrace.h"

namespace ambertap {

int recordTrace(const CommandLine& line, DeviceSystem& system, const Streams& streams);

}  // namespace ambertap
