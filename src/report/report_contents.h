// What a report holds besides its diagrams, taken from the first pass of each
// input's ladder builder, and how much of it the report draws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "ladder_builder.h"
#include "record_sink.h"
#include "report.h"
#include "traced_record.h"

namespace ambertap {

// What a report draws at most, so that a browser opens it: diagrams, and the
// messages in them, counted in the order of the calls table. The first
// diagram is always drawn; DATA_B3 folds and runs of no call are counted, so
// that even a long one stays small.
struct ReportBounds {
    std::size_t diagrams = 500;
    std::uint64_t messages = 20000;
};
inline constexpr ReportBounds reportBounds{};

// How many diagrams of each input a report draws: every diagram, in order,
// up to the first that would take the report past one of its bounds.
std::vector<std::size_t> drawnDiagrams(const std::vector<const LadderBuilder*>& inputs,
                                       ReportBounds bounds);

// What an input's first pass saw of the input itself.
class InputTally {
  public:
    InputTally(const TraceSource& trace, bool driverTrace);

    void record(const TracedRecord& record);
    ladder::InputFacts facts(const LadderBuilder& builder) const;

  private:
    std::string name_;
    bool driverTrace_;
    bool capture_;
    bool saved_;
    SavedTraceFacts savedFacts_;
    std::uint64_t bytes_ = 0;
    std::int64_t firstSeen_ = 0;
    std::int64_t lastSeen_ = 0;
    TimePrecision precision_ = TimePrecision::none;
};

// Adds an input's findings, calls and messages of no call; of its diagrams
// the first `drawn` are drawn. `input` counts from 1.
void addSurvey(ladder::ReportContents& contents, const LadderBuilder& builder, std::size_t input,
               std::size_t drawn, ReportBounds bounds);

}  // namespace ambertap
