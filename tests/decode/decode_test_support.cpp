#include "decode_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <memory>

#include "message_line.h"

namespace ambertap::testing {

namespace {

int hexValue(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::tolower(c) - 'a' + 10;
}

}  // namespace

std::vector<std::uint8_t> bytesFromHex(std::string_view hex) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i < hex.size();) {
        if (hex[i] == ' ') {
            ++i;
            continue;
        }
        bytes.push_back(static_cast<std::uint8_t>(hexValue(hex[i]) << 4 | hexValue(hex[i + 1])));
        i += 2;
    }
    return bytes;
}

std::string formatted(const std::vector<std::uint8_t>& message, int room) {
    // A heap copy of exactly the message's size, so that the sanitizer sees
    // any read past the end of the data.
    const std::size_t size = message.size();
    const auto data = std::make_unique<std::uint8_t[]>(size);
    std::copy(message.begin(), message.end(), data.get());

    constexpr std::size_t guardSize = 16;
    constexpr char guard = '\x5a';
    const std::size_t roomSize = room > 0 ? static_cast<std::size_t>(room) : 0;
    std::vector<char> out(roomSize + guardSize, guard);
    formatMessage(ByteView{data.get(), data.get() + size}, out.data(), room);

    for (std::size_t i = roomSize; i < out.size(); ++i) {
        EXPECT_EQ(out[i], guard) << "written past the room at " << i;
    }
    if (roomSize == 0) {
        return {};
    }
    const auto terminator = std::find(out.begin(), out.begin() + static_cast<long>(roomSize), '\0');
    EXPECT_NE(terminator, out.begin() + static_cast<long>(roomSize)) << "text not terminated";
    return std::string(out.begin(), terminator);
}

std::vector<std::uint8_t> referenceConnectReq() {
    return bytesFromHex(
        "41 00 01 00 02 80 05 00 01 00 00 00 10 00 07 81 31 32 33 34 35 36 09 21 80 34 39 33 30 39 "
        "38 37 03 80 50 51 02 a0 37 09 01 00 01 00 00 00 00 00 00 03 80 90 a3 02 88 90 02 91 81 05 "
        "00 00 00 00 00");
}

}  // namespace ambertap::testing
