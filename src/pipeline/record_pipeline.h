// The one road of every record: the records of each trace, from whatever
// input, stepped through once and handed to the sinks that a command runs,
// one record at a time, with its line and its message worked out once for all
// of them, and only when one of them asks.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "decoded_message.h"
#include "protocol_tracker.h"
#include "record_cursor.h"
#include "record_sink.h"
#include "trace_input.h"
#include "trace_walker.h"

namespace ambertap {

// The messages of one application or one controller, as people filter a
// long capture; 0 keeps any. A record that does not hold what a filter asks
// about (a cut message, a record of no message) is not kept.
struct RecordFilter {
    std::uint16_t applId = 0;
    std::uint8_t controller = 0;  // the address's controller, internal or external

    bool keeps(ByteView record) const;
};

class RecordPipeline {
  public:
    // With `maskNumbers`, every sink sees each record with its party numbers
    // and subaddresses masked (number_mask.h), its line and message too.
    explicit RecordPipeline(std::vector<RecordSink*> sinks, RecordFilter filter = {},
                            bool maskNumbers = false);
    RecordPipeline(const RecordPipeline&) = delete;
    RecordPipeline& operator=(const RecordPipeline&) = delete;

    // Each returns 0, or the first error a sink returned, where it stopped.

    // A new trace: its records count from 1, and no B protocols are in force.
    // Records that the filter does not keep count all the same, so that each
    // record handed keeps its number in the trace; they go to no sink.
    int beginTrace(const TraceSource& trace);
    // The records of `block`, whose first byte lies at `offset` among the
    // trace's record bytes: whole records, but for a cut one where the trace
    // ends, first seen at `seenAt` (ms since 1970 UTC) as far as `precision`
    // says. Every sink is flushed after the last of them.
    int records(std::span<const std::uint8_t> block, std::uint64_t offset, std::int64_t seenAt = 0,
                TimePrecision precision = TimePrecision::none);
    // A capture's gap between the records handed so far and the next.
    int gap(const CaptureGap& gap);
    int endTrace();

  private:
    int hand(const RecordCursor& cursor, TracedRecord& record);
    // A copy of the record with its numbers masked.
    ByteView masked(ByteView record);

    std::vector<RecordSink*> sinks_;
    RecordFilter filter_;
    bool filtered_;
    RecordNeeds needs_;
    bool maskNumbers_;
    std::array<std::uint8_t, 258> maskedCopy_{};
    std::uint64_t index_ = 0;
    ProtocolTracker protocols_;
    DecodedMessage message_;
    char line_[traceLineRoom];
};

// What became of feeding one input into a pipeline.
struct FeedOutcome {
    // end, or how the input failed: its finding() tells the rest.
    InputStatus status = InputStatus::end;
    int writeError = 0;  // a sink's, which stopped the feed
};

// Every block and gap of a started input, into the pipeline, between the
// trace's beginning and end that the caller gives it.
FeedOutcome feedInput(TraceInput& input, RecordPipeline& pipeline);

}  // namespace ambertap
