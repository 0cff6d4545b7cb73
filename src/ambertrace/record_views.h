// What a command makes of the records of each trace it reads, block by block:
// each block holds whole records, but for a cut one at the very end of the
// trace.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>

#include "capture_file.h"
#include "command_line.h"
#include "message_views.h"
#include "utc_time.h"

namespace ambertap {

struct TraceSource {
    const char* name;              // as given ("-": standard input), or the device's
    bool oneOfSeveral;             // the command reads more than one trace
    const SavedTraceFacts* facts;  // of a saved trace file; null for any other input
};

// Each function returns 0, or the C library's error number of a failed write.
class TraceView {
  public:
    virtual ~TraceView() = default;

    // A new trace begins: records count from 1 again.
    virtual int beginTrace(const TraceSource& trace) {
        static_cast<void>(trace);
        return 0;
    }
    // The records of the next show() were first seen at `seenAt`, ms since
    // 1970 UTC, as far as `precision` says.
    virtual void seenAt(std::int64_t seenAt, TimePrecision precision) {
        static_cast<void>(seenAt);
        static_cast<void>(precision);
    }
    // Takes the records of `block`, whose first byte lies at `offset` in its trace.
    virtual int show(std::span<const std::uint8_t> block, std::uint64_t offset) = 0;
    // Between the records shown so far and the next, a capture may have
    // missed messages.
    virtual int gap(const CaptureGap& gap) {
        static_cast<void>(gap);
        return 0;
    }
    // The trace has ended, or its input failed after the records it gave.
    virtual int endTrace() { return 0; }
};

// The view of `show` that the command line asks for.
std::unique_ptr<TraceView> makeShowView(const CommandLine& line, std::FILE* out);

}  // namespace ambertap
