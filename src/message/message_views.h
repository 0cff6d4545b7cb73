// Two views of each trace record beside its line: every parameter named, for
// a person (the full view), and every parameter as one JSON object, for a
// program (JSON Lines).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "byte_reader.h"
#include "protocol_tracker.h"

namespace ambertap {

// `record` runs from the record's direction byte to the end of the trace data,
// so it may hold later records too, or be cut; `line` is the record's line as
// the trace walker writes it, without its newline. Each view reads the record
// through `protocols`, which lays out NCPI by the B protocols in force, then
// tells it what the record shows: pass the records of one trace in order.
//
// Both write whole lines to `out` and return 0, or the C library's error
// number of the first write that failed. They do not flush `out`.

// The line, then one line for each parameter and each field inside a
// structure, indented by its depth, and a line saying where a damaged message
// ends.
[[nodiscard]] int writeFullRecord(ByteView record, std::string_view line,
                                  ProtocolTracker& protocols, std::FILE* out);

// The same lines as strings, without their newlines, for a view that places
// them itself.
std::vector<std::string> fullRecordLines(ByteView record, std::string_view line,
                                         ProtocolTracker& protocols);

// One JSON object on one line: the record's `index` (1 for the first of a
// trace), its `offset` in the trace, its direction and line, the message's
// header and its parameters. `file` is the trace's name as given, or null when
// there is only one trace. Every byte outside printable ASCII in a string is
// written as \u00XX.
[[nodiscard]] int writeJsonRecord(ByteView record, std::uint64_t index, std::uint64_t offset,
                                  std::string_view line, const char* file,
                                  ProtocolTracker& protocols, std::FILE* out);

// What a saved trace file says of itself besides its records.
struct SavedTraceFacts {
    std::uint16_t versionMajor = 0;
    std::uint16_t versionMinor = 0;
    std::int64_t savedAt = 0;  // seconds since 1970-01-01 00:00 UTC
    bool moreData = false;     // the driver had more than one read held
    std::uint64_t recordBytes = 0;
};

// One JSON object on one line, with `type` "trace", for the facts of a saved
// trace file, which come before its records: the format version, the time of
// the save in UTC as "YYYY-MM-DDThh:mm:ssZ", the more-data flag and the
// number of record bytes. `file` as for writeJsonRecord.
[[nodiscard]] int writeJsonTrace(const SavedTraceFacts& facts, const char* file, std::FILE* out);

}  // namespace ambertap
