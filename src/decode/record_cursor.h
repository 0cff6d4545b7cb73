// Stepping through the records of a buffer of trace bytes: the one way every
// reader of records finds where each begins and ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "byte_reader.h"
#include "capi_message.h"

namespace ambertap {

// Whether the data holds the record at the start of `record` whole.
inline bool holdsWholeRecord(ByteView record) {
    return record.size() >= TraceRecord::headerSize &&
           record.size() - TraceRecord::headerSize >= record.begin[TraceRecord::messageLength];
}

// The bytes of the record at the start of `record`: its header and message,
// or as much of them as the data holds.
inline std::size_t recordSize(ByteView record) {
    if (!holdsWholeRecord(record)) {
        return record.size();
    }
    return TraceRecord::headerSize + record.begin[TraceRecord::messageLength];
}

// The records of a buffer, one after the other, by each record's length byte;
// a record that the buffer ends inside is the last. Nothing past the buffer
// is read.
class RecordCursor {
  public:
    explicit RecordCursor(std::span<const std::uint8_t> bytes)
        : begin_(bytes.data()), at_(bytes.data()), end_(bytes.data() + bytes.size()) {
        measure();
    }

    bool atEnd() const { return at_ == end_; }

    // The current record: its header and message, as far as the buffer holds them.
    ByteView record() const { return {at_, at_ + size_}; }
    // From the current record to the end of the buffer, which ambertap's line
    // may read into when a message's own length says more than its record's.
    ByteView rest() const { return {at_, end_}; }
    // Of the current record's first byte from the buffer's start.
    std::size_t offset() const { return static_cast<std::size_t>(at_ - begin_); }
    // Whether the buffer holds the current record whole.
    bool whole() const { return holdsWholeRecord(rest()); }

    void next() {
        at_ += size_;
        measure();
    }

  private:
    void measure() { size_ = at_ == end_ ? 0 : recordSize(rest()); }

    const std::uint8_t* begin_;
    const std::uint8_t* at_;
    const std::uint8_t* end_;
    std::size_t size_ = 0;
};

// Where the whole records at the start of `bytes` end.
inline std::size_t wholeRecordsEnd(std::span<const std::uint8_t> bytes) {
    RecordCursor records(bytes);
    while (!records.atEnd() && records.whole()) {
        records.next();
    }
    return records.offset();
}

// The number of records that `bytes` begin, a cut last one included.
inline std::size_t countRecords(std::span<const std::uint8_t> bytes) {
    std::size_t count = 0;
    for (RecordCursor records(bytes); !records.atEnd(); records.next()) {
        ++count;
    }
    return count;
}

}  // namespace ambertap
