#include "report_contents.h"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "arrow_texts.h"
#include "call_views.h"
#include "line_writer.h"
#include "shown_text.h"
#include "text_output.h"
#include "utc_time.h"

namespace ambertap {

namespace {

using CallPart = std::string ladder::CallEntry::*;

// Where each line of a call's block in `calls` goes in the report's table; a
// line of no prefix here goes with the line before it.
struct BlockLine {
    std::string_view prefix;
    CallPart part;
};

constexpr BlockLine blockLines[] = {
    {"  service: ", &ladder::CallEntry::service},
    {"  bearer: ", &ladder::CallEntry::service},
    {"  B protocols: ", &ladder::CallEntry::service},
    {"  called ", &ladder::CallEntry::numbers},
    {"  alerted at ", &ladder::CallEntry::connected},
    {"  answered at ", &ladder::CallEntry::connected},
    {"  connected at ", &ladder::CallEntry::connected},
    {"  not connected", &ladder::CallEntry::connected},
    {"  NCCI ", &ladder::CallEntry::data},
    {"  charge: ", &ladder::CallEntry::ending},
    {"  still going", &ladder::CallEntry::ending},
    {"  ended at ", &ladder::CallEntry::ending},
    {"  cleared by ", &ladder::CallEntry::ending},
    {"  cause: ", &ladder::CallEntry::ending},
};

CallPart partOf(std::string_view line, CallPart before) {
    for (const BlockLine& entry : blockLines) {
        if (line.starts_with(entry.prefix)) {
            return entry.part;
        }
    }
    return before;
}

void addPiece(std::string& part, std::string_view line) {
    const std::size_t text = line.find_first_not_of(' ');
    if (text == std::string_view::npos) {
        return;
    }
    if (!part.empty()) {
        part += "; ";
    }
    part += line.substr(text);
}

// A call's row, in the words of its block in `calls`.
ladder::CallEntry entryOf(const Call& call, std::size_t input) {
    ladder::CallEntry entry;
    entry.input = input;
    entry.call = call.number;
    entry.direction = directionText(call.direction);
    if (call.begunBeforeTrace) {
        entry.direction += ", begun before the trace";
    }
    TextOutput block(nullptr);
    writeCallBlock(block, call);
    std::string_view lines = block.held();
    CallPart part = &ladder::CallEntry::ending;
    // The first line, the call's header, is the diagram's.
    for (std::size_t end = lines.find('\n'); end != std::string_view::npos;
         end = lines.find('\n')) {
        lines.remove_prefix(end + 1);
        const std::string_view line = lines.substr(0, lines.find('\n'));
        if (line.empty()) {
            continue;
        }
        part = partOf(line, part);
        addPiece(entry.*part, line);
    }
    return entry;
}

std::string notDrawnText(ReportBounds bounds) {
    return "the report draws at most " + ladder::decimal(bounds.diagrams) + " diagrams and " +
           ladder::decimal(bounds.messages) + " messages";
}

// "2026-12-10 09:51:18.107", or "2026-12-09 20:41:30" of a time known to the second.
std::string utcText(std::int64_t milliseconds, TimePrecision precision) {
    char text[utcTimeWidth + 1];
    LineWriter line(text, sizeof text);
    writeUtcTime(milliseconds, precision, line);
    const std::size_t shown = precision == TimePrecision::seconds ? 19 : line.length();
    return std::string(text, std::min<std::size_t>(shown, line.length()));
}

}  // namespace

std::vector<std::size_t> drawnDiagrams(const std::vector<const LadderBuilder*>& inputs,
                                       ReportBounds bounds) {
    std::vector<std::size_t> drawn(inputs.size(), 0);
    std::size_t diagrams = 0;
    std::uint64_t messages = 0;
    for (std::size_t input = 0; input < inputs.size(); ++input) {
        if (inputs[input] == nullptr) {
            continue;
        }
        for (const DiagramPlan& plan : inputs[input]->plans()) {
            if (plan.messages == 0) {
                ++drawn[input];  // drawn as nothing: its place in the order only
                continue;
            }
            const bool first = diagrams == 0;
            if (!first &&
                (diagrams + 1 > bounds.diagrams || messages + plan.messages > bounds.messages)) {
                return drawn;
            }
            ++diagrams;
            messages += plan.messages;
            ++drawn[input];
        }
    }
    return drawn;
}

InputTally::InputTally(const TraceSource& trace, bool driverTrace)
    : name_(std::strcmp(trace.name, "-") == 0 ? "standard input" : trace.name),
      driverTrace_(driverTrace),
      capture_(trace.capture),
      saved_(trace.facts != nullptr),
      savedFacts_(trace.facts != nullptr ? *trace.facts : SavedTraceFacts{}) {}

void InputTally::record(const TracedRecord& record) {
    bytes_ += record.bytes.size();
    if (record.index == 1) {
        firstSeen_ = record.seenAt;
        precision_ = record.precision;
    }
    lastSeen_ = record.seenAt;
}

ladder::InputFacts InputTally::facts(const LadderBuilder& builder) const {
    ladder::InputFacts facts;
    facts.name = name_;
    facts.records = builder.records();
    facts.bytes = bytes_;
    facts.gaps = builder.gaps();
    facts.moreData = saved_ && savedFacts_.moreData;
    if (saved_) {
        facts.when =
            "saved " + utcText(savedFacts_.savedAt * 1000, TimePrecision::seconds) + " UTC";
    } else if (facts.records > 0 && capture_) {
        facts.when = "captured " + utcText(firstSeen_, precision_) + " to " +
                     utcText(lastSeen_, precision_) + " UTC";
    } else if (facts.records > 0 && driverTrace_) {
        facts.when = "read " + utcText(firstSeen_, precision_) + " UTC";
    }
    return facts;
}

void addSurvey(ladder::ReportContents& contents, const LadderBuilder& builder, std::size_t input,
               std::size_t drawn, ReportBounds bounds) {
    const std::string notDrawn = notDrawnText(bounds);
    const auto drawnDiagram = [&](std::size_t diagram) { return diagram < drawn; };
    for (const SurveyedCall& surveyed : builder.calls()) {
        ladder::CallEntry entry = entryOf(surveyed.call, input);
        if (!drawnDiagram(surveyed.diagram)) {
            entry.notDrawn = notDrawn;
        }
        contents.calls.push_back(std::move(entry));
    }
    // The diagrams of messages of no call follow the calls', in the order of
    // the groups.
    const std::vector<DiagramPlan>& plans = builder.plans();
    std::size_t group = 0;
    for (std::size_t index = 0; index < plans.size(); ++index) {
        if (!plans[index].facts.calls.empty()) {
            continue;
        }
        const NoCallMessages& messages = builder.noCalls().at(group++);
        if (messages.kinds.empty()) {
            continue;
        }
        ladder::NoCallEntry entry;
        entry.input = input;
        entry.applId = messages.applId;
        entry.controller = messages.controller;
        for (const NoCallMessages::Kind& kind : messages.kinds) {
            entry.messages += kind.count;
        }
        entry.firstRecord = messages.firstRecord;
        entry.lastRecord = messages.lastRecord;
        if (!drawnDiagram(index)) {
            entry.notDrawn = notDrawn;
        }
        contents.noCalls.push_back(std::move(entry));
    }
    for (const SurveyedFinding& surveyed : builder.findings()) {
        ladder::FindingEntry entry;
        entry.input = input;
        entry.record = surveyed.finding.subject.record;
        entry.severity = ladderSeverity(surveyed.finding.severity());
        entry.text = surveyed.text;
        entry.drawn = drawnDiagram(surveyed.diagram);
        contents.findings.push_back(std::move(entry));
    }
    // In record order, as `check` gives them; a finding proven late comes in its place.
    std::stable_sort(contents.findings.begin(), contents.findings.end(),
                     [](const ladder::FindingEntry& left, const ladder::FindingEntry& right) {
                         return left.input < right.input ||
                                (left.input == right.input && left.record < right.record);
                     });
}

}  // namespace ambertap
