// The text of one traced CAPI 2.0 message.
#pragma once

#include "byte_reader.h"
#include "line_writer.h"

namespace ambertap {

// Writes the line text of the message that starts at `message.begin` into
// `out`: header text, name, and the chief parameters of its kind. `message.end`
// is the end of the trace data, which may cut the message off; `room` counts
// the characters available at `out`, terminator included. The text never
// leaves that room and nothing past the data is read.
void formatMessage(ByteView message, char* out, int room);

// The same, appended to a line that is already begun.
void appendMessage(ByteReader& message, LineWriter& line);

}  // namespace ambertap
