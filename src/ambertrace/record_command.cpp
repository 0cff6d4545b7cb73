#include "record_command.h"

#include <cstring>
#include <string>

#include "capture_session.h"
#include "capture_writer.h"
#include "driver_trace.h"
#include "file_system.h"
#include "save_command.h"
#include "session_clock.h"
#include "trace_device.h"

namespace ambertap {

namespace {

// A redirected standard error gets the progress once a minute.
constexpr std::int64_t redirectedProgressPeriod = 60000;

void appendCount(std::string& text, std::uint64_t count, const char* one, const char* many) {
    text += std::to_string(count);
    text += count == 1 ? one : many;
}

// "28 messages (531 bytes) to t.atr in 2.0 s, 1 gap"
std::string countsText(const CaptureCounts& counts, const std::string& name) {
    std::string text;
    appendCount(text, counts.records, " message (", " messages (");
    appendCount(text, counts.bytes, " byte) to ", " bytes) to ");
    text += name;
    char time[48];
    std::snprintf(time, sizeof time, " in %lld.%lld s, ",
                  static_cast<long long>(counts.elapsed / 1000),
                  static_cast<long long>(counts.elapsed % 1000 / 100));
    text += time;
    appendCount(text, counts.gaps, " gap", " gaps");
    if (counts.failedReads > 0) {
        text += ", ";
        appendCount(text, counts.failedReads, " read failed", " reads failed");
    }
    return text;
}

// What the capture tells on standard error: each state once, when it
// begins, and a line of progress, rewritten in place on a terminal.
class ErrorStreamObserver final : public CaptureObserver {
  public:
    ErrorStreamObserver(std::string name, std::FILE* err)
        : name_(std::move(name)), err_(err), terminal_(isTerminal(err)) {}

    void readFailed(const DeviceFailure& failure, std::size_t size) override {
        clearProgress();
        reportReadFailure(failure, size, err_);
    }
    void readsWorkAgain(std::uint32_t failed) override {
        tell("reads work again after " + std::to_string(failed) +
             (failed == 1 ? " failed" : " failed in a row"));
    }
    void clearFailed(const DeviceFailure& failure) override {
        tell(std::string("the driver failed the clear request: ") +
             describe(SystemError{failure.error}) + " (error " + std::to_string(failure.error) +
             "); the trace is cleared at a later read");
    }
    void pastBound() override {
        tell("the trace is longer than the largest read, " + std::to_string(largestTraceRead) +
             " bytes: the records past it are not seen until it is cleared (--clear)");
    }
    void dropping() override {
        tell("the driver reports more trace than it returned: it is dropping messages");
    }
    void progress(const CaptureCounts& counts) override {
        const std::string text = "ambertrace: recording: " + countsText(counts, name_);
        if (terminal_) {
            clearProgress();
            std::fprintf(err_, "\r%s", text.c_str());
            std::fflush(err_);
            shown_ = text.size();
        } else if (counts.elapsed >= nextRedirected_) {
            if (nextRedirected_ > 0) {
                std::fprintf(err_, "%s\n", text.c_str());
            }
            nextRedirected_ += redirectedProgressPeriod;
        }
    }

    // The progress line makes way for the summary.
    void clearProgress() {
        if (shown_ > 0) {
            std::fprintf(err_, "\r%*s\r", static_cast<int>(shown_), "");
            shown_ = 0;
        }
    }

  private:
    void tell(const std::string& what) {
        clearProgress();
        std::fprintf(err_, "ambertrace: %s: %s\n", traceDeviceName, what.c_str());
    }

    std::string name_;
    std::FILE* err_;
    bool terminal_;
    std::size_t shown_ = 0;
    std::int64_t nextRedirected_ = 0;
};

CaptureSettings settingsOf(const CommandLine& line) {
    CaptureSettings settings;
    if (line.interval != 0) {
        settings.interval = static_cast<std::uint32_t>(line.interval);
    }
    settings.duration = static_cast<std::int64_t>(line.duration) * 1000;
    settings.records = line.records;
    if (line.clear) {
        // The command line holds --clear-at to the largest read.
        settings.clearAt =
            line.clearAt != 0 ? static_cast<std::size_t>(line.clearAt) : defaultClearAt;
    }
    return settings;
}

void reportWriteFailure(const std::string& name, const CaptureWriter& writer, std::FILE* err) {
    std::fprintf(err, "ambertrace: %s: %s: %s\n", name.c_str(), reasonOf(writer.failedStep()),
                 describe(writer.error()).c_str());
}

bool createCapture(const std::string& name, bool force, GrowingFile& file, std::FILE* err) {
    const WriteOutcome outcome = file.create(name.c_str(), force);
    if (outcome.failedStep == WriteStep::exists) {
        std::fprintf(err, "ambertrace: %s: already exists; use --force to replace it\n",
                     name.c_str());
        return false;
    }
    if (!outcome.succeeded()) {
        std::fprintf(err, "ambertrace: %s: cannot create: %s\n", name.c_str(),
                     describe(outcome.error).c_str());
        return false;
    }
    return true;
}

}  // namespace

int recordTrace(const CommandLine& line, DeviceSystem& system, const Streams& streams) {
    const std::string& name = line.files.front();
    GrowingFile file;
    if (!createCapture(name, line.force, file, streams.err)) {
        return traceExitFailure;
    }
    SystemSessionClock clock;
    CaptureWriter writer(file, clock);
    const CaptureSettings settings = settingsOf(line);
    CaptureFacts facts;
    facts.startedAt = clock.utcMilliseconds();
    facts.interval = settings.interval;
    facts.clearAt = static_cast<std::uint32_t>(settings.clearAt);
    if (!writer.begin(facts)) {
        reportWriteFailure(name, writer, streams.err);
        file.discard();
        return traceExitFailure;
    }
    ErrorStreamObserver observer(name, streams.err);
    CaptureSession session(system, traceDeviceName, settings, clock, writer, observer);
    const CaptureEnd end = session.run();
    observer.clearProgress();
    if (end == CaptureEnd::firstReadFailed) {
        // Nothing was read: the capture leaves nothing behind.
        file.discard();
        return traceExitFailure;
    }
    if (end == CaptureEnd::sinkFailed || !writer.finish()) {
        reportWriteFailure(name, writer, streams.err);
        return traceExitFailure;
    }
    std::fprintf(streams.err, "ambertrace: recorded %s\n",
                 countsText(session.counts(), name).c_str());
    return session.counts().failedReads > 0 ? traceExitFailure : traceExitSuccess;
}

}  // namespace ambertap
