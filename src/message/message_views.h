// Two views of each trace record beside its line: every parameter named, for
// a person (the full view), and every parameter as one JSON object, for a
// program (JSON Lines).
#pragma once

#include "record_output.h"
#include "record_sink.h"

namespace ambertap {

// Both write whole lines into `out`, which writes its blocks to their stream
// as they fill; a write that fails shows in `out`.

// The line, then one line for each parameter and each field inside a
// structure, indented by its depth, and a line saying where a damaged message
// ends.
void writeFullRecord(const TracedRecord& record, RecordOutput& out);

// One JSON object on one line: the record's `index` (1 for the first of a
// trace), its `offset` in the trace, its direction and line, the message's
// header and its parameters. `file` is the trace's name as given, or null when
// there is only one trace.
void writeJsonRecord(const TracedRecord& record, const char* file, RecordOutput& out);

// One JSON object on one line, with `type` "trace", for the facts of a saved
// trace file, which come before its records: the format version, the time of
// the save in UTC as "YYYY-MM-DDThh:mm:ssZ", the more-data flag and the
// number of record bytes. `file` as for writeJsonRecord.
void writeJsonTrace(const SavedTraceFacts& facts, const char* file, RecordOutput& out);

}  // namespace ambertap
