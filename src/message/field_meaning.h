// What a decoded number means, worked out once for both views.
#pragma once

#include <cstdint>

#include "decoded_message.h"

namespace ambertap {

struct AddressParts {
    std::uint32_t controller;
    bool external;
    std::uint32_t plci;
    std::uint32_t ncci;
};
AddressParts addressParts(std::uint32_t address);

// A number's name and, for a network cause inside it, the Q.850 cause; the
// kind of an Info number. Each is absent (null, -1) where the value has none.
struct NumberMeaning {
    const char* name = nullptr;
    int cause = -1;
    const char* kind = nullptr;     // for the text: "message type", ...
    const char* kindKey = nullptr;  // for JSON: "messageType", ...
};
NumberMeaning numberMeaning(const Field& field);

// A signed quantity's value: words and dwords as two's complement.
std::int64_t signedValue(const Field& field);

}  // namespace ambertap
