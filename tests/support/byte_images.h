// Files and blocks held as strings of bytes, for the tests that build them
// and spoil them one field at a time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace ambertap::testing {

inline std::span<const std::uint8_t> span(const std::string& bytes) {
    return {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()};
}

// Writes a little-endian 32-bit field at `at`.
inline void putDword(std::string& image, std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        image[at + i] = static_cast<char>(value >> (8 * i));
    }
}

// The image with one bit of the byte at `at` turned over.
inline std::string flipped(std::string image, std::size_t at) {
    image[at] = static_cast<char>(image[at] ^ 0x40);
    return image;
}

}  // namespace ambertap::testing
