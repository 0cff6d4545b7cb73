// The report: one HTML5 document that needs nothing beside it (no script, no
// file or address outside it), written as it goes so that it never holds
// more than one diagram. In order: the inputs' facts, the findings, the
// table of the calls, then one section a diagram. It holds no time of its
// own making: the same inputs give the same bytes on every machine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "diagram.h"
#include "markup_output.h"

namespace ambertap::ladder {

struct InputFacts {
    std::string name;  // as given on the command line
    std::string when;  // "saved 2026-12-09 20:41:30 UTC"; empty when the input does not say
    std::uint64_t records = 0;
    std::uint64_t bytes = 0;
    std::uint64_t gaps = 0;
    bool moreData = false;  // the driver had more than it returned
};

struct FindingEntry {
    std::size_t input = 1;
    std::uint64_t record = 0;
    Severity severity = Severity::note;
    std::string text;
    bool drawn = true;  // its message's arrow is in the report, to link to
};

// A call as `calls` gives it, each part already written out.
struct CallEntry {
    std::size_t input = 1;
    std::uint64_t call = 0;  // its number, as in `calls`
    std::string direction;
    std::string numbers;
    std::string service;  // and bearer
    std::string connected;
    std::string data;  // the B3 connections' data
    std::string ending;
    std::string notDrawn;  // why its diagram is not in the report; empty when it is
};

// An application's messages of no call on a controller, counted.
struct NoCallEntry {
    std::size_t input = 1;
    std::uint16_t applId = 0;
    std::uint8_t controller = 0;
    std::uint64_t messages = 0;
    std::uint64_t firstRecord = 0;
    std::uint64_t lastRecord = 0;
    std::string notDrawn;  // as a call's
};

struct ReportContents {
    std::vector<InputFacts> inputs;
    std::vector<FindingEntry> findings;
    std::vector<CallEntry> calls;
    std::vector<NoCallEntry> noCalls;
};

class ReportWriter {
  public:
    explicit ReportWriter(std::FILE* out) : out_(out) {}

    // Everything before the diagrams.
    void begin(const ReportContents& contents);
    // The diagrams, one at a time, in the order of the calls table.
    void diagram(const Diagram& diagram);
    // Ends the document, writes what is left and flushes the stream. Returns
    // 0, or the C library's error number of the first write that failed.
    int finish();

  private:
    void writeHead(const ReportContents& contents);
    void writeInputs(const ReportContents& contents);
    void writeFindings(const ReportContents& contents);
    void writeCalls(const ReportContents& contents);

    MarkupOutput out_;
};

}  // namespace ambertap::ladder
