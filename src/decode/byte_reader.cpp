#include "byte_reader.h"

namespace ambertap {

bool ByteReader::holds(std::size_t offset, std::size_t width) {
    const std::size_t size = bytes_.size();
    if (offset <= size && width <= size - offset) {
        return true;
    }
    if (!cutOff_) {
        cutOff_ = true;
        line_.markCutOff();
    }
    return false;
}

std::uint8_t ByteReader::u8(std::size_t offset) {
    return holds(offset, 1) ? bytes_.begin[offset] : 0;
}

std::uint16_t ByteReader::u16(std::size_t offset) {
    if (!holds(offset, 2)) {
        return 0;
    }
    const std::uint8_t* at = bytes_.begin + offset;
    return static_cast<std::uint16_t>(at[0] | at[1] << 8);
}

std::uint32_t ByteReader::u32(std::size_t offset) {
    if (!holds(offset, 4)) {
        return 0;
    }
    const std::uint8_t* at = bytes_.begin + offset;
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

Structure ByteReader::structure(std::size_t offset) {
    const std::size_t length = u8(offset);
    if (cutOff_ || !holds(offset + 1, length)) {
        return Structure{offset, 0};
    }
    return Structure{offset, length};
}

std::span<const std::uint8_t> ByteReader::content(const Structure& structure) const {
    if (structure.length == 0) {
        return {};
    }
    return {bytes_.begin + structure.contentOffset(), structure.length};
}

}  // namespace ambertap
