// What the values of CAPI 2.0 parameters mean, by the names the standard gives
// them. A value without a name has none here: views show its number.
#pragma once

#include <cstdint>

#include "code_names.h"

namespace ambertap {

// The B protocols' names are beside the line's in code_names.h.
extern const ValueNames cipValueNames;
extern const ValueNames rejectNames;
extern const ValueNames rejectB3Names;
extern const ValueNames facilitySelectorNames;
extern const ValueNames dtmfFunctionNames;
extern const ValueNames supplementaryServiceFunctionNames;
extern const ValueNames channelNames;
extern const ValueNames channelAllocationOperationNames;
extern const ValueNames forwardingTypeNames;
extern const ValueNames faxFormatNames;
extern const ValueNames sendingCompleteNames;
extern const ValueNames bChannelOperationNames;
extern const ValueNames parityNames;
extern const ValueNames stopBitNames;
extern const ValueNames resolutionNames;

// Bit masks: each entry names a bit number.
extern const ValueNames infoMaskBits;
extern const ValueNames cipMaskBits;
extern const ValueNames dataB3FlagBits;
extern const ValueNames supportedServiceBits;
extern const ValueNames faxOptionBits;

// An Info, Reason or Reason_B3 value: a name when the value or its class has
// one; for 0x34xx, the network's Q.850 cause (xx without its extension bit).
struct InfoMeaning {
    const char* name = nullptr;
    int cause = -1;
};
InfoMeaning infoMeaning(std::uint16_t info);

// Q.850 cause values (1 to 127) by name, or null.
const char* causeName(std::uint32_t cause);

// The cause of a "0x34xx" Reject or Info value, or -1.
int networkCauseOf(std::uint32_t value);

// An INFO_IND's Info number: what kind of information it carries and its name.
enum class InfoNumberKind : std::uint8_t { messageType, charge, element };
struct InfoNumberMeaning {
    InfoNumberKind kind;
    const char* name;  // null when the standard names no such value
};
InfoNumberMeaning infoNumberMeaning(std::uint16_t infoNumber);
const char* infoNumberKindText(InfoNumberKind kind);

}  // namespace ambertap
