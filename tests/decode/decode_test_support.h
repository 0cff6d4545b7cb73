// Helpers shared by the decoder tests.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ambertap::testing {

// Message bytes in hexadecimal and the text formatMessage writes for them.
struct LineCase {
    const char* name;
    const char* message;
    const char* text;
};

// "0d 00 01" -> {0x0d, 0x00, 0x01}; spaces between bytes are optional.
std::vector<std::uint8_t> bytesFromHex(std::string_view hex);

// The text formatMessage writes for exactly these bytes (the data ends where
// they end), checking that nothing is written past `room`.
std::string formatted(const std::vector<std::uint8_t>& message, int room = 396);

// The CONNECT_REQ that the documentation's outgoing call starts with: 65 bytes.
std::vector<std::uint8_t> referenceConnectReq();

}  // namespace ambertap::testing
