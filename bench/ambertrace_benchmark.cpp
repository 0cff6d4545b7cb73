// How long ambertrace's commands take for a long stream of bare records, read
// from a file block by block: `show` against the walker on the same bytes in
// memory, its views of every parameter against its lines, and `calls` and
// `check` against those views; on two streams: a call and a message of every
// kind, and the four sample calls, a realistic mix.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "bench_traces.h"
#include "device_system.h"
#include "run_ambertrace.h"
#include "trace_walker.h"

namespace {

using ambertap::bench::Bytes;

constexpr std::size_t streamSize = 10 * 1000 * 1000;

// The sample call and a message of every kind, over and over, about 10 MB of
// them, in memory and in a file.
std::vector<Bytes> sampleRecords() {
    std::vector<Bytes> records =
        ambertap::bench::recordsOfListing(AMBERTAP_OUTGOING_DATA_CALL_LISTING);
    const std::vector<Bytes> kinds =
        ambertap::bench::recordsOfListing(AMBERTAP_EVERY_MESSAGE_KIND_LISTING);
    records.insert(records.end(), kinds.begin(), kinds.end());
    return records;
}

// The four sample calls, one after the other.
std::vector<Bytes> sampleCalls() {
    std::vector<Bytes> records;
    for (const char* call :
         {"outgoing_data_call", "incoming_voice_call", "busy_callee", "fax_breaks_off"}) {
        const std::vector<Bytes> some = ambertap::bench::recordsOfListing(
            (std::string(AMBERTAP_SAMPLES) + "/" + call + ".hex").c_str());
        records.insert(records.end(), some.begin(), some.end());
    }
    return records;
}

struct Stream {
    Bytes bytes;
    std::string path;

    Stream(const std::vector<Bytes>& records, const char* name)
        : bytes(ambertap::bench::repeatedRecords(records, streamSize)),
          path(std::string(std::getenv("TMPDIR") != nullptr ? std::getenv("TMPDIR") : "/tmp") +
               "/ambertrace_" + name + "_benchmark.bin") {
        std::FILE* file = std::fopen(path.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size(), file);
        std::fclose(file);
    }
    ~Stream() { std::remove(path.c_str()); }
};

const Stream& stream() {
    static const Stream made(sampleRecords(), "show");
    return made;
}

const Stream& callsStream() {
    static const Stream made(sampleCalls(), "calls");
    return made;
}

void InMemoryWalk(benchmark::State& state) {
    const Bytes& bytes = stream().bytes;
    std::FILE* sink = std::fopen("/dev/null", "w");
    for (auto _ : state) {
        int error = ambertap::printTraceRecords(bytes.data(), bytes.size(), sink);
        benchmark::DoNotOptimize(error);
    }
    std::fclose(sink);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(InMemoryWalk)->Unit(benchmark::kMillisecond);

// `ambertrace COMMAND OPTIONS... FILE` with its output discarded.
void runOnStream(benchmark::State& state, const char* command,
                 std::initializer_list<const char*> options, const Stream& made) {
    std::vector<const char*> arguments{"ambertrace", command};
    arguments.insert(arguments.end(), options);
    arguments.push_back(made.path.c_str());
    const auto system = ambertap::makePlatformDeviceSystem();
    ambertap::Streams streams;
    streams.out = std::fopen("/dev/null", "w");
    streams.err = streams.out;
    for (auto _ : state) {
        int exitCode = ambertap::runAmbertrace(static_cast<int>(arguments.size()), arguments.data(),
                                               *system, streams);
        benchmark::DoNotOptimize(exitCode);
    }
    std::fclose(streams.out);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(made.bytes.size()));
}

// Each command on each stream: Lines/0 is the call and every kind, Lines/1
// the sample calls.
const Stream& streamOf(const benchmark::State& state) {
    return state.range(0) == 0 ? stream() : callsStream();
}

void ShowLines(benchmark::State& state) {
    runOnStream(state, "show", {}, streamOf(state));
}
BENCHMARK(ShowLines)->Unit(benchmark::kMillisecond)->Arg(0)->Arg(1);

void ShowFull(benchmark::State& state) {
    runOnStream(state, "show", {"--full"}, streamOf(state));
}
BENCHMARK(ShowFull)->Unit(benchmark::kMillisecond)->Arg(0)->Arg(1);

void ShowJson(benchmark::State& state) {
    runOnStream(state, "show", {"--json"}, streamOf(state));
}
BENCHMARK(ShowJson)->Unit(benchmark::kMillisecond)->Arg(0)->Arg(1);

void Calls(benchmark::State& state) {
    runOnStream(state, "calls", {}, streamOf(state));
}
BENCHMARK(Calls)->Unit(benchmark::kMillisecond)->Arg(0)->Arg(1);

void Check(benchmark::State& state) {
    runOnStream(state, "check", {}, streamOf(state));
}
BENCHMARK(Check)->Unit(benchmark::kMillisecond)->Arg(0)->Arg(1);

}  // namespace
