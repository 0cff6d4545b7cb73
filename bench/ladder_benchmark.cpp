// What a ladder diagram costs for each message it holds: laying it out,
// writing it as a text ladder, and writing it into a report, for the demo
// call (its DATA_B3 run folded) and for one long call of 10,000 messages,
// none of them folded. The report's size for each message is a counter.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "layout.h"
#include "report.h"
#include "text_ladder.h"

namespace {

using namespace ambertap::ladder;

struct Step {
    const char* name;
    const char* parameters;
    bool put;
    Fold fold;
    std::uint32_t bytes;
};

// The demo call's messages, as samples/outgoing_data_call.hex has them.
constexpr Step demoCall[] = {
    {"CONNECT_REQ", "1 0002 [81 0301234567] [01 80 4711] [] [] B[HDLC Frm, ISO 7776, Transp]", true,
     Fold::never, 0},
    {"CONNECT_CONF", "00000101 0000", false, Fold::never, 0},
    {"CONNECT_ACTIVE_IND", "00000101 [01 80 0301234567]", false, Fold::never, 0},
    {"CONNECT_ACTIVE_RESP", "00000101", true, Fold::never, 0},
    {"CONNECT_B3_REQ", "00000101", true, Fold::never, 0},
    {"CONNECT_B3_CONF", "00010101 0000", false, Fold::never, 0},
    {"CONNECT_B3_ACTIVE_IND", "", false, Fold::never, 0},
    {"CONNECT_B3_ACTIVE_RESP", "", true, Fold::never, 0},
    {"DATA_B3_REQ", "", true, Fold::dataBlock, 128},
    {"DATA_B3_CONF", "", false, Fold::dataAnswer, 0},
    {"DATA_B3_REQ", "", true, Fold::dataBlock, 64},
    {"DATA_B3_CONF", "", false, Fold::dataAnswer, 0},
    {"DATA_B3_IND", "", false, Fold::dataBlock, 42},
    {"DATA_B3_RESP", "", true, Fold::dataAnswer, 0},
    {"INFO_IND", "00000101 4000 Charging Units=2", false, Fold::never, 0},
    {"INFO_RESP", "00000101", true, Fold::never, 0},
    {"DISCONNECT_B3_REQ", "", true, Fold::never, 0},
    {"DISCONNECT_B3_CONF", "", false, Fold::never, 0},
    {"DISCONNECT_B3_IND", "00010101 0000", false, Fold::never, 0},
    {"DISCONNECT_B3_RESP", "00010101", true, Fold::never, 0},
    {"DISCONNECT_REQ", "00000101", true, Fold::never, 0},
    {"DISCONNECT_CONF", "00000101 0000", false, Fold::never, 0},
    {"INFO_IND", "00000101 0008 Cause=80 90", false, Fold::never, 0},
    {"INFO_RESP", "00000101", true, Fold::never, 0},
    {"DISCONNECT_IND", "00000101 3490", false, Fold::never, 0},
    {"DISCONNECT_RESP", "00000101", true, Fold::never, 0},
};

// Each message's decode as `show --full` gives the demo call's: its line and
// about four parameter lines.
Arrow arrowOf(const Step& step, std::uint64_t record) {
    Arrow arrow;
    arrow.record = record;
    arrow.applId = 1;
    arrow.put = step.put;
    arrow.name = step.name;
    arrow.parameters = step.parameters;
    arrow.partner = record % 2 == 1 ? record + 1 : record - 1;
    arrow.fold = step.fold;
    arrow.dataBytes = step.bytes;
    arrow.decode = {std::string(step.put ? "Put  14 0001 0002 " : "Get  14 0001 0002 ") +
                        step.name + ' ' + step.parameters,
                    "  PLCI: 00000101 (controller 1, PLCI 01)", "  Info: 0000 (no error)",
                    "  B protocol: 00 00 00 00 00 00 00 00 00",
                    "    B1 protocol: 0000 (64 kbit/s with HDLC framing)"};
    return arrow;
}

Diagram demoDiagram() {
    Diagram diagram({1, {1}, 0x0101, "outgoing"});
    std::uint64_t record = 2;
    for (const Step& step : demoCall) {
        diagram.add(arrowOf(step, ++record));
    }
    return diagram;
}

Diagram longDiagram() {
    Diagram diagram({1, {1}, 0x0101, "outgoing"});
    for (std::uint64_t record = 1; record <= 10000; ++record) {
        diagram.add(arrowOf(demoCall[record % 2 == 1 ? 14 : 15], record));
    }
    return diagram;
}

const Diagram& diagramOf(const benchmark::State& state) {
    static const Diagram demo = demoDiagram();
    static const Diagram long_ = longDiagram();
    return state.range(0) == 0 ? demo : long_;
}

void setCounters(benchmark::State& state, const Diagram& diagram) {
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * diagram.messages()));
    state.SetLabel(state.range(0) == 0 ? "demo call" : "10,000 messages");
}

void layout(benchmark::State& state) {
    const Diagram& diagram = diagramOf(state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(layOut(diagram));
    }
    setCounters(state, diagram);
}
BENCHMARK(layout)->Arg(0)->Arg(1);

void textLadder(benchmark::State& state) {
    const Diagram& diagram = diagramOf(state);
    std::FILE* out = std::fopen("/dev/null", "w");
    for (auto _ : state) {
        TextLadder ladder(out, 100);
        ladder.write(diagram);
        benchmark::DoNotOptimize(ladder.finish());
    }
    std::fclose(out);
    setCounters(state, diagram);
}
BENCHMARK(textLadder)->Arg(0)->Arg(1);

long reportBytes(const Diagram& diagram) {
    std::FILE* out = std::tmpfile();
    ReportWriter writer(out);
    writer.diagram(diagram);
    static_cast<void>(writer.finish());
    const long size = std::ftell(out);
    std::fclose(out);
    return size;
}

// A diagram's section of a report: its SVG and its messages' decodes.
void reportDiagram(benchmark::State& state) {
    const Diagram& diagram = diagramOf(state);
    std::FILE* out = std::fopen("/dev/null", "w");
    for (auto _ : state) {
        ReportWriter writer(out);
        writer.diagram(diagram);
        benchmark::DoNotOptimize(writer.finish());
    }
    std::fclose(out);
    setCounters(state, diagram);
    state.counters["bytes/message"] =
        static_cast<double>(reportBytes(diagram)) / static_cast<double>(diagram.messages());
}
BENCHMARK(reportDiagram)->Arg(0)->Arg(1);

}  // namespace
