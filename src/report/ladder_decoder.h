// What the ladders take of each record: where it lies in its trace, when it
// was seen, the bytes the call model reads (numbers masked where asked) and
// the texts an arrow shows. The one place that decodes a record for the
// ladders.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "byte_reader.h"
#include "diagram.h"
#include "protocol_tracker.h"
#include "utc_time.h"

namespace ambertap {

// One record of a trace, as its input hands it.
struct LadderRecord {
    std::uint64_t index = 0;  // 1 for the first record of its trace
    ByteView bytes;           // from its direction byte; may run on past it, or be cut
    std::int64_t seenAt = 0;  // ms since 1970 UTC, as far as `precision` says
    TimePrecision precision = TimePrecision::none;
};

// The texts of a message as an arrow shows them.
struct ArrowTexts {
    bool message = false;  // the record holds a message with its header
    bool put = false;
    std::uint16_t applId = 0;
    std::uint16_t commandWord = 0;
    std::string name;        // "CONNECT_REQ", or the command word as the line gives it
    std::string parameters;  // the rest of the line
    std::vector<std::string> decode;
    std::uint32_t dataBytes = 0;  // of a DATA_B3_REQ or DATA_B3_IND
};

class LadderDecoder {
  public:
    explicit LadderDecoder(bool maskNumbers) : maskNumbers_(maskNumbers) {}

    // A new trace: no B protocols in force.
    void beginTrace() { protocols_ = ProtocolTracker{}; }

    // The record as the ladders read it: masked where asked. The view lasts
    // until the next call.
    ByteView shown(const LadderRecord& record);

    // The texts of the record that shown() gave last. Take every record of a
    // trace in order, so that NCPI is laid out by the protocols in force.
    void texts(ByteView shownRecord, ArrowTexts& out);

  private:
    bool maskNumbers_;
    ProtocolTracker protocols_;
    std::array<std::uint8_t, 258> copy_{};
};

// "2026-12-10 14:03:07.215" for a capture's time, empty for any other input.
std::string timeText(std::int64_t seenAt, TimePrecision precision);

}  // namespace ambertap
