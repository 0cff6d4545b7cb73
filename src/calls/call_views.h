// The two views of a trace's call model: `calls`, one block per call (or one
// JSON object per call), and `check`, one finding a line in the form that
// compilers use. Both read a model that has seen every record of the trace
// and has been finished.
#pragma once

#include <cstdio>

#include "call_model.h"

namespace ambertap {

enum class CallsFormat { text, json };

// Every call, in the order the calls begin, then the messages of no call for
// each application and controller. In JSON, one object a line: a call's
// carries `applId`, `controller` and `plci`; a listing of messages of no call
// has no `plci`. `fileOrNull` names the trace in each JSON object as `file`
// (the text view does not name it). Returns 0, or the C library's error
// number of the first write that failed.
[[nodiscard]] int writeCalls(const CallModel& model, CallsFormat format, const char* fileOrNull,
                             std::FILE* out);

// Every finding in record order, as `FILE:RECORD: error: ...` (or `warning:`,
// `note:`). Returns the counts of what it wrote; `writeError` becomes 0, or
// the C library's error number of the first write that failed.
CheckCounts writeFindings(const CallModel& model, const char* fileName, std::FILE* out,
                          int& writeError);

}  // namespace ambertap
