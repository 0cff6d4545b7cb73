// The views of `show`: sinks of the record pipeline that write each record
// as it comes, and each gap of a capture where it lies.
#pragma once

#include <cstdio>
#include <memory>

#include "command_line.h"
#include "record_sink.h"

namespace ambertap {

// The view of `show` that the command line asks for.
std::unique_ptr<RecordSink> makeShowView(const CommandLine& line, std::FILE* out);

}  // namespace ambertap
