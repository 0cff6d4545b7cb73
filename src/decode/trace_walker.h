// Printing a trace: one line per recorded message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "byte_reader.h"
#include "record_cursor.h"

namespace ambertap {

// The room of one printed line, terminator included.
inline constexpr int traceLineRoom = 400;

// Prints the records in the first `count` bytes of `data` to `out`: "Put " or
// "Get " and the message's line text for the two known directions, "?? %02x"
// for any other. A record cut off by the end of the data is shown as far as
// it goes, marked, and ends the walk. The first write to `out` that fails ends
// the walk too. Returns 0 when every line reached `out` and it was flushed,
// else the C library's error number of the write that failed.
[[nodiscard]] int printTraceRecords(const std::uint8_t* data, std::size_t count,
                                    std::FILE* out = stdout);

// Writes the line that printTraceRecords prints for the record at the start of
// `record`, without its newline, into `out`, whose room counts the terminator.
// Returns the line's length.
std::size_t formatTraceRecord(ByteView record, char* out, int room);

}  // namespace ambertap
