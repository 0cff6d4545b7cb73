// `ambertrace save FILE`: the driver's trace, as it was, into a trace file.
#pragma once

#include "command_line.h"
#include "device_system.h"
#include "file_system.h"
#include "run_ambertrace.h"

namespace ambertap {

int saveTrace(const CommandLine& line, DeviceSystem& system, const Streams& streams);

// What failed, in the words of a file's failure: "cannot write", ...
const char* reasonOf(WriteStep step);

}  // namespace ambertap
