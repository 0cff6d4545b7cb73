// Two views of each trace record beside its line: every parameter named, for
// a person (the full view), and every parameter as one JSON object, for a
// program (JSON Lines).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "json_writer.h"
#include "line_writer.h"
#include "record_output.h"
#include "traced_record.h"
#include "utc_time.h"

namespace ambertap {

// Both write whole lines into `out`, which writes its blocks to their stream
// as they fill; a write that fails shows in `out`.

// `line`, the record's line as the view shows it (its time before it, or
// not), then one line for each parameter and each field inside a structure,
// indented by its depth, and a line saying where a damaged message ends.
void writeFullRecord(const TracedRecord& record, std::string_view line, RecordOutput& out);

using JsonLine = JsonWriter<LineWriter>;

// Which trace a JSON record belongs to, and what it says of it.
struct JsonRecordPlace {
    const char* file = nullptr;  // the trace's name as given; null when there is only one
    bool seenAt = false;         // the trace is a capture, whose records have their times
};

// The same lines as strings, without their newlines, for a view that places
// them itself.
std::vector<std::string> fullRecordLines(const TracedRecord& record, std::string_view line);

// One JSON object on one line: the record's `index` (1 for the first of a
// trace), its `offset` in the trace, for a capture the time it was first
// seen (`seenAt`), its direction and line, the message's header and its
// parameters.
void writeJsonRecord(const TracedRecord& record, const JsonRecordPlace& place, RecordOutput& out);

// A time as a JSON string, as `show --time` prints it: "2026-12-10 14:03:07.215".
void writeSeenAt(std::int64_t milliseconds, TimePrecision precision, JsonLine& json);

// One JSON object on one line, with `type` "trace", for the facts of a saved
// trace file, which come before its records: the format version, the time of
// the save in UTC as "YYYY-MM-DDThh:mm:ssZ", the more-data flag and the
// number of record bytes. `file` as for JsonRecordPlace.
void writeJsonTrace(const SavedTraceFacts& facts, const char* file, RecordOutput& out);

}  // namespace ambertap
