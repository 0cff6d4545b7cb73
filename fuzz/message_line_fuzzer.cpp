// One message of any bytes is formatted into a line of any room from 1 to 400
// characters: the text must be terminated within the room and nothing may be
// written past it. The message's bytes are the whole input, so sanitizers
// catch any read past the end of the data.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "message_line.h"
#include "trace_walker.h"

namespace {

constexpr int largestRoom = ambertap::traceLineRoom;
constexpr std::size_t guardSize = 64;
constexpr char guardByte = '\x5a';
// The first two input bytes choose the room; the rest is the message.
constexpr std::size_t roomBytes = 2;

int roomFrom(const std::uint8_t* data) {
    const int chosen = data[0] | data[1] << 8;
    return 1 + chosen % largestRoom;
}

[[noreturn]] void fail(const char* property, int room) {
    std::fprintf(stderr, "formatMessage with room %d breaks \"%s\"\n", room, property);
    std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < roomBytes) {
        return -1;
    }
    const int room = roomFrom(data);
    char line[largestRoom + guardSize];
    std::memset(line, guardByte, sizeof line);

    ambertap::formatMessage({data + roomBytes, data + size}, line, room);

    const auto roomSize = static_cast<std::size_t>(room);
    if (std::memchr(line, '\0', roomSize) == nullptr) {
        fail("the text is terminated within the room", room);
    }
    if (!std::all_of(line + roomSize, line + sizeof line, [](char c) { return c == guardByte; })) {
        fail("nothing is written past the room", room);
    }
    return 0;
}
