#include "ladder_commands.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "file_system.h"
#include "ladder_builder.h"
#include "record_pipeline.h"
#include "report.h"
#include "report_contents.h"
#include "save_command.h"
#include "text_ladder.h"
#include "trace_inputs.h"

namespace ambertap {

namespace {

constexpr std::size_t widthOffTerminal = 100;

// Feeds each pass's records to a ladder builder of its input, and its
// diagrams to `out`. An input's diagrams are drawn right after its first
// pass, or, where the output must know every input's first pass before its
// first diagram (a report's tables come first), in a second round over the
// inputs once each had its first pass.
class LadderView : public RecordSink, public InputPasses {
  public:
    LadderView(DiagramOutput& out, bool surveyAllFirst)
        : out_(out), surveyAllFirst_(surveyAllFirst) {}

    RecordNeeds needs() const override { return {true, true}; }

    bool beginInput(std::size_t index) override {
        current_ = index;
        if (inputs_.size() <= index) {
            inputs_.resize(index + 1);
        }
        const Input& input = inputs_[index];
        return !drawingRound_ || (input.builder != nullptr && input.builder->diagramsLeft());
    }

    int beginTrace(const TraceSource& trace) override {
        Input& input = inputs_[current_];
        if (input.builder == nullptr) {
            input.builder = std::make_unique<LadderBuilder>(current_ + 1);
            input.surveying = true;
            if (const int error = beginSurvey(current_, trace); error != 0) {
                return error;
            }
        }
        input.builder->beginPass(out_, trace.capture);
        return 0;
    }

    int record(const TracedRecord& record) override {
        Input& input = inputs_[current_];
        if (input.surveying) {
            surveyRecord(record);
        }
        input.builder->record(record);
        return 0;
    }

    int gap(const CaptureGap& gap) override {
        inputs_[current_].builder->gap(gap);
        return 0;
    }

    int endTrace() override {
        Input& input = inputs_[current_];
        input.wantsPass = input.builder->endPass();
        if (input.surveying) {
            input.surveying = false;
            endSurvey(current_, *input.builder);
        }
        if (surveyAllFirst_ || input.wantsPass) {
            return 0;
        }
        const int error = endInput();
        input.builder.reset();
        return error;
    }

    bool anotherPass() override {
        return (drawingRound_ || !surveyAllFirst_) && inputs_[current_].wantsPass;
    }

    bool anotherRound() override {
        if (!surveyAllFirst_ || drawingRound_) {
            return false;
        }
        drawingRound_ = true;
        std::vector<LadderBuilder*> builders;
        for (Input& input : inputs_) {
            builders.push_back(input.builder.get());
        }
        beginDrawing(builders);
        return true;
    }

  protected:
    // What the view does as an input's first pass begins, with each record
    // of that pass, and once it has ended; once the passes over an input that
    // is drawn at once are over; and before the round that draws when every
    // input is surveyed first (a builder is null for an input not read).
    // The ints are 0, or the C library's error number of a failed write.
    virtual int beginSurvey(std::size_t index, const TraceSource& trace) = 0;
    virtual void surveyRecord(const TracedRecord&) {}
    virtual void endSurvey(std::size_t, const LadderBuilder&) {}
    virtual int endInput() { return 0; }
    virtual void beginDrawing(const std::vector<LadderBuilder*>&) {}

  private:
    struct Input {
        std::unique_ptr<LadderBuilder> builder;
        bool surveying = false;
        bool wantsPass = false;
    };

    DiagramOutput& out_;
    bool surveyAllFirst_;
    bool drawingRound_ = false;
    std::vector<Input> inputs_;
    std::size_t current_ = 0;
};

// The text ladders of each input, after "==> FILE <==" where there are several.
class TextLadderView final : public LadderView, private DiagramOutput {
  public:
    TextLadderView(const CommandLine& line, std::FILE* out)
        : LadderView(static_cast<DiagramOutput&>(*this), false),
          out_(out),
          width_(ladderWidth(line, out)) {}

  private:
    void diagram(const ladder::Diagram& diagram) override { ladder_->write(diagram); }

    int beginSurvey(std::size_t, const TraceSource& trace) override {
        if (trace.oneOfSeveral) {
            const std::string name =
                trace.name == standardStreamName ? "standard input" : trace.name;
            const std::string header = (first_ ? "==> " : "\n==> ") + name + " <==\n";
            if (const int error = writeBytes(out_, header.data(), header.size()); error != 0) {
                return error;
            }
        }
        first_ = false;
        ladder_ = std::make_unique<ladder::TextLadder>(out_, width_);
        return 0;
    }

    int endInput() override {
        const int error = ladder_->finish();
        ladder_.reset();
        return error;
    }

    std::FILE* out_;
    std::size_t width_;
    bool first_ = true;
    std::unique_ptr<ladder::TextLadder> ladder_;
};

// The report: its tables once every input had its first pass, then each
// diagram as it comes.
class ReportView final : public LadderView, private DiagramOutput {
  public:
    ReportView(std::FILE* out, const std::vector<std::string>& files)
        : LadderView(static_cast<DiagramOutput&>(*this), true), writer_(out), files_(files) {}

    // Writes the report's tables if no input was read to write them, ends
    // the document and flushes. Returns 0, or the C library's error number
    // of the first write that failed.
    int finish() {
        if (!begun_) {
            beginDrawing({});
        }
        return writer_.finish();
    }

  private:
    void diagram(const ladder::Diagram& diagram) override { writer_.diagram(diagram); }

    int beginSurvey(std::size_t, const TraceSource& trace) override {
        tally_.emplace(trace, files_.empty());
        return 0;
    }

    void surveyRecord(const TracedRecord& record) override { tally_->record(record); }

    void endSurvey(std::size_t index, const LadderBuilder& builder) override {
        if (surveyed_.size() <= index) {
            surveyed_.resize(index + 1);
        }
        surveyed_[index] = tally_->facts(builder);
        tally_.reset();
    }

    // Each input's facts; one that could not be read has its name alone.
    std::vector<ladder::InputFacts> inputFacts() const {
        std::vector<ladder::InputFacts> facts = surveyed_;
        facts.resize(std::max(facts.size(), files_.size()));
        for (std::size_t index = 0; index < files_.size(); ++index) {
            if (facts[index].name.empty()) {
                facts[index].name =
                    files_[index] == standardStreamName ? "standard input" : files_[index];
                facts[index].when = "not read";
            }
        }
        return facts;
    }

    void beginDrawing(const std::vector<LadderBuilder*>& builders) override {
        begun_ = true;
        ladder::ReportContents contents;
        contents.inputs = inputFacts();
        const std::vector<const LadderBuilder*> read(builders.begin(), builders.end());
        const std::vector<std::size_t> drawn = drawnDiagrams(read, reportBounds);
        for (std::size_t index = 0; index < builders.size(); ++index) {
            if (builders[index] != nullptr) {
                builders[index]->drawOnly(drawn[index]);
                addSurvey(contents, *builders[index], index + 1, drawn[index], reportBounds);
            }
        }
        writer_.begin(contents);
    }

    ladder::ReportWriter writer_;
    const std::vector<std::string>& files_;
    bool begun_ = false;
    std::optional<InputTally> tally_;
    std::vector<ladder::InputFacts> surveyed_;
};

}  // namespace

std::size_t ladderWidth(const CommandLine& line, std::FILE* out) {
    if (line.width != 0) {
        return static_cast<std::size_t>(line.width);
    }
    const std::size_t columns = isTerminal(out) ? terminalColumns(out) : 0;
    if (columns == 0) {
        return widthOffTerminal;
    }
    return std::clamp<std::size_t>(columns - 1, ladder::narrowestTextLadder,
                                   ladder::widestTextLadder);
}

int ladderTraces(const CommandLine& line, DeviceSystem& system, const Streams& streams) {
    TextLadderView view(line, streams.out);
    const RecordFilter filter{static_cast<std::uint16_t>(line.appl),
                              static_cast<std::uint8_t>(line.controller)};
    RecordPipeline pipeline({&view}, filter, line.maskNumbers);
    return viewTracesInPasses(line.files, InputChoices{line.damaged, false}, pipeline, view, system,
                              streams);
}

}  // namespace ambertap

namespace ambertap {

namespace {

// The report to its file, whole or not at all, or to standard output.
class ReportTarget {
  public:
    ReportTarget(const CommandLine& line, const Streams& streams)
        : name_(line.output), force_(line.force), streams_(streams) {}

    // The stream to write; null, told, when the file cannot be made.
    std::FILE* open() {
        if (toStream()) {
            useBinaryMode(streams_.out);
            return streams_.out;
        }
        const WriteOutcome created = file_.create(name_.c_str(), force_);
        if (!created.succeeded()) {
            tellWriteFailure(name_, created, streams_.err);
            return nullptr;
        }
        return file_.stream();
    }

    // Gives the written file its name, or tells why it was not written.
    // `writeError` is the C library's error number of a failed write, or 0.
    bool close(int writeError, bool keep) {
        if (writeError != 0 && toStream()) {
            std::fprintf(streams_.err, "ambertrace: standard output: cannot write: %s\n",
                         std::strerror(writeError));
            return false;
        }
        if (writeError != 0) {
            tellWriteFailure(name_, file_.failedWrite(writeError), streams_.err);
            return false;
        }
        if (toStream()) {
            return true;
        }
        if (!keep) {
            std::fprintf(streams_.err,
                         "ambertrace: %s: not written, since an input could not be read whole\n",
                         name_.c_str());
            file_.discard();
            return true;
        }
        const WriteOutcome committed = file_.commit();
        if (!committed.succeeded()) {
            tellWriteFailure(name_, committed, streams_.err);
            return false;
        }
        return true;
    }

  private:
    bool toStream() const { return name_ == standardStreamName; }

    const std::string& name_;
    bool force_;
    const Streams& streams_;
    StreamedFile file_;
};

}  // namespace

int reportTraces(const CommandLine& line, DeviceSystem& system, const Streams& streams) {
    ReportTarget target(line, streams);
    std::FILE* out = target.open();
    if (out == nullptr) {
        return traceExitFailure;
    }
    ReportView view(out, line.files);
    const RecordFilter filter{static_cast<std::uint16_t>(line.appl),
                              static_cast<std::uint8_t>(line.controller)};
    RecordPipeline pipeline({&view}, filter, line.maskNumbers);
    const int exitCode = viewTracesInPasses(line.files, InputChoices{line.damaged, false}, pipeline,
                                            view, system, streams);
    const bool keep = exitCode == traceExitSuccess || line.damaged;
    if (!target.close(view.finish(), keep)) {
        return traceExitFailure;
    }
    return exitCode;
}

}  // namespace ambertap
