#include "trace_inputs.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "block_output.h"
#include "driver_trace.h"
#include "file_system.h"
#include "record_pipeline.h"
#include "trace_device.h"
#include "trace_input.h"

namespace ambertap {

namespace {

// A message on `err`; a pass that reads an input again passes none, so that
// what its first pass said is not said twice.
[[gnu::format(printf, 2, 3)]] void tell(std::FILE* err, const char* format, ...) {
    if (err == nullptr) {
        return;
    }
    va_list arguments;
    va_start(arguments, format);
    std::vfprintf(err, format, arguments);
    va_end(arguments);
}

void reportUnwritable(int error, std::FILE* err) {
    tell(err, "ambertrace: standard output: cannot write: %s\n", std::strerror(error));
}

int viewDriverTrace(RecordPipeline& pipeline, DeviceSystem& system, const Streams& streams) {
    const auto trace = std::make_unique<DriverTrace>();
    if (!readDriverTrace(system, *trace, streams.err)) {
        return traceExitFailure;
    }
    const TraceSource source{traceDeviceName, false, nullptr};
    int error = pipeline.beginTrace(source);
    if (error == 0) {
        error = pipeline.records(trace->bytes(), 0, trace->readAt, TimePrecision::milliseconds);
    }
    if (error == 0) {
        error = pipeline.endTrace();
    }
    if (error != 0) {
        reportUnwritable(error, streams.err);
        return traceExitFailure;
    }
    if (trace->pastBound()) {
        tell(streams.err,
             "ambertrace: %s: the trace is longer than %lu bytes: the rest was not read\n",
             traceDeviceName, static_cast<unsigned long>(largestTraceRead));
    } else if (trace->read.moreThanReturned) {
        tell(streams.err,
             "ambertrace: %s: the driver reported more trace than it returned: it may "
             "have dropped messages\n",
             traceDeviceName);
    }
    return traceExitSuccess;
}

enum class InputOutcome { shown, failed, unwritable };

struct InputOptions {
    bool damaged = false;       // show a damaged input all the same
    bool oneOfSeveral = false;  // there are several inputs
};

// The name of an input as messages and headers give it.
std::string displayName(const std::string& name) {
    return name == standardStreamName ? "standard input" : name;
}

// "==> FILE <==" before each input, and an empty line between them, when
// there is more than one.
int writeInputHeader(const std::string& name, bool first, std::FILE* out) {
    const std::string header = (first ? "==> " : "\n==> ") + displayName(name) + " <==\n";
    return writeBytes(out, header.data(), header.size());
}

void reportFinding(const std::string& name, const char* severity, const TraceInput& input,
                   std::FILE* err) {
    const InputFinding& finding = input.finding();
    if (finding.line != 0) {
        tell(err, "ambertrace: %s:%lu: %s%s\n", displayName(name).c_str(),
             static_cast<unsigned long>(finding.line), severity, describe(finding).text);
    } else {
        tell(err, "ambertrace: %s: %s%s\n", displayName(name).c_str(), severity,
             describe(finding).text);
    }
}

// What went wrong with an input; an input shown despite its damage counts as
// failed once it is shown.
InputOutcome reportFailure(const std::string& name, InputStatus status, const TraceInput& input,
                           std::FILE* err) {
    if (status == InputStatus::readError) {
        tell(err, "ambertrace: %s: cannot read: %s\n", displayName(name).c_str(),
             std::strerror(input.finding().error));
    } else {
        reportFinding(name, "", input, err);
    }
    return InputOutcome::failed;
}

void noteTraceFileFacts(const std::string& name, const TraceInput& input, std::FILE* err) {
    if (input.form() == InputForm::traceFile && input.facts().moreData()) {
        tell(err,
             "ambertrace: %s: the driver's trace was longer than %lu bytes when it was "
             "saved: the rest was not read\n",
             displayName(name).c_str(), static_cast<unsigned long>(driverTraceBufferSize));
    }
}

// Damage told before the records (a trace file's, a capture's header) is not
// told again after them.
InputOutcome showBlocks(const std::string& name, TraceInput& input, RecordPipeline& pipeline,
                        bool damageTold, std::FILE* err, std::FILE* writeErr) {
    const FeedOutcome fed = feedInput(input, pipeline);
    if (fed.writeError != 0) {
        reportUnwritable(fed.writeError, writeErr);
        return InputOutcome::unwritable;
    }
    if (fed.status != InputStatus::end) {
        return reportFailure(name, fed.status, input, err);
    }
    if (input.shownDespiteDamage()) {
        if (!damageTold) {
            reportFinding(name, "warning: shown despite damage: ", input, err);
        }
        return InputOutcome::failed;
    }
    // A capture still being written, or one that was killed, ends inside a
    // block: what it holds whole is shown, and the cut is no success.
    if (input.lastBlockCut()) {
        reportFinding(name, "warning: ", input, err);
        return InputOutcome::failed;
    }
    return InputOutcome::shown;
}

SavedTraceFacts savedTraceFacts(const TraceFileFacts& facts) {
    return {facts.version.major, facts.version.minor, facts.savedAt, facts.moreData(),
            facts.recordBytes};
}

InputOutcome showSource(const std::string& name, ByteSource& source, RecordPipeline& pipeline,
                        const InputOptions& options, std::FILE* err, std::FILE* writeErr) {
    TraceInput input(source, options.damaged ? DamagePolicy::show : DamagePolicy::refuse);
    if (const InputStatus status = input.start(); status != InputStatus::ready) {
        return reportFailure(name, status, input, err);
    }
    const bool damageTold = input.shownDespiteDamage();
    if (damageTold) {
        reportFinding(name, "warning: shown despite damage: ", input, err);
    }
    const SavedTraceFacts facts = savedTraceFacts(input.facts());
    const bool traceFile = input.form() == InputForm::traceFile;
    const TraceSource trace{name.c_str(), options.oneOfSeveral, traceFile ? &facts : nullptr,
                            input.form() == InputForm::capture};
    if (const int error = pipeline.beginTrace(trace); error != 0) {
        reportUnwritable(error, writeErr);
        return InputOutcome::unwritable;
    }
    const InputOutcome outcome = showBlocks(name, input, pipeline, damageTold, err, writeErr);
    if (outcome == InputOutcome::unwritable) {
        return outcome;
    }
    noteTraceFileFacts(name, input, err);
    // What the trace held is still worth its view when the input failed.
    if (const int error = pipeline.endTrace(); error != 0) {
        reportUnwritable(error, writeErr);
        return InputOutcome::unwritable;
    }
    return outcome;
}

InputOutcome showInput(const std::string& name, RecordPipeline& pipeline,
                       const InputOptions& options, const Streams& streams) {
    if (name == standardStreamName) {
        useBinaryMode(streams.in);
        FileByteSource source(streams.in);
        return showSource(name, source, pipeline, options, streams.err, streams.err);
    }
    SystemError error;
    std::FILE* file = openForReading(name.c_str(), error);
    if (file == nullptr) {
        tell(streams.err, "ambertrace: %s: cannot open: %s\n", name.c_str(),
             describe(error).c_str());
        return InputOutcome::failed;
    }
    FileByteSource source(file);
    const InputOutcome outcome =
        showSource(name, source, pipeline, options, streams.err, streams.err);
    std::fclose(file);
    return outcome;
}

}  // namespace

int viewTraces(const std::vector<std::string>& files, const InputChoices& choices,
               RecordPipeline& pipeline, DeviceSystem& system, const Streams& streams) {
    if (files.empty()) {
        return viewDriverTrace(pipeline, system, streams);
    }
    int exitCode = traceExitSuccess;
    const InputOptions options{choices.damaged, files.size() > 1};
    for (std::size_t index = 0; index < files.size(); ++index) {
        const std::string& name = files[index];
        if (choices.headers && options.oneOfSeveral) {
            if (const int error = writeInputHeader(name, index == 0, streams.out); error != 0) {
                reportUnwritable(error, streams.err);
                return traceExitFailure;
            }
        }
        const InputOutcome outcome = showInput(name, pipeline, options, streams);
        if (outcome == InputOutcome::unwritable) {
            return traceExitFailure;
        }
        if (outcome != InputOutcome::shown) {
            exitCode = traceExitFailure;
        }
    }
    return exitCode;
}

namespace {

// Standard input, copied whole so that each pass reads the same bytes.
std::FILE* copyOfStandardInput(const Streams& streams) {
    useBinaryMode(streams.in);
    SystemError error;
    std::FILE* copy = openScratchFile(error);
    if (copy == nullptr) {
        std::fprintf(streams.err, "ambertrace: standard input: cannot make a temporary copy: %s\n",
                     describe(error).c_str());
        return nullptr;
    }
    char block[64 * 1024];
    std::size_t got = 0;
    while ((got = std::fread(block, 1, sizeof block, streams.in)) > 0) {
        if (std::fwrite(block, 1, got, copy) != got) {
            std::fprintf(streams.err, "ambertrace: standard input: cannot copy: %s\n",
                         std::strerror(errno));
            std::fclose(copy);
            return nullptr;
        }
    }
    if (std::ferror(streams.in) != 0 || std::fflush(copy) != 0) {
        std::fprintf(streams.err, "ambertrace: standard input: cannot read: %s\n",
                     std::strerror(errno));
        std::fclose(copy);
        return nullptr;
    }
    return copy;
}

// Where the passes over an input read it from: the file again for each
// pass, or standard input's copy rewound.
std::FILE* openPass(const std::string& name, std::FILE* copy, std::FILE* err) {
    if (copy != nullptr) {
        std::rewind(copy);
        return copy;
    }
    SystemError error;
    std::FILE* file = openForReading(name.c_str(), error);
    if (file == nullptr) {
        std::fprintf(err, "ambertrace: %s: cannot open: %s\n", name.c_str(),
                     describe(error).c_str());
    }
    return file;
}

// The passes over one input in one round; only the first pass of the first
// round tells of its damage, and a later pass that cannot open it fails the run.
InputOutcome passesOverInput(const std::string& name, std::FILE* copy, bool firstRound,
                             RecordPipeline& pipeline, InputPasses& passes,
                             const InputOptions& options, std::FILE* err) {
    InputOutcome first = InputOutcome::shown;
    for (bool firstPass = true;; firstPass = false) {
        const bool telling = firstPass && firstRound;
        std::FILE* file = openPass(name, copy, err);
        if (file == nullptr) {
            return telling ? InputOutcome::failed : InputOutcome::unwritable;
        }
        FileByteSource source(file);
        const InputOutcome outcome =
            showSource(name, source, pipeline, options, telling ? err : nullptr, err);
        if (file != copy) {
            std::fclose(file);
        }
        if (firstPass) {
            first = outcome;
        }
        if (outcome == InputOutcome::unwritable) {
            return outcome;
        }
        if (!passes.anotherPass()) {
            return firstRound ? first : InputOutcome::shown;
        }
    }
}

int passesOverDriverTrace(RecordPipeline& pipeline, InputPasses& passes, DeviceSystem& system,
                          const Streams& streams) {
    const auto trace = std::make_unique<DriverTrace>();
    if (!readDriverTrace(system, *trace, streams.err)) {
        return traceExitFailure;
    }
    const TraceSource source{traceDeviceName, false, nullptr};
    do {
        if (!passes.beginInput(0)) {
            continue;
        }
        do {
            int error = pipeline.beginTrace(source);
            if (error == 0) {
                error =
                    pipeline.records(trace->bytes(), 0, trace->readAt, TimePrecision::milliseconds);
            }
            if (error == 0) {
                error = pipeline.endTrace();
            }
            if (error != 0) {
                reportUnwritable(error, streams.err);
                return traceExitFailure;
            }
        } while (passes.anotherPass());
    } while (passes.anotherRound());
    if (trace->pastBound() || trace->read.moreThanReturned) {
        tell(streams.err,
             "ambertrace: %s: the driver had more trace than was read: the rest is not shown\n",
             traceDeviceName);
    }
    return traceExitSuccess;
}

// The copies of standard input, made in the first round and read in every
// round; closed with the run.
class StandardInputCopies {
  public:
    explicit StandardInputCopies(std::size_t inputs) : copies_(inputs, nullptr) {}
    StandardInputCopies(const StandardInputCopies&) = delete;
    StandardInputCopies& operator=(const StandardInputCopies&) = delete;
    ~StandardInputCopies() {
        for (std::FILE* copy : copies_) {
            if (copy != nullptr) {
                std::fclose(copy);
            }
        }
    }

    std::FILE*& of(std::size_t index) { return copies_[index]; }

  private:
    std::vector<std::FILE*> copies_;
};

}  // namespace

int viewTracesInPasses(const std::vector<std::string>& files, const InputChoices& choices,
                       RecordPipeline& pipeline, InputPasses& passes, DeviceSystem& system,
                       const Streams& streams) {
    if (files.empty()) {
        return passesOverDriverTrace(pipeline, passes, system, streams);
    }
    int exitCode = traceExitSuccess;
    const InputOptions options{choices.damaged, files.size() > 1};
    StandardInputCopies copies(files.size());
    for (bool firstRound = true;; firstRound = false) {
        for (std::size_t index = 0; index < files.size(); ++index) {
            const std::string& name = files[index];
            if (!passes.beginInput(index)) {
                continue;
            }
            std::FILE*& copy = copies.of(index);
            if (name == standardStreamName && firstRound) {
                copy = copyOfStandardInput(streams);
                if (copy == nullptr) {
                    exitCode = traceExitFailure;
                    continue;
                }
            } else if (name == standardStreamName && copy == nullptr) {
                continue;  // its copy could not be made: told in the first round
            }
            const InputOutcome outcome =
                passesOverInput(name, copy, firstRound, pipeline, passes, options, streams.err);
            if (outcome == InputOutcome::unwritable) {
                return traceExitFailure;
            }
            if (outcome != InputOutcome::shown) {
                exitCode = traceExitFailure;
            }
        }
        if (!passes.anotherRound()) {
            return exitCode;
        }
    }
}

}  // namespace ambertap
