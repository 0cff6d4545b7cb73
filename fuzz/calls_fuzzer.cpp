// Any byte string that fits the trace buffer is taken as a trace: its records
// go into the calls model, and `calls` (text and JSON) and `check` write what
// the model holds. The text must hold no control byte but its newlines; each
// JSON line must be one whole object of printable ASCII; `check` writes one
// line per finding it counts, each beginning with the file's name.
// Sanitizers catch any read outside the data.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "call_views.h"
#include "trace_walker.h"

namespace {

constexpr std::size_t traceBufferSize = 10000;

[[noreturn]] void fail(const char* property, std::string_view text) {
    std::fprintf(stderr, "calls views break \"%s\" in \"%.*s\"\n", property,
                 static_cast<int>(text.size()), text.data());
    std::abort();
}

struct FreeText {
    void operator()(char* text) const { std::free(text); }
};

template <typename Write>
std::unique_ptr<char, FreeText> captured(Write write, std::size_t& length) {
    char* text = nullptr;
    std::FILE* stream = open_memstream(&text, &length);
    if (stream == nullptr) {
        std::abort();
    }
    if (write(stream) != 0) {
        std::abort();  // a memory stream takes every write
    }
    std::fclose(stream);
    return std::unique_ptr<char, FreeText>(text);
}

void checkText(std::string_view text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if ((byte < 0x20 && c != '\n') || byte == 0x7f) {
            fail("the text holds no control byte but its newlines", text);
        }
    }
}

void checkJsonLines(std::string_view text) {
    while (!text.empty()) {
        const std::size_t newline = text.find('\n');
        const std::string_view line = text.substr(0, newline);
        if (!line.starts_with("{\"type\":\"") || !line.ends_with('}')) {
            fail("a JSON line is one object", line);
        }
        for (const char c : line) {
            if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7e) {
                fail("a JSON line is printable ASCII", line);
            }
        }
        text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
    }
}

void checkFindings(std::string_view text, const ambertap::CheckCounts& counts) {
    std::uint64_t lines = 0;
    for (std::size_t at = 0; at < text.size(); at = text.find('\n', at) + 1) {
        if (text.compare(at, 6, "trace:") != 0) {
            fail("a finding begins with the file's name", text.substr(at));
        }
        ++lines;
    }
    if (lines != counts.errors + counts.warnings + counts.notes) {
        fail("check writes one line per finding it counts", text);
    }
    checkText(text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0 || size > traceBufferSize) {
        return -1;
    }
    ambertap::CallModel model;
    const std::uint8_t* const end = data + size;
    std::uint64_t index = 1;
    for (const std::uint8_t* at = data; at < end; ++index) {
        const ambertap::ByteView record{at, end};
        model.add(record, index);
        at += ambertap::recordSize(record);
    }
    model.finish();

    std::size_t length = 0;
    const auto text = captured(
        [&](std::FILE* out) {
            return ambertap::writeCalls(model, ambertap::CallsFormat::text, nullptr, out);
        },
        length);
    checkText(std::string_view(text.get(), length));
    const auto json = captured(
        [&](std::FILE* out) {
            return ambertap::writeCalls(model, ambertap::CallsFormat::json, "trace", out);
        },
        length);
    checkJsonLines(std::string_view(json.get(), length));
    ambertap::CheckCounts counts;
    const auto findings = captured(
        [&](std::FILE* out) {
            int error = 0;
            counts = ambertap::writeFindings(model, "trace", out, error);
            return error;
        },
        length);
    checkFindings(std::string_view(findings.get(), length), counts);
    return 0;
}
