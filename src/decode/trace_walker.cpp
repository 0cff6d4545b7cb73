#include "trace_walker.h"

#include <string_view>

#include "block_output.h"
#include "byte_reader.h"
#include "capi_message.h"
#include "line_writer.h"
#include "message_line.h"

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

// Whether the data holds the record at the start of `record` whole.
bool holdsWholeRecord(ByteView record) {
    return record.size() >= TraceRecord::headerSize &&
           record.size() - TraceRecord::headerSize >= record.begin[TraceRecord::messageLength];
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

std::size_t recordSize(ByteView record) {
    if (!holdsWholeRecord(record)) {
        return record.size();
    }
    return TraceRecord::headerSize + record.begin[TraceRecord::messageLength];
}

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
    const std::uint8_t* const end = data + count;
    for (const std::uint8_t* at = data; at < end;) {
        char* const line = lines.lineSpace(traceLineRoom);
        if (lines.failed()) {
            break;
        }
        const ByteView record{at, end};
        lines.endLine(formatTraceRecord(record, line, traceLineRoom));
        at += recordSize(record);
    }
    return lines.finish();
}

}  // namespace ambertap
