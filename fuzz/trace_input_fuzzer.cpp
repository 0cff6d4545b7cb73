// Any bytes go through the reader of trace inputs, arriving in pieces of a
// size the fuzzer picks, into blocks of a room it picks, refused or shown
// despite damage. The blocks must follow each other without gap, hold whole
// records except the last, give bare records back unchanged, and print.
// Sanitizers catch any read or write outside a buffer.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>

#include "trace_input.h"
#include "trace_walker.h"

namespace {

using namespace ambertap;

[[noreturn]] void fail(const char* property) {
    std::fprintf(stderr, "trace input breaks \"%s\"\n", property);
    std::abort();
}

class PieceSource final : public ByteSource {
  public:
    PieceSource(std::span<const std::uint8_t> bytes, std::size_t piece)
        : bytes_(bytes), piece_(piece) {}

    std::ptrdiff_t read(std::uint8_t* into, std::size_t room) override {
        const std::size_t count = std::min({room, piece_, bytes_.size()});
        std::copy_n(bytes_.begin(), count, into);
        bytes_ = bytes_.subspan(count);
        return static_cast<std::ptrdiff_t>(count);
    }

  private:
    std::span<const std::uint8_t> bytes_;
    std::size_t piece_;
};

// Where the whole records at the start of the block end.
std::size_t wholeRecordsEnd(const RecordBlock& block) {
    std::size_t at = 0;
    while (block.size - at >= 2 && block.size - at - 2 >= block.data[at + 1]) {
        at += 2 + block.data[at + 1];
    }
    return at;
}

std::FILE* nowhere() {
    static std::FILE* const file = std::fopen("/dev/null", "w");
    if (file == nullptr) {
        std::abort();
    }
    return file;
}

}  // namespace

// The first byte picks the piece size, the second the block room and the
// damage policy; the rest is the input.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return -1;
    }
    const std::size_t piece = data[0] == 0 ? SIZE_MAX : data[0];
    const std::size_t room = TraceInput::minimumBlockRoom + (data[1] >> 1) * 64u;
    const DamagePolicy policy = (data[1] & 1) != 0 ? DamagePolicy::show : DamagePolicy::refuse;
    const std::span<const std::uint8_t> bytes(data + 2, size - 2);

    PieceSource source(bytes, piece);
    TraceInput input(source, policy, room);
    RecordBlock block;
    InputStatus status;
    std::uint64_t offset = 0;
    bool cutBefore = false;
    while ((status = input.next(block)) == InputStatus::ready) {
        if (block.size == 0 || block.size > std::max(room, largestTraceFile)) {
            fail("a block holds 1 to its room of bytes");
        }
        if (block.offset != offset || cutBefore) {
            fail("blocks follow each other, whole records but the last");
        }
        if (input.form() == InputForm::bareRecords &&
            !std::equal(block.data, block.data + block.size,
                        bytes.begin() + static_cast<std::ptrdiff_t>(offset))) {
            fail("bare records come out unchanged");
        }
        cutBefore = wholeRecordsEnd(block) != block.size;
        offset += block.size;
        if (printTraceRecords(block.data, block.size, nowhere()) != 0) {
            fail("printing to /dev/null succeeds");
        }
    }
    if (status == InputStatus::end && input.form() == InputForm::bareRecords &&
        offset != bytes.size()) {
        fail("every bare record byte comes out");
    }
    if (status == InputStatus::readError) {
        fail("a memory source never fails");
    }
    return 0;
}
