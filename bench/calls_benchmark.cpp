// How long `check` and `calls` take on a 10 MB record stream against the full
// view (`show --full`) of the same bytes: the outgoing data call of the
// samples folder, again and again, so that every call begins and ends.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "call_views.h"
#include "message_views.h"
#include "trace_walker.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t streamSize = 10 * 1024 * 1024;

const Bytes& stream() {
    static const Bytes bytes = [] {
        std::ifstream file(AMBERTAP_OUTGOING_DATA_CALL_TRACE, std::ios::binary);
        const Bytes call{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        Bytes all;
        while (all.size() + call.size() <= streamSize) {
            all.insert(all.end(), call.begin(), call.end());
        }
        return all;
    }();
    return bytes;
}

template <typename TakeRecord>
void walkRecords(const Bytes& bytes, TakeRecord take) {
    const std::uint8_t* const end = bytes.data() + bytes.size();
    std::uint64_t index = 1;
    for (const std::uint8_t* at = bytes.data(); at < end; ++index) {
        const ambertap::ByteView record{at, end};
        take(record, index);
        at += ambertap::recordSize(record);
    }
}

void FullView(benchmark::State& state) {
    const Bytes& bytes = stream();
    std::FILE* sink = std::fopen("/dev/null", "w");
    for (auto _ : state) {
        ambertap::ProtocolTracker protocols;
        walkRecords(bytes, [&](ambertap::ByteView record, std::uint64_t) {
            char line[ambertap::traceLineRoom];
            const std::string_view text(
                line, ambertap::formatTraceRecord(record, line, ambertap::traceLineRoom));
            benchmark::DoNotOptimize(ambertap::writeFullRecord(record, text, protocols, sink));
        });
    }
    std::fclose(sink);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(FullView)->Unit(benchmark::kMillisecond);

enum class View { check, calls };

void modelAndView(benchmark::State& state, View view) {
    const Bytes& bytes = stream();
    std::FILE* sink = std::fopen("/dev/null", "w");
    for (auto _ : state) {
        ambertap::CallModel model;
        walkRecords(bytes, [&](ambertap::ByteView record, std::uint64_t index) {
            model.add(record, index);
        });
        model.finish();
        int error = 0;
        if (view == View::check) {
            benchmark::DoNotOptimize(ambertap::writeFindings(model, "trace", sink, error));
        } else {
            error = ambertap::writeCalls(model, ambertap::CallsFormat::text, nullptr, sink);
        }
        benchmark::DoNotOptimize(error);
    }
    std::fclose(sink);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}

void Check(benchmark::State& state) {
    modelAndView(state, View::check);
}
BENCHMARK(Check)->Unit(benchmark::kMillisecond);

void Calls(benchmark::State& state) {
    modelAndView(state, View::calls);
}
BENCHMARK(Calls)->Unit(benchmark::kMillisecond);

}  // namespace
