#include "file_fields.h"

#include <zlib.h>

#include <algorithm>

namespace ambertap {

std::uint32_t crc32Of(std::span<const std::uint8_t> bytes, std::uint32_t crc) {
    // zlib counts in uInt; a span longer than that goes in pieces.
    constexpr std::size_t piece = 1u << 30;
    uLong value = crc;
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        const std::size_t count = std::min(piece, bytes.size() - at);
        value = crc32(value, bytes.data() + at, static_cast<uInt>(count));
    }
    return static_cast<std::uint32_t>(value);
}

}  // namespace ambertap
