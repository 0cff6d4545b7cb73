// Little-endian fields of a file's bytes, read through the decoder's bounded
// reader: a field that the bytes do not hold whole reads 0.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "byte_reader.h"

namespace ambertap {

class FileFields {
  public:
    explicit FileFields(std::span<const std::uint8_t> bytes)
        : size_(bytes.size()),
          line_(noLine_, sizeof noLine_),
          reader_(ByteView{bytes.data(), bytes.data() + bytes.size()}, line_) {}
    FileFields(const FileFields&) = delete;
    FileFields& operator=(const FileFields&) = delete;

    std::uint16_t u16(std::size_t offset) { return reader_.u16(offset); }
    std::uint32_t u32(std::size_t offset) { return reader_.u32(offset); }
    std::uint64_t u64(std::size_t offset) {
        if (offset > size_ || size_ - offset < 8) {
            return 0;
        }
        return std::uint64_t{reader_.u32(offset)} | std::uint64_t{reader_.u32(offset + 4)} << 32;
    }
    std::int64_t s64(std::size_t offset) { return static_cast<std::int64_t>(u64(offset)); }

  private:
    std::size_t size_;
    // The reader marks a field cut off on the line it builds; a file has none.
    char noLine_[1] = {};
    LineWriter line_;
    ByteReader reader_;
};

// The CRC-32 of zlib, PNG and zip over `bytes`, going on from `crc`, the
// CRC-32 of the bytes before them (0 for none).
std::uint32_t crc32Of(std::span<const std::uint8_t> bytes, std::uint32_t crc = 0);

// Writes `width` bytes of `value`, low byte first, at `offset` of `bytes`,
// when they fit there.
inline void putLittleEndian(std::span<std::uint8_t> bytes, std::size_t offset, std::size_t width,
                            std::uint64_t value) {
    if (offset > bytes.size() || width > bytes.size() - offset) {
        return;
    }
    for (std::size_t i = 0; i < width; ++i) {
        bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

}  // namespace ambertap
