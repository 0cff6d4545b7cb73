// How long the decoder takes to render message lines.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "bench_traces.h"
#include "message_line.h"
#include "trace_walker.h"

namespace {

using ambertap::bench::Bytes;
using ambertap::bench::recordsOfListing;

const Bytes referenceConnectReq = {0x41, 0x00, 0x01, 0x00, 0x02, 0x80, 0x05, 0x00, 0x01, 0x00, 0x00,
                                   0x00, 0x10, 0x00, 0x07, 0x81, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36,
                                   0x09, 0x21, 0x80, 0x34, 0x39, 0x33, 0x30, 0x39, 0x38, 0x37, 0x03,
                                   0x80, 0x50, 0x51, 0x02, 0xa0, 0x37, 0x09, 0x01, 0x00, 0x01, 0x00,
                                   0x00, 0x00, 0x00, 0x00, 0x00, 0x03, 0x80, 0x90, 0xa3, 0x02, 0x88,
                                   0x90, 0x02, 0x91, 0x81, 0x05, 0x00, 0x00, 0x00, 0x00, 0x00};

// What a connection spends most of its messages on: data traffic, with the
// call set up and cleared around it.
const std::vector<Bytes> messageMix = {
    referenceConnectReq,
    {0x0e, 0x00, 0x01, 0x00, 0x02, 0x81, 0x05, 0x00, 0x01, 0x01, 0x00, 0x00, 0x00, 0x00},
    {0x1b, 0x00, 0x01, 0x00, 0x03, 0x82, 0x05, 0x00, 0x01, 0x01, 0x00, 0x00, 0x0c, 0x01,
     0x80, 0x34, 0x39, 0x33, 0x30, 0x31, 0x32, 0x33, 0x34, 0x35, 0x36, 0x00, 0x00},
    {0x16, 0x00, 0x01, 0x00, 0x86, 0x80, 0x05, 0x00, 0x01, 0x01, 0x01,
     0x00, 0x78, 0x56, 0x34, 0x12, 0x04, 0x00, 0x01, 0x00, 0x00, 0x00},
    {0x0e, 0x00, 0x01, 0x00, 0x86, 0x81, 0x05, 0x00, 0x01, 0x01, 0x01, 0x00, 0x01, 0x00},
    {0x16, 0x00, 0x01, 0x00, 0x86, 0x82, 0x05, 0x00, 0x01, 0x01, 0x01,
     0x00, 0x78, 0x56, 0x34, 0x12, 0x04, 0x00, 0x01, 0x00, 0x00, 0x00},
    {0x0e, 0x00, 0x01, 0x00, 0x86, 0x83, 0x05, 0x00, 0x01, 0x01, 0x01, 0x00, 0x01, 0x00},
    {0x13, 0x00, 0x01, 0x00, 0x08, 0x82, 0x05, 0x00, 0x01, 0x01, 0x00, 0x00, 0x00, 0x40, 0x04, 0x0c,
     0x00, 0x00, 0x00},
    {0x0e, 0x00, 0x01, 0x00, 0x04, 0x82, 0x05, 0x00, 0x01, 0x01, 0x00, 0x00, 0x90, 0x34},
    {0x0c, 0x00, 0x01, 0x00, 0x04, 0x83, 0x05, 0x00, 0x01, 0x01, 0x00, 0x00},
};

void formatOne(const Bytes& message, char* line) {
    ambertap::formatMessage(ambertap::ByteView{message.data(), message.data() + message.size()},
                            line, 396);
    benchmark::DoNotOptimize(line);
    benchmark::ClobberMemory();
}

void ReferenceConnectReq(benchmark::State& state) {
    char line[ambertap::traceLineRoom];
    for (auto _ : state) {
        formatOne(referenceConnectReq, line);
    }
}
BENCHMARK(ReferenceConnectReq);

void MessageMix(benchmark::State& state) {
    char line[ambertap::traceLineRoom];
    for (auto _ : state) {
        for (const Bytes& message : messageMix) {
            formatOne(message, line);
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(messageMix.size()));
}
BENCHMARK(MessageMix);

std::vector<Bytes> recordsOfMix() {
    std::vector<Bytes> records;
    for (std::size_t i = 0; i < messageMix.size(); ++i) {
        Bytes record{static_cast<std::uint8_t>(i % 2 ? 1 : 2),
                     static_cast<std::uint8_t>(messageMix[i].size())};
        record.insert(record.end(), messageMix[i].begin(), messageMix[i].end());
        records.push_back(record);
    }
    return records;
}

// The records over and over, as many whole ones as the tool's 10000-byte
// trace buffer holds.
Bytes fullTraceBuffer(const std::vector<Bytes>& records) {
    return ambertap::bench::repeatedRecords(records, 10000);
}

// A full trace buffer walked and printed to a discarding stream.
void walkFullTraceBuffer(benchmark::State& state, const std::vector<Bytes>& records) {
    const Bytes trace = fullTraceBuffer(records);
    std::FILE* sink = std::fopen("/dev/null", "w");
    for (auto _ : state) {
        int error = ambertap::printTraceRecords(trace.data(), trace.size(), sink);
        benchmark::DoNotOptimize(error);
    }
    std::fclose(sink);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(trace.size()));
}

void FullTraceBuffer(benchmark::State& state) {
    walkFullTraceBuffer(state, recordsOfMix());
}
BENCHMARK(FullTraceBuffer);

// The outgoing data call of the samples folder, the same calls again and again.
void FullOutgoingDataCallBuffer(benchmark::State& state) {
    walkFullTraceBuffer(state, recordsOfListing(AMBERTAP_OUTGOING_DATA_CALL_LISTING));
}
BENCHMARK(FullOutgoingDataCallBuffer);

}  // namespace
