// Bounded reading of trace bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "line_writer.h"

namespace ambertap {

// Trace bytes from a starting point up to the end of the data the driver
// returned. Nothing past `end` is ever read.
struct ByteView {
    const std::uint8_t* begin = nullptr;
    const std::uint8_t* end = nullptr;

    std::size_t size() const { return static_cast<std::size_t>(end - begin); }
};

// A CAPI 2.0 structure parameter: one length byte, then that many content bytes.
struct Structure {
    std::size_t offset = 0;  // of the length byte
    std::size_t length = 0;

    std::size_t contentOffset() const { return offset + 1; }
    std::size_t next() const { return offset + 1 + length; }
};

// Reads the fields of one message, which may be cut off by the end of the
// data. A read that would cross the end yields 0 and closes the line being
// built with its cut-off mark, so the line shows exactly the fields that lie
// inside the data and then says that the message goes on beyond it.
class ByteReader {
  public:
    ByteReader(ByteView bytes, LineWriter& line)
        : begin_(bytes.begin), size_(bytes.size()), line_(line) {}

    std::uint8_t u8(std::size_t offset) { return holds(offset, 1) ? at(offset)[0] : 0; }

    std::uint16_t u16(std::size_t offset) {
        if (!holds(offset, 2)) {
            return 0;
        }
        const std::uint8_t* bytes = at(offset);
        return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8);
    }

    std::uint32_t u32(std::size_t offset) {
        if (!holds(offset, 4)) {
            return 0;
        }
        const std::uint8_t* bytes = at(offset);
        return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
               static_cast<std::uint32_t>(bytes[2]) << 16 |
               static_cast<std::uint32_t>(bytes[3]) << 24;
    }

    std::int32_t s32(std::size_t offset) { return static_cast<std::int32_t>(u32(offset)); }

    // The structure at `offset`, whole: a structure whose content runs past
    // the end of the data counts as cut off.
    Structure structure(std::size_t offset) {
        if (!cutOff_ && offset < size_ && at(offset)[0] < size_ - offset) {
            return Structure{offset, at(offset)[0]};
        }
        return structureCutOff(offset);
    }

    // The content bytes of a structure returned by `structure`.
    std::span<const std::uint8_t> content(const Structure& structure) const {
        if (structure.length == 0) {
            return {};
        }
        return {at(structure.contentOffset()), structure.length};
    }

  private:
    bool holds(std::size_t offset, std::size_t width) {
        if (offset <= size_ && width <= size_ - offset) {
            return true;
        }
        markCutOff();
        return false;
    }
    // Only for offsets that `holds` has let through.
    const std::uint8_t* at(std::size_t offset) const { return begin_ + offset; }
    void markCutOff();
    Structure structureCutOff(std::size_t offset);

    const std::uint8_t* begin_;
    std::size_t size_;
    LineWriter& line_;
    bool cutOff_ = false;
};

}  // namespace ambertap
