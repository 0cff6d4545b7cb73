#include "trace_walker.h"

#include "byte_reader.h"
#include "capi_message.h"
#include "line_writer.h"
#include "message_line.h"

namespace ambertap {

namespace {

const char* directionWord(std::uint8_t direction) {
    switch (direction) {
        case TraceRecord::put:
            return "Put ";
        case TraceRecord::get:
            return "Get ";
        default:
            return nullptr;
    }
}

// Whether the data holds the record at the start of `record` whole.
bool holdsWholeRecord(ByteView record) {
    return record.size() >= TraceRecord::headerSize &&
           record.size() - TraceRecord::headerSize >= record.begin[TraceRecord::messageLength];
}

void printMessageLine(const char* word, ByteView record, std::FILE* out) {
    char text[traceLineRoom];
    LineWriter line(text, traceLineRoom);
    line.text(word);
    if (record.size() < TraceRecord::headerSize) {
        line.markCutOff();
    } else {
        ByteReader message(ByteView{record.begin + TraceRecord::message, record.end}, line);
        appendMessage(message, line);
        if (!holdsWholeRecord(record)) {
            line.markCutOff();
        }
    }
    std::fwrite(text, 1, line.length(), out);
    std::fputc('\n', out);
}

}  // namespace

void printTraceRecords(const std::uint8_t* data, std::size_t count, std::FILE* out) {
    const std::uint8_t* const end = data + count;
    for (const std::uint8_t* at = data; at < end;) {
        const ByteView record{at, end};
        const std::uint8_t direction = record.begin[TraceRecord::direction];
        if (const char* word = directionWord(direction)) {
            printMessageLine(word, record, out);
        } else {
            std::fprintf(out, "?? %02x\n", direction);
        }
        if (!holdsWholeRecord(record)) {
            break;
        }
        at += TraceRecord::headerSize + record.begin[TraceRecord::messageLength];
    }
}

}  // namespace ambertap
