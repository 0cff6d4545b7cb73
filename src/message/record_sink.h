// What the record pipeline hands to the views and models that a command runs:
// each trace's beginning and end, and each record of it once, one at a time,
// in trace order, with what the sinks asked for worked out once for all of them.
#pragma once

#include <cstdint>
#include <string_view>

#include "byte_reader.h"
#include "decoded_message.h"
#include "protocol_tracker.h"

namespace ambertap {

// What a saved trace file says of itself besides its records.
struct SavedTraceFacts {
    std::uint16_t versionMajor = 0;
    std::uint16_t versionMinor = 0;
    std::int64_t savedAt = 0;  // seconds since 1970-01-01 00:00 UTC
    bool moreData = false;     // the driver had more than one read held
    std::uint64_t recordBytes = 0;
};

struct TraceSource {
    const char* name;              // as given ("-": standard input), or the device's
    bool oneOfSeveral;             // the command reads more than one trace
    const SavedTraceFacts* facts;  // of a saved trace file; null for any other input
};

struct TracedRecord {
    std::uint64_t index = 0;   // 1 for the first record of its trace
    std::uint64_t offset = 0;  // of its direction byte among the trace's record bytes
    ByteView bytes;            // its header and message, as far as the trace holds them
    // Ambertap's line for it, without the newline; empty unless a sink asked.
    std::string_view line;
    // The message, walked by the protocols in force before it, when a sink
    // asked and the record's direction carries one; else null.
    const DecodedMessage* message = nullptr;
    // The B protocols that the message put in force on its PLCI, or null.
    const BProtocols* putInForce = nullptr;
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
    // The records handed so far are all the input has for now: a view writes
    // them out, so that a reader sees each part of a trace as it comes.
    virtual int flush() { return 0; }
    // The trace has ended, or its input failed after the records it gave.
    virtual int endTrace() { return 0; }
};

}  // namespace ambertap
