// How long the full and JSON views of a 10 MB record stream take against the
// lines alone, on the same bytes: the outgoing data call of the samples folder
// and the golden trace with every message kind, again and again.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "message_views.h"
#include "trace_walker.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t streamSize = 10 * 1024 * 1024;

Bytes readFile(const char* path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// Whole copies of the traces one after the other, up to 10 MB.
const Bytes& stream() {
    static const Bytes bytes = [] {
        const Bytes call = readFile(AMBERTAP_OUTGOING_DATA_CALL_TRACE);
        const Bytes kinds = readFile(AMBERTAP_EVERY_MESSAGE_KIND_TRACE);
        Bytes all;
        while (all.size() + call.size() + kinds.size() <= streamSize) {
            all.insert(all.end(), call.begin(), call.end());
            all.insert(all.end(), kinds.begin(), kinds.end());
        }
        return all;
    }();
    return bytes;
}

enum class View { lines, full, json };

void showStream(benchmark::State& state, View view) {
    const Bytes& bytes = stream();
    std::FILE* sink = std::fopen("/dev/null", "w");
    for (auto _ : state) {
        ambertap::ProtocolTracker protocols;
        std::uint64_t index = 1;
        for (const std::uint8_t* at = bytes.data(); at < bytes.data() + bytes.size(); ++index) {
            const ambertap::ByteView record{at, bytes.data() + bytes.size()};
            char line[ambertap::traceLineRoom];
            const std::string_view text(
                line, ambertap::formatTraceRecord(record, line, ambertap::traceLineRoom));
            int error = 0;
            switch (view) {
                case View::lines:
                    error = std::fwrite(text.data(), 1, text.size(), sink) == text.size() &&
                                    std::fputc('\n', sink) != EOF
                                ? 0
                                : 1;
                    break;
                case View::full:
                    error = ambertap::writeFullRecord(record, text, protocols, sink);
                    break;
                case View::json:
                    error = ambertap::writeJsonRecord(record, index,
                                                      static_cast<std::uint64_t>(at - bytes.data()),
                                                      text, nullptr, protocols, sink);
                    break;
            }
            benchmark::DoNotOptimize(error);
            at += ambertap::recordSize(record);
        }
    }
    std::fclose(sink);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}

void Lines(benchmark::State& state) {
    showStream(state, View::lines);
}
BENCHMARK(Lines)->Unit(benchmark::kMillisecond);

void FullView(benchmark::State& state) {
    showStream(state, View::full);
}
BENCHMARK(FullView)->Unit(benchmark::kMillisecond);

void JsonView(benchmark::State& state) {
    showStream(state, View::json);
}
BENCHMARK(JsonView)->Unit(benchmark::kMillisecond);

}  // namespace
