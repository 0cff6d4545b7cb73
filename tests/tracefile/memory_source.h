// An input held in memory, handed out in pieces of a chosen size, that can
// fail to read after a chosen number of bytes.
#pragma once

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>

#include "record_cursor.h"
#include "trace_input.h"

namespace ambertap::testing {

class MemorySource final : public ByteSource {
  public:
    explicit MemorySource(std::string_view bytes, std::size_t piece = SIZE_MAX,
                          std::size_t failAt = SIZE_MAX)
        : bytes_(bytes), piece_(piece), failAt_(failAt) {}

    std::ptrdiff_t read(std::uint8_t* into, std::size_t room) override {
        if (at_ >= failAt_) {
            errno = EACCES;
            return -1;
        }
        const std::size_t count = std::min({room, piece_, bytes_.size() - at_, failAt_ - at_});
        std::copy_n(bytes_.data() + at_, count, into);
        at_ += count;
        return static_cast<std::ptrdiff_t>(count);
    }

  private:
    std::string_view bytes_;
    std::size_t piece_;
    std::size_t failAt_;
    std::size_t at_ = 0;
};

// What one walk of an input through all its blocks gave.
struct Walk {
    InputStatus status = InputStatus::end;
    std::string records;  // the blocks one after another
    std::size_t blocks = 0;
    std::string fault;  // a block that breaks the blocks' rules, if any
};

// Whether the block ends where a record ends.
inline bool holdsWholeRecords(const RecordBlock& block) {
    return wholeRecordsEnd({block.data, block.size}) == block.size;
}

inline Walk walk(TraceInput& input) {
    Walk result;
    RecordBlock block;
    bool cutBefore = false;
    while ((result.status = input.next(block)) == InputStatus::ready) {
        if (block.offset != result.records.size() || block.size == 0 || cutBefore) {
            result.fault = "block " + std::to_string(result.blocks) + " breaks a rule";
        }
        cutBefore = !holdsWholeRecords(block);
        result.records.append(reinterpret_cast<const char*>(block.data), block.size);
        ++result.blocks;
    }
    return result;
}

inline std::string bytesOf(std::string_view hex) {
    std::istringstream words{std::string(hex)};
    std::string bytes;
    for (unsigned value = 0; words >> std::hex >> value;) {
        bytes += static_cast<char>(value);
    }
    return bytes;
}

}  // namespace ambertap::testing
