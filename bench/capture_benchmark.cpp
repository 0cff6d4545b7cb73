// What a capture costs: one poll of a driver whose 64 KiB trace has not
// changed (the read and the comparison with what was kept), appending a
// block of records to the capture file, and taking it to the disk.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "bench_traces.h"
#include "capture_writer.h"
#include "fake_device_system.h"
#include "growing_read.h"
#include "trace_file.h"
#include "trace_follower.h"

namespace {

using ambertap::bench::Bytes;

constexpr std::size_t driverTrace = 64 * 1024;

Bytes sampleTrace(std::size_t size) {
    return ambertap::bench::repeatedRecords(
        ambertap::bench::recordsOfListing(AMBERTAP_OUTGOING_DATA_CALL_LISTING), size);
}

void PollOfAnUnchangedTrace(benchmark::State& state) {
    ambertap::testing::FakeDeviceSystem driver;
    driver.trace = sampleTrace(driverTrace);
    ambertap::GrowingRead reader(ambertap::driverTraceBufferSize, ambertap::largestTraceRead);
    ambertap::TraceFollower follower;
    follower.take(reader.read(driver, "\\\\.\\OV7100D").bytes);
    for (auto _ : state) {
        driver.calls.clear();
        const ambertap::WholeRead read = reader.read(driver, "\\\\.\\OV7100D");
        const ambertap::FollowStep step = follower.take(read.bytes);
        benchmark::DoNotOptimize(step.records.size());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(driver.trace.size()));
}
BENCHMARK(PollOfAnUnchangedTrace)->Unit(benchmark::kMicrosecond);

class StillClock final : public ambertap::SessionClock {
  public:
    std::int64_t utcMilliseconds() override { return 0; }
    std::int64_t steadyMilliseconds() override { return 0; }
    void waitUntil(std::int64_t) override {}
    bool stopAsked() override { return false; }
};

std::string capturePath() {
    const char* folder = std::getenv("TMPDIR");
    return std::string(folder != nullptr ? folder : "/tmp") + "/ambertrace_capture_benchmark.atr";
}

// A block of `state.range(0)` record bytes, written to the file; with
// `toDisk`, flushed to the disk after each.
void appendBlocks(benchmark::State& state, bool toDisk) {
    const Bytes records = sampleTrace(static_cast<std::size_t>(state.range(0)));
    const std::string path = capturePath();
    ambertap::GrowingFile file;
    if (!file.create(path.c_str(), true).succeeded()) {
        state.SkipWithError("cannot create the capture file");
        return;
    }
    StillClock clock;
    ambertap::CaptureWriter writer(file, clock);
    writer.begin({});
    ambertap::SystemError error;
    for (auto _ : state) {
        if (!writer.records(records, 0, 1) || (toDisk && !file.flushToDisk(error))) {
            state.SkipWithError("cannot write the capture file");
            break;
        }
    }
    writer.finish();
    std::remove(path.c_str());
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(records.size()));
}

// 82 bytes: what a voice call traces in 20 ms; 4 KiB: a second of it.
void AppendBlock(benchmark::State& state) {
    appendBlocks(state, false);
}
BENCHMARK(AppendBlock)->Arg(82)->Arg(4096)->Unit(benchmark::kMicrosecond);

void AppendBlockToTheDisk(benchmark::State& state) {
    appendBlocks(state, true);
}
BENCHMARK(AppendBlockToTheDisk)->Arg(4096)->Unit(benchmark::kMicrosecond);

}  // namespace
