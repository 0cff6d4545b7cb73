// `calls --ladder`: each trace's calls as text ladders, built in passes over
// each input by the ladder builder.
#pragma once

#include "command_line.h"
#include "device_system.h"
#include "run_ambertrace.h"

namespace ambertap {

// Returns the exit code, as viewTraces does.
int ladderTraces(const CommandLine& line, DeviceSystem& system, const Streams& streams);

// `report`: the report of the traces, written whole or not at all to
// line.output (or to standard output). Returns the exit code, as viewTraces
// does.
int reportTraces(const CommandLine& line, DeviceSystem& system, const Streams& streams);

// The text ladder's columns: --width, else the terminal's but one (a console
// line that fills its width moves the cursor on by itself, which would
// leave an empty line after each), else 100.
std::size_t ladderWidth(const CommandLine& line, std::FILE* out);

}  // namespace ambertap
