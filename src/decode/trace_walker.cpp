#include "trace_walker.h"

#include <string_view>

#include "block_output.h"
#include "byte_reader.h"
#include "capi_message.h"
#include "line_writer.h"
#include "message_line.h"
#include "record_cursor.h"

namespace ambertap {

namespace {

std::string_view directionWord(std::uint8_t direction) {
    switch (direction) {
        case TraceRecord::put:
            return "Put ";
        case TraceRecord::get:
            return "Get ";
        default:
            return {};
    }
}

void appendMessageRecord(std::string_view word, ByteView record, LineWriter& line) {
    line.text(word);
    if (record.size() < TraceRecord::headerSize) {
        line.markCutOff();
        return;
    }
    ByteReader message(ByteView{record.begin + TraceRecord::message, record.end}, line);
    appendMessage(message, line);
    if (!holdsWholeRecord(record)) {
        line.markCutOff();
    }
}

// "?? %02x" for a record of any other direction.
void appendOtherDirection(std::uint8_t direction, LineWriter& line) {
    line.append("?? ", Hex{direction, 2});
}

}  // namespace

std::size_t formatTraceRecord(ByteView record, char* out, int room) {
    LineWriter line(out, room);
    const std::uint8_t direction = record.begin[TraceRecord::direction];
    if (const std::string_view word = directionWord(direction); !word.empty()) {
        appendMessageRecord(word, record, line);
    } else {
        appendOtherDirection(direction, line);
    }
    return line.length();
}

int printTraceRecords(const std::uint8_t* data, std::size_t count, std::FILE* out) {
    FixedBlockOutput<16 * 1024> lines(out);
    for (RecordCursor records({data, count}); !records.atEnd(); records.next()) {
        char* const line = lines.lineSpace(traceLineRoom);
        if (lines.failed()) {
            break;
        }
        lines.endLine(formatTraceRecord(records.rest(), line, traceLineRoom));
    }
    return lines.finish();
}

}  // namespace ambertap
