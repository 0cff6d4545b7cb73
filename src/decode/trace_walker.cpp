#include "trace_walker.h"

#include <cerrno>
#include <string_view>

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

// Lines are built straight into a block of output that goes out in one write
// when the next line might not fit, rather than in a write of each line. Every
// line still has a room of its own of traceLineRoom characters. The first
// write that fails ends the output: a trace that did not reach its reader
// must not look as if it had.
class OutputLines {
  public:
    explicit OutputLines(std::FILE* out) : out_(out) {}
    OutputLines(const OutputLines&) = delete;
    OutputLines& operator=(const OutputLines&) = delete;

    // Makes room for the next line; false once a write has failed.
    bool makeRoomForLine() {
        if (sizeof block_ - used_ < traceLineRoom) {
            writeBlock();
        }
        return error_ == 0;
    }

    // Where the next line is built: traceLineRoom characters are free there.
    char* nextLine() { return block_ + used_; }

    // Ends the line built at nextLine(); its newline takes the terminator's place.
    void endLine(std::size_t length) {
        block_[used_ + length] = '\n';
        used_ += length + 1;
    }

    // Writes what is left and flushes the stream, where a write into its
    // buffer that the device refuses first shows. Returns 0, or the C
    // library's error number of the first write that failed.
    int finish() {
        writeBlock();
        if (error_ == 0) {
            errno = 0;
            if (std::fflush(out_) != 0) {
                error_ = errorOfFailedWrite();
            }
        }
        return error_;
    }

  private:
    void writeBlock() {
        if (error_ == 0 && used_ > 0) {
            errno = 0;
            if (std::fwrite(block_, 1, used_, out_) != used_) {
                error_ = errorOfFailedWrite();
            }
        }
        used_ = 0;
    }

    // A C library that fails a write without an error number still failed it.
    static int errorOfFailedWrite() { return errno != 0 ? errno : EIO; }

    std::FILE* out_;
    std::size_t used_ = 0;
    int error_ = 0;
    char block_[16 * 1024];
};

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
    OutputLines lines(out);
    const std::uint8_t* const end = data + count;
    for (const std::uint8_t* at = data; at < end && lines.makeRoomForLine();) {
        const ByteView record{at, end};
        lines.endLine(formatTraceRecord(record, lines.nextLine(), traceLineRoom));
        at += recordSize(record);
    }
    return lines.finish();
}

}  // namespace ambertap
