// The command byte of a CAPI 2.0 command word, whatever its subcommand: what
// the calls model and its views go by.
#pragma once

#include <cstdint>

#include "capi_message.h"

namespace ambertap {

enum Command : std::uint8_t {
    alert = 0x01,
    connect = 0x02,
    connectActive = 0x03,
    disconnect = 0x04,
    listen = 0x05,
    info = 0x08,
    selectBProtocol = 0x41,
    facility = 0x80,
    connectB3 = 0x82,
    connectB3Active = 0x83,
    disconnectB3 = 0x84,
    dataB3 = 0x86,
    connectB3T90Active = 0x88,
    manufacturer = 0xff,
};

constexpr std::uint8_t commandOf(std::uint16_t commandWord) {
    return static_cast<std::uint8_t>(commandWord & 0xffu);
}

constexpr std::uint16_t subcommandOf(std::uint16_t commandWord) {
    return static_cast<std::uint16_t>(commandWord & 0xff00u);
}

constexpr std::uint16_t makeCommandWord(Subcommand subcommand, Command command) {
    return static_cast<std::uint16_t>(std::uint16_t{subcommand} | std::uint16_t{command});
}

}  // namespace ambertap
