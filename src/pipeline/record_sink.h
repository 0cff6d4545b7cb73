// What the record pipeline hands to the views and models that a command runs:
// each trace's beginning and end, each record of it once, one at a time, in
// trace order, and the gaps of a capture between them.
#pragma once

#include "capture_file.h"
#include "traced_record.h"

namespace ambertap {

struct TraceSource {
    const char* name;              // as given ("-": standard input), or the device's
    bool oneOfSeveral;             // the command reads more than one trace
    const SavedTraceFacts* facts;  // of a saved trace file; null for any other input
    bool capture = false;          // a capture file: each record has the time it was seen
};

// What a sink reads of each record besides its place and bytes. Nothing is
// worked out that no sink asked for: the plain lines do not pay for a decode.
struct RecordNeeds {
    bool line = false;
    bool message = false;
};

// Each function returns 0, or the C library's error number of a failed write,
// which ends the pipeline's run.
class RecordSink {
  public:
    virtual ~RecordSink() = default;

    virtual RecordNeeds needs() const = 0;

    // A new trace begins: records count from 1 again.
    virtual int beginTrace(const TraceSource& trace) {
        static_cast<void>(trace);
        return 0;
    }
    virtual int record(const TracedRecord& record) = 0;
    // Between the records handed so far and the next, a capture may have
    // missed messages.
    virtual int gap(const CaptureGap& gap) {
        static_cast<void>(gap);
        return 0;
    }
    // The records handed so far are all the input has for now: a view writes
    // them out, so that a reader sees each part of a trace as it comes.
    virtual int flush() { return 0; }
    // The trace has ended, or its input failed after the records it gave.
    virtual int endTrace() { return 0; }
};

}  // namespace ambertap
