// One run of ambertrace: its command line, then one command.
#pragma once

#include <cstdio>

#include "device_system.h"

namespace ambertap {

inline constexpr int traceExitSuccess = 0;
inline constexpr int traceExitUsage = 1;
inline constexpr int traceExitFailure = 2;
inline constexpr int traceExitErrorsFound = 3;  // check found an error in a trace

// The streams a run reads and writes: standard input for "-", the output,
// and the stream for every message.
struct Streams {
    std::FILE* in = stdin;
    std::FILE* out = stdout;
    std::FILE* err = stderr;
};

struct CheckCounts;
struct CommandLine;
struct RecordFilter;

// Returns the process exit code.
int runAmbertrace(int argumentCount, const char* const* argumentVector, DeviceSystem& system,
                  const Streams& streams);

// The messages that the command line's --appl and --controller keep.
RecordFilter filterOf(const CommandLine& line);

// The end of check, and of watch --check: a summary line that counts the
// findings (in JSON also a summary object after them), and the exit code,
// traceExitErrorsFound for an error among them where `exitCode` is a success.
int endCheck(const CheckCounts& counts, bool json, int exitCode, const Streams& streams);

}  // namespace ambertap
