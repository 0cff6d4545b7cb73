#include "record_pipeline.h"

#include <algorithm>
#include <utility>

#include "byte_reader.h"
#include "capi_message.h"
#include "capi_vocabulary.h"
#include "line_writer.h"
#include "number_mask.h"

namespace ambertap {

bool RecordFilter::keeps(ByteView record) const {
    if (applId == 0 && controller == 0) {
        return true;
    }
    if (!holdsMessage(record)) {
        return false;
    }
    // What the reader would mark as cut goes nowhere: a value it cannot read
    // is 0, which no filter keeps.
    char unused[8];
    LineWriter cutMark(unused, sizeof unused);
    ByteReader message(messageOfRecord(record), cutMark);
    return (applId == 0 || message.u16(CapiMessage::applId) == applId) &&
           (controller == 0 ||
            CapiAddress::controllerOf(message.u32(CapiMessage::firstParameter)) == controller);
}

RecordPipeline::RecordPipeline(std::vector<RecordSink*> sinks, RecordFilter filter,
                               bool maskNumbers)
    : sinks_(std::move(sinks)),
      filter_(filter),
      filtered_(filter.applId != 0 || filter.controller != 0),
      maskNumbers_(maskNumbers) {
    for (const RecordSink* sink : sinks_) {
        const RecordNeeds needs = sink->needs();
        needs_.line = needs_.line || needs.line;
        needs_.message = needs_.message || needs.message;
    }
}

int RecordPipeline::beginTrace(const TraceSource& trace) {
    index_ = 0;
    protocols_ = ProtocolTracker{};
    for (RecordSink* sink : sinks_) {
        if (const int error = sink->beginTrace(trace); error != 0) {
            return error;
        }
    }
    return 0;
}

int RecordPipeline::records(std::span<const std::uint8_t> block, std::uint64_t offset,
                            std::int64_t seenAt, TimePrecision precision) {
    TracedRecord record;
    record.seenAt = seenAt;
    record.precision = precision;
    for (RecordCursor cursor(block); !cursor.atEnd(); cursor.next()) {
        record.index = ++index_;
        if (filtered_ && !filter_.keeps(cursor.record())) {
            continue;
        }
        record.offset = offset + cursor.offset();
        if (const int error = hand(cursor, record); error != 0) {
            return error;
        }
    }
    for (RecordSink* sink : sinks_) {
        if (const int error = sink->flush(); error != 0) {
            return error;
        }
    }
    return 0;
}

int RecordPipeline::gap(const CaptureGap& gap) {
    for (RecordSink* sink : sinks_) {
        if (const int error = sink->gap(gap); error != 0) {
            return error;
        }
    }
    return 0;
}

int RecordPipeline::endTrace() {
    for (RecordSink* sink : sinks_) {
        if (const int error = sink->endTrace(); error != 0) {
            return error;
        }
    }
    return 0;
}

int RecordPipeline::hand(const RecordCursor& cursor, TracedRecord& record) {
    record.bytes = cursor.record();
    ByteView rest = cursor.rest();
    if (maskNumbers_ && holdsMessage(record.bytes)) {
        record.bytes = masked(record.bytes);
        rest = record.bytes;
    }
    if (needs_.line) {
        record.line = {line_, formatTraceRecord(rest, line_, traceLineRoom)};
    }
    record.message = nullptr;
    record.putInForce = nullptr;
    if (needs_.message && holdsMessage(record.bytes)) {
        // The message's own NCPI is laid out by what was in force before it.
        decodeMessage(messageOfRecord(record.bytes), protocols_, message_);
        protocols_.takeNote(message_);
        record.message = &message_;
        record.putInForce = protocols_.putInForceByLastNote();
    }
    for (RecordSink* sink : sinks_) {
        if (const int error = sink->record(record); error != 0) {
            return error;
        }
    }
    return 0;
}

ByteView RecordPipeline::masked(ByteView record) {
    const std::size_t size = std::min(record.size(), maskedCopy_.size());
    std::copy(record.begin, record.begin + size, maskedCopy_.begin());
    const ByteView copy{maskedCopy_.data(), maskedCopy_.data() + size};
    const ByteView message = messageOfRecord(copy);
    decodeMessage(message, protocols_, message_);
    const auto at = static_cast<std::size_t>(message.begin - copy.begin);
    maskNumbers(message_, std::span<std::uint8_t>(maskedCopy_.data() + at, message.size()));
    return copy;
}

FeedOutcome feedInput(TraceInput& input, RecordPipeline& pipeline) {
    FeedOutcome outcome;
    RecordBlock block;
    while ((outcome.status = input.next(block)) == InputStatus::ready ||
           outcome.status == InputStatus::gap) {
        outcome.writeError = outcome.status == InputStatus::gap
                                 ? pipeline.gap(input.gap())
                                 : pipeline.records({block.data, block.size}, block.offset,
                                                    block.seenAt, block.precision);
        if (outcome.writeError != 0) {
            break;
        }
    }
    return outcome;
}

}  // namespace ambertap
