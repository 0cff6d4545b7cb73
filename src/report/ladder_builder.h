// The ladder diagrams of a trace's calls, built in passes over the trace so
// that no pass holds the trace. The first pass runs the call model for the
// calls, the findings and the few facts that come late; each later pass runs
// the model again for each record's place and its pair partner, fills the
// diagrams and hands each one out as soon as it and every diagram before it
// are complete, in the order of the calls table: the diagrams of calls as
// their first calls began, then those of the messages of no call.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "call_model.h"
#include "diagram.h"
#include "traced_record.h"

namespace ambertap {

// Where the diagrams go, one at a time.
class DiagramOutput {
  public:
    virtual ~DiagramOutput() = default;
    virtual void diagram(const ladder::Diagram& diagram) = 0;
};

struct LadderBounds {
    // Diagrams a pass holds at once: the next ones to hand out, in order. A
    // diagram further on is drawn by a later pass, which reads the trace
    // again; on traces of calls one after another, one drawing pass does.
    std::size_t heldDiagrams = 64;
    // Records that a message waits for its place and its partner before it
    // is drawn; a place or partner that comes later was noted by the first
    // pass.
    std::uint64_t partnerWindow = 1024;
};
inline constexpr LadderBounds ladderBounds{};

// A call as the first pass saw it, for the calls table and the diagrams.
struct SurveyedCall {
    Call call;
    std::size_t diagram = 0;  // index among the diagrams
};

struct SurveyedFinding {
    Finding finding;
    std::string text;
    // The diagram its message is drawn in; unknownDiagram when the message's
    // place came more than the look-back before the finding.
    std::size_t diagram = unknownDiagram;

    static constexpr std::size_t unknownDiagram = SIZE_MAX;
};

// A finding's severity as a ladder marks it.
ladder::Severity ladderSeverity(Severity severity);

// One diagram's own facts: its calls (none for messages of no call), its
// controller and PLCI or its application and controller, and its last record.
struct DiagramPlan {
    ladder::DiagramFacts facts;
    std::uint16_t applId = 0;     // of a diagram of no call
    std::uint8_t controller = 0;  // of a diagram of no call
    std::uint64_t firstRecord = 0;
    std::uint64_t lastRecord = 0;
    std::uint64_t messages = 0;  // that it draws, folded or not
};

class LadderBuilder {
  public:
    explicit LadderBuilder(std::size_t input, LadderBounds bounds = ladderBounds);
    LadderBuilder(const LadderBuilder&) = delete;
    LadderBuilder& operator=(const LadderBuilder&) = delete;
    ~LadderBuilder();

    // A pass over the trace: every record in order, each with its line and
    // message, and the gaps between them. The first pass surveys and hands
    // out nothing; each later one hands `out` the diagrams it completes, and
    // takes no more records and gaps than the first took, should the trace
    // have grown since. A capture's arrows show their times.
    void beginPass(DiagramOutput& out, bool capture);
    void record(const TracedRecord& record);
    void gap(const CaptureGap& gap);
    // Ends a pass. Returns whether another pass is needed.
    bool endPass();

    // Draws only the first `count` diagrams, once the first pass has ended;
    // the rest are never built.
    void drawOnly(std::size_t count) { drawn_ = count; }
    // Whether a diagram to draw is not handed out yet.
    bool diagramsLeft() const { return nextDiagram_ < std::min(plans_.size(), drawn_); }

    // What the first pass found, once it has ended.
    const std::vector<SurveyedCall>& calls() const { return calls_; }
    const std::vector<SurveyedFinding>& findings() const { return findings_; }
    const std::vector<NoCallMessages>& noCalls() const { return noCalls_; }
    const std::vector<DiagramPlan>& plans() const { return plans_; }
    std::uint64_t records() const { return surveyedRecords_; }
    std::uint64_t gaps() const { return surveyedGaps_; }

  private:
    class Survey;
    class Drawing;

    void planDiagrams(const CallModel& model);

    std::size_t input_;
    LadderBounds bounds_;
    bool capture_ = false;
    std::size_t pass_ = 0;
    std::uint64_t gapsThisPass_ = 0;
    DiagramOutput* out_ = nullptr;

    // From the first pass.
    std::vector<SurveyedCall> calls_;  // by number, from 1
    std::vector<SurveyedFinding> findings_;
    std::multimap<std::uint64_t, ladder::Mark> marks_;
    std::vector<NoCallMessages> noCalls_;
    std::vector<DiagramPlan> plans_;
    std::unordered_map<std::uint32_t, std::size_t> noCallDiagram_;  // by application, controller
    std::unordered_map<std::uint64_t, RecordPlace> latePlaces_;
    std::unordered_map<std::uint64_t, std::uint64_t> lateAnswers_;  // request -> answer
    std::uint64_t surveyedRecords_ = 0;
    std::uint64_t surveyedGaps_ = 0;

    std::unique_ptr<Survey> survey_;
    std::unique_ptr<Drawing> drawing_;
    std::size_t nextDiagram_ = 0;  // the first not handed out yet
    std::size_t drawn_ = SIZE_MAX;
};

}  // namespace ambertap
