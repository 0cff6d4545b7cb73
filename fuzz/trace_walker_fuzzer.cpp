// Any byte string that fits the trace buffer goes through the walker, and the
// printed text must still be whole lines of a known kind that fit the line
// buffer. Sanitizers catch any read outside the data or write outside a line.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "trace_walker.h"

namespace {

constexpr std::size_t traceBufferSize = 10000;
// The line buffer holds the line and its terminator; the newline is written apart.
constexpr std::size_t longestLine = ambertap::traceLineRoom - 1;

[[noreturn]] void fail(const char* property, std::string_view line) {
    std::fprintf(stderr, "walker output breaks \"%s\" in line \"%.*s\"\n", property,
                 static_cast<int>(line.size()), line.data());
    std::abort();
}

bool startsWithKnownWord(std::string_view line) {
    return line.starts_with("Put ") || line.starts_with("Get ") || line.starts_with("?? ");
}

void checkLines(std::string_view output) {
    if (output.empty()) {
        fail("a trace of one byte or more prints a line", output);
    }
    while (!output.empty()) {
        const std::size_t newline = output.find('\n');
        if (newline == std::string_view::npos) {
            fail("every line ends with a newline", output);
        }
        const std::string_view line = output.substr(0, newline);
        if (line.size() > longestLine) {
            fail("a line has at most 399 characters", line);
        }
        if (!startsWithKnownWord(line)) {
            fail("a line starts with \"Put \", \"Get \" or \"?? \"", line);
        }
        if (line.find('\0') != std::string_view::npos) {
            fail("a line holds no NUL character", line);
        }
        output.remove_prefix(newline + 1);
    }
}

struct FreeText {
    void operator()(char* text) const { std::free(text); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The walker is never called without data, and the read never returns more
    // than the buffer holds.
    if (size == 0 || size > traceBufferSize) {
        return -1;
    }
    char* text = nullptr;
    std::size_t length = 0;
    std::FILE* captured = open_memstream(&text, &length);
    if (captured == nullptr) {
        std::abort();
    }
    if (ambertap::printTraceRecords(data, size, captured) != 0) {
        std::abort();  // a memory stream takes every write
    }
    std::fclose(captured);
    const std::unique_ptr<char, FreeText> owned(text);
    checkLines(std::string_view(text, length));
    return 0;
}
