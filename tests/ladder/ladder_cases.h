// Diagrams for the ladder tests, built from tables of messages the way the
// call model's adapter will fill them: each message's texts as its line
// gives them and its pair partner as the model paired it. The two sample
// calls mirror samples/outgoing_data_call.hex and
// samples/incoming_voice_call.hex; the others stress the layout.
#pragma once

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "diagram.h"
#include "report.h"

namespace ambertap::ladder::testing {

// One message: its record, application, way ('>' put to CAPI, '<' got
// from it), its name and parameters, its partner's record and, for a
// DATA_B3_REQ or DATA_B3_IND, its bytes.
struct Message {
    std::uint64_t record;
    std::uint16_t applId;
    char way;
    std::string name;
    std::string parameters;
    std::uint64_t partner = 0;
    std::uint32_t dataBytes = 0;
    std::string time = {};
};

struct MarkAt {
    std::uint64_t record;
    Severity severity;
    std::string text;
};

// A gap before the message of `record`.
struct GapBefore {
    std::uint64_t record;
    std::string from;
    std::string to;
};

struct DiagramTable {
    DiagramFacts facts;
    std::vector<Message> messages;
    std::vector<MarkAt> marks = {};
    std::vector<GapBefore> gaps = {};
    Fold foldAll = Fold::never;  // Fold::noCall for a diagram of no call
};

// The diagram of a table: DATA_B3 messages fold by their names, every
// message's decode is its line and a parameter line.
Diagram diagramOf(const DiagramTable& table);

struct NamedReport {
    std::string name;
    ReportContents contents;
    std::vector<DiagramTable> diagrams;
};

// Each case's diagrams, by name, in the order the golden files list them.
struct NamedDiagram {
    std::string name;
    std::function<DiagramTable()> table;
};
const std::vector<NamedDiagram>& ladderCases();

// Names a case in a test's output.
inline void PrintTo(const NamedDiagram& named, std::ostream* out) {
    *out << named.name;
}

// Reports of the sample calls and of the stress cases.
std::vector<NamedReport> sampleReports();

}  // namespace ambertap::ladder::testing
