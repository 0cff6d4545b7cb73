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

std::string captureCountsText(const CaptureCounts& counts, const std::string& name) {
    std::string text;
    appendCount(text, counts.records, " message (", " messages (");
    appendCount(text, counts.bytes, " byte)", " bytes)");
    if (!name.empty()) {
        text += " to ";
        text += name;
    }
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

ErrorStreamObserver::ErrorStreamObserver(const char* doing, std::string name, std::FILE* err)
    : doing_(doing), name_(std::move(name)), err_(err), terminal_(isTerminal(err)) {}

void ErrorStreamObserver::readFailed(const DeviceFailure& failure, std::size_t size) {
    clearProgress();
    reportReadFailure(failure, size, err_);
}

void ErrorStreamObserver::readsWorkAgain(std::uint32_t failed) {
    tellOfDevice("reads work again after " + std::to_string(failed) +
                 (failed == 1 ? " failed" : " failed in a row"));
}

void ErrorStreamObserver::clearFailed(const DeviceFailure& failure) {
    tellOfDevice(std::string("the driver failed the clear request: ") +
                 describe(SystemError{failure.error}) + " (error " + std::to_string(failure.error) +
                 "); the trace is cleared at a later read");
}

void ErrorStreamObserver::pastBound() {
    tellOfDevice("the trace is longer than the largest read, " + std::to_string(largestTraceRead) +
                 " bytes: the records past it are not seen until it is cleared (--clear)");
}

void ErrorStreamObserver::dropping() {
    tellOfDevice("the driver reports more trace than it returned: it is dropping messages");
}

void ErrorStreamObserver::progress(const CaptureCounts& counts) {
    const std::string text =
        std::string("ambertrace: ") + doing_ + ": " + captureCountsText(counts, name_);
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

void ErrorStreamObserver::clearProgress() {
    if (shown_ > 0) {
        std::fprintf(err_, "\r%*s\r", static_cast<int>(shown_), "");
        shown_ = 0;
    }
}

void ErrorStreamObserver::tell(const std::string& what) {
    clearProgress();
    std::fprintf(err_, "ambertrace: %s\n", what.c_str());
}

void ErrorStreamObserver::tellOfDevice(const std::string& what) {
    tell(std::string(traceDeviceName) + ": " + what);
}

CaptureSettings captureSettingsOf(const CommandLine& line) {
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

void reportCaptureWriteFailure(const std::string& name, const CaptureWriter& writer,
                               std::FILE* err) {
    std::fprintf(err, "ambertrace: %s: %s: %s\n", name.c_str(), reasonOf(writer.failedStep()),
                 describe(writer.error()).c_str());
}

bool beginCaptureFile(const std::string& name, bool force, const CaptureSettings& settings,
                      SessionClock& clock, GrowingFile& file, CaptureWriter& writer,
                      std::FILE* err) {
    if (!createCapture(name, force, file, err)) {
        return false;
    }
    CaptureFacts facts;
    facts.startedAt = clock.utcMilliseconds();
    facts.interval = settings.interval;
    facts.clearAt = static_cast<std::uint32_t>(settings.clearAt);
    if (!writer.begin(facts)) {
        reportCaptureWriteFailure(name, writer, err);
        file.discard();
        return false;
    }
    return true;
}

int recordTrace(const CommandLine& line, DeviceSystem& system, const Streams& streams) {
    const std::string& name = line.files.front();
    GrowingFile file;
    SystemSessionClock clock;
    CaptureWriter writer(file, clock);
    const CaptureSettings settings = captureSettingsOf(line);
    if (!beginCaptureFile(name, line.force, settings, clock, file, writer, streams.err)) {
        return traceExitFailure;
    }
    ErrorStreamObserver observer("recording", name, streams.err);
    CaptureSession session(system, traceDeviceName, settings, clock, writer, observer);
    const CaptureEnd end = session.run();
    observer.clearProgress();
    if (end == CaptureEnd::firstReadFailed) {
        // Nothing was read: the capture leaves nothing behind.
        file.discard();
        return traceExitFailure;
    }
    if (end == CaptureEnd::sinkFailed || !writer.finish()) {
        reportCaptureWriteFailure(name, writer, streams.err);
        return traceExitFailure;
    }
    std::fprintf(streams.err, "ambertrace: recorded %s\n",
                 captureCountsText(session.counts(), name).c_str());
    return session.counts().failedReads > 0 ? traceExitFailure : traceExitSuccess;
}

}  // namespace ambertap
