// What an arrow of a ladder shows of a record, taken from what the record
// pipeline worked out of it once (its line and its message): the adapter
// decodes nothing itself.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "traced_record.h"
#include "utc_time.h"

namespace ambertap {

struct ArrowTexts {
    bool message = false;  // the record holds a message with its header
    bool put = false;
    std::uint16_t applId = 0;
    std::uint16_t commandWord = 0;
    std::string name;                 // "CONNECT_REQ", or the command word as the line gives it
    std::string parameters;           // the rest of the line
    std::vector<std::string> decode;  // as `show --full` gives it
    std::uint32_t dataBytes = 0;      // of a DATA_B3_REQ or DATA_B3_IND
};

// The texts of a record handed with its line and message.
ArrowTexts arrowTextsOf(const TracedRecord& record);

// "2026-12-10 14:03:07.215" for a capture's time, empty for any other input.
std::string timeText(std::int64_t seenAt, TimePrecision precision);

}  // namespace ambertap
