// `ambertrace save FILE`: the driver's trace, as it was, into a trace file.
#pragma once

#include <cstdio>
#include <string>

#include "command_line.h"
#include "device_system.h"
#include "file_system.h"
#include "run_ambertrace.h"

namespace ambertap {

int saveTrace(const CommandLine& line, DeviceSystem& system, const Streams& streams);

// What failed, in the words of a file's failure: "cannot write", ...
const char* reasonOf(WriteStep step);

// Tells on `err` why the file `name` was not written, as save tells it: an
// existing file refused, or the step that failed with the system's words.
void tellWriteFailure(const std::string& name, const WriteOutcome& outcome, std::FILE* err);

}  // namespace ambertap
