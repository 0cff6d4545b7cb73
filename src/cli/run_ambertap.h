// One run of the tool: banner, options, one request to the driver, output.
#pragma once

#include <cstdio>

#include "device_system.h"
#include "option_parser.h"

namespace ambertap {

inline constexpr int exitSuccess = 0;
inline constexpr int exitUsage = 1;
inline constexpr int exitFailure = 2;

// Reads the command line with `options`, then clears the driver's trace or
// prints it to `out`; the banner and every message go to `err`. Returns the
// process exit code: exitSuccess, exitUsage (no request made) or exitFailure
// (the read or clear failed, or the trace could not be written to `out`).
int runAmbertap(int argumentCount, const char* const* argumentVector, OptionParser& options,
                DeviceSystem& system, std::FILE* out, std::FILE* err);

}  // namespace ambertap
