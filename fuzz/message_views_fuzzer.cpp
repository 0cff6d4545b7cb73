// Any byte string that fits the trace buffer is shown record by record in the
// full view and as JSON Lines. The full view's text must hold no control byte
// but its newlines; each JSON line must be one whole object of printable
// ASCII. Sanitizers catch any read outside the data or write outside a line.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "message_views.h"
#include "trace_walker.h"

namespace {

constexpr std::size_t traceBufferSize = 10000;

[[noreturn]] void fail(const char* property, std::string_view text) {
    std::fprintf(stderr, "message views break \"%s\" in \"%.*s\"\n", property,
                 static_cast<int>(text.size()), text.data());
    std::abort();
}

struct FreeText {
    void operator()(char* text) const { std::free(text); }
};

// Everything `show` writes to a stream, given the stream.
template <typename Show>
std::unique_ptr<char, FreeText> captured(Show show, std::size_t& length) {
    char* text = nullptr;
    std::FILE* stream = open_memstream(&text, &length);
    if (stream == nullptr) {
        std::abort();
    }
    show(stream);
    std::fclose(stream);
    return std::unique_ptr<char, FreeText>(text);
}

void checkFullView(std::string_view text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\n') || byte == 0x7f) {
            fail("the full view holds no control byte but its newlines", text);
        }
    }
}

void checkJsonLine(std::string_view line) {
    if (!line.starts_with("{\"type\":\"record\",") || !line.ends_with('}')) {
        fail("a JSON line is one record object", line);
    }
    for (const char c : line) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte > 0x7e) {
            fail("a JSON line is printable ASCII", line);
        }
    }
}

void checkJsonLines(std::string_view text, std::size_t records) {
    std::size_t lines = 0;
    while (!text.empty()) {
        const std::size_t newline = text.find('\n');
        if (newline == std::string_view::npos) {
            fail("every JSON line ends with a newline", text);
        }
        checkJsonLine(text.substr(0, newline));
        text.remove_prefix(newline + 1);
        ++lines;
    }
    if (lines != records) {
        fail("one JSON line a record", text);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0 || size > traceBufferSize) {
        return -1;
    }
    std::size_t records = 0;
    auto showAll = [&](std::FILE* stream, bool json) {
        ambertap::ProtocolTracker protocols;
        records = 0;
        for (const std::uint8_t* at = data; at < data + size; ++records) {
            const ambertap::ByteView record{at, data + size};
            char line[ambertap::traceLineRoom];
            const std::string_view text(
                line, ambertap::formatTraceRecord(record, line, ambertap::traceLineRoom));
            const int error = json ? ambertap::writeJsonRecord(
                                         record, records + 1, static_cast<std::uint64_t>(at - data),
                                         text, "trace.bin", protocols, stream)
                                   : ambertap::writeFullRecord(record, text, protocols, stream);
            if (error != 0) {
                std::abort();  // a memory stream takes every write
            }
            at += ambertap::recordSize(record);
        }
    };
    std::size_t length = 0;
    const auto full = captured([&](std::FILE* stream) { showAll(stream, false); }, length);
    checkFullView(std::string_view(full.get(), length));
    const auto json = captured([&](std::FILE* stream) { showAll(stream, true); }, length);
    checkJsonLines(std::string_view(json.get(), length), records);
    return 0;
}
