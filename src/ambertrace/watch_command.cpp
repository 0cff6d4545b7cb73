#include "watch_command.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "call_model.h"
#include "call_views.h"
#include "capture_session.h"
#include "capture_writer.h"
#include "driver_trace.h"
#include "file_system.h"
#include "record_command.h"
#include "record_cursor.h"
#include "record_pipeline.h"
#include "record_views.h"
#include "session_clock.h"
#include "trace_device.h"

namespace ambertap {

namespace {

// The system's clock, which also asks the capture to stop once a time set
// on it has come.
class StopOnClock final : public SessionClock {
  public:
    explicit StopOnClock(SessionClock& clock) : clock_(clock) {}

    std::int64_t utcMilliseconds() override { return clock_.utcMilliseconds(); }
    std::int64_t steadyMilliseconds() override { return clock_.steadyMilliseconds(); }
    void waitUntil(std::int64_t until) override { clock_.waitUntil(std::min(until, stopAt_)); }
    bool stopAsked() override {
        return clock_.stopAsked() || clock_.steadyMilliseconds() >= stopAt_;
    }

    bool stopSet() const { return stopAt_ != INT64_MAX; }
    void stopIn(std::int64_t delay) { stopAt_ = clock_.steadyMilliseconds() + delay; }

  private:
    SessionClock& clock_;
    std::int64_t stopAt_ = INT64_MAX;
};

// Only errors and warnings end a capture.
const char* foundText(Severity severity) {
    return severity == Severity::error ? "an error" : "a warning";
}

// check's findings of the records watched. Each is written once the poll
// that proved it has been handed on, in the order of their proofs rather
// than of their records as check of a file orders them: a person watching
// sees a fault when it is certain. The first finding of --stop-on's severity
// or worse ends the capture stopOnDelay later.
class LiveCheck final : public RecordSink, private CallModelListener {
  public:
    LiveCheck(const std::string& name, std::FILE* out, const CommandLine& line, StopOnClock& clock,
              ErrorStreamObserver& observer)
        : writer_(name.c_str(), out, line.json ? CheckFormat::json : CheckFormat::text),
          shown_(line.check),
          stopOn_(line.stopOn),
          clock_(clock),
          observer_(observer) {}

    RecordNeeds needs() const override { return {false, true}; }
    int record(const TracedRecord& record) override {
        model_.add(record);
        return 0;
    }
    int gap(const CaptureGap& gap) override {
        model_.addGap(gap);
        return 0;
    }
    int flush() override { return shown_ ? writer_.finish() : 0; }
    int endTrace() override {
        model_.finish();
        return flush();
    }

    const CheckCounts& counts() const { return writer_.counts(); }

  private:
    void takeCall(const Call&) override {}
    void takeFinding(const Finding& finding) override {
        if (shown_) {
            writer_.takeFinding(finding);
        }
        if (endsCapture(finding.severity()) && !clock_.stopSet()) {
            clock_.stopIn(stopOnDelay);
            observer_.tell(std::string("check found ") + foundText(finding.severity()) +
                           " at record " + std::to_string(finding.subject.record) +
                           ": the capture ends in " + std::to_string(stopOnDelay / 1000) + " s");
        }
    }
    bool endsCapture(Severity severity) const {
        return stopOn_ == StopOn::error     ? severity == Severity::error
               : stopOn_ == StopOn::warning ? severity != Severity::note
                                            : false;
    }

    FindingsWriter writer_;
    CallModel model_{*this};
    bool shown_;
    StopOn stopOn_;
    StopOnClock& clock_;
    ErrorStreamObserver& observer_;
};

// The capture's records and gaps into the capture file with --save, then
// down the record pipeline to the view: a view that cannot write leaves the
// file whole up to there. The progress line makes way for what the view
// writes.
class WatchSink final : public CaptureSink {
  public:
    WatchSink(RecordPipeline& pipeline, CaptureWriter* file, ErrorStreamObserver& observer)
        : pipeline_(pipeline), file_(file), observer_(observer) {}

    bool records(std::span<const std::uint8_t> records, std::int64_t seenAt,
                 std::uint32_t read) override {
        if (file_ != nullptr && !file_->records(records, seenAt, read)) {
            return fileFailed();
        }
        kept_.records += countRecords(records);
        kept_.bytes += records.size();
        observer_.clearProgress();
        viewError_ = pipeline_.records(records, offset_, seenAt, TimePrecision::milliseconds);
        offset_ += records.size();
        return viewError_ == 0;
    }
    bool gap(const CaptureGap& gap) override {
        if (file_ != nullptr && !file_->gap(gap)) {
            return fileFailed();
        }
        ++kept_.gaps;
        observer_.clearProgress();
        viewError_ = pipeline_.gap(gap);
        return viewError_ == 0;
    }
    bool between(std::int64_t now, std::int64_t nextRead) override {
        return file_ == nullptr || file_->between(now, nextRead) || fileFailed();
    }

    // The session's counts, but for what a failed view ended it with: the
    // records and gaps that were handed on all the same, as the file keeps them.
    CaptureCounts counted(CaptureCounts counts) const {
        counts.records = kept_.records;
        counts.bytes = kept_.bytes;
        counts.gaps = kept_.gaps;
        return counts;
    }
    bool fileHasFailed() const { return fileFailed_; }
    int viewError() const { return viewError_; }

  private:
    bool fileFailed() {
        fileFailed_ = true;
        return false;
    }

    RecordPipeline& pipeline_;
    CaptureWriter* file_;
    ErrorStreamObserver& observer_;
    std::uint64_t offset_ = 0;
    CaptureCounts kept_;
    bool fileFailed_ = false;
    int viewError_ = 0;
};

void reportViewFailure(int error, std::FILE* err) {
    std::fprintf(err, "ambertrace: standard output: cannot write: %s\n", std::strerror(error));
}

}  // namespace

int watchTrace(const CommandLine& line, DeviceSystem& system, const Streams& streams) {
    const std::string& saveTo = line.saveTo;
    SystemSessionClock systemClock;
    StopOnClock clock(systemClock);
    const CaptureSettings settings = captureSettingsOf(line);
    GrowingFile file;
    CaptureWriter writer(file, clock);
    if (!saveTo.empty() &&
        !beginCaptureFile(saveTo, line.force, settings, clock, file, writer, streams.err)) {
        return traceExitFailure;
    }
    ErrorStreamObserver observer("watching", saveTo, streams.err);
    // Findings name the records as the saved file numbers them.
    LiveCheck check(saveTo.empty() ? traceDeviceName : saveTo, streams.out, line, clock, observer);
    std::unique_ptr<RecordSink> view;
    std::vector<RecordSink*> sinks;
    if (!line.check) {
        view = makeShowView(line, streams.out);
        sinks.push_back(view.get());
    }
    if (line.check || line.stopOn != StopOn::never) {
        sinks.push_back(&check);
    }
    RecordPipeline pipeline(sinks, filterOf(line));
    int viewError = pipeline.beginTrace({traceDeviceName, false, nullptr, true});
    WatchSink sink(pipeline, saveTo.empty() ? nullptr : &writer, observer);
    CaptureSession session(system, traceDeviceName, settings, clock, sink, observer);
    const CaptureEnd end = viewError == 0 ? session.run() : CaptureEnd::sinkFailed;
    observer.clearProgress();
    viewError = viewError != 0 ? viewError : sink.viewError();
    if (end == CaptureEnd::firstReadFailed) {
        // Nothing was read: the capture leaves nothing behind.
        if (!saveTo.empty()) {
            file.discard();
        }
        return traceExitFailure;
    }
    if (viewError == 0) {
        viewError = pipeline.endTrace();
    }
    int exitCode = session.counts().failedReads > 0 ? traceExitFailure : traceExitSuccess;
    if (sink.fileHasFailed() || (!saveTo.empty() && !writer.finish())) {
        reportCaptureWriteFailure(saveTo, writer, streams.err);
        exitCode = traceExitFailure;
    }
    if (viewError != 0) {
        reportViewFailure(viewError, streams.err);
        exitCode = traceExitFailure;
    }
    std::fprintf(streams.err, "ambertrace: watched %s\n",
                 captureCountsText(sink.counted(session.counts()), saveTo).c_str());
    return line.check ? endCheck(check.counts(), line.json, exitCode, streams) : exitCode;
}

}  // namespace ambertap
