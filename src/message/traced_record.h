// One record of a trace as the record pipeline hands it to the views and
// models: its place, its bytes, and what was worked out of it once for all.
#pragma once

#include <cstdint>
#include <string_view>

#include "byte_reader.h"
#include "decoded_message.h"
#include "protocol_tracker.h"
#include "utc_time.h"

namespace ambertap {

// What a saved trace file says of itself besides its records.
struct SavedTraceFacts {
    std::uint16_t versionMajor = 0;
    std::uint16_t versionMinor = 0;
    std::int64_t savedAt = 0;  // seconds since 1970-01-01 00:00 UTC
    bool moreData = false;     // the driver had more than one read held
    std::uint64_t recordBytes = 0;
};

struct TracedRecord {
    std::uint64_t index = 0;   // 1 for the first record of its trace
    std::uint64_t offset = 0;  // of its direction byte among the trace's record bytes
    ByteView bytes;            // its header and message, as far as the trace holds them
    // When it was first seen, ms since 1970 UTC, as far as the input knows:
    // a capture to the millisecond, a trace file to the second.
    std::int64_t seenAt = 0;
    TimePrecision precision = TimePrecision::none;
    // Ambertap's line for it, without the newline; empty unless a sink asked.
    std::string_view line;
    // The message, walked by the protocols in force before it, when a sink
    // asked and the record's direction carries one; else null.
    const DecodedMessage* message = nullptr;
    // The B protocols that the message put in force on its PLCI, or null.
    const BProtocols* putInForce = nullptr;
};

}  // namespace ambertap
