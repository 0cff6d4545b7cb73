#include "capture_session.h"

#include <algorithm>
#include <climits>

#include "record_cursor.h"
#include "trace_file.h"

namespace ambertap {

CaptureSession::CaptureSession(DeviceSystem& system, const char* deviceName,
                               const CaptureSettings& settings, SessionClock& clock,
                               CaptureSink& sink, CaptureObserver& observer)
    : system_(system),
      deviceName_(deviceName),
      settings_(settings),
      clock_(clock),
      sink_(sink),
      observer_(observer),
      reader_(driverTraceBufferSize, largestTraceRead) {}

CaptureEnd CaptureSession::run() {
    startedAt_ = clock_.steadyMilliseconds();
    const std::int64_t deadline =
        settings_.duration > 0 ? startedAt_ + settings_.duration : INT64_MAX;
    std::int64_t next = startedAt_;
    for (;;) {
        const std::int64_t now = clock_.steadyMilliseconds();
        const bool stopAsked = clock_.stopAsked();
        const bool stopping = stopAsked || now >= deadline;
        const Poll polled = poll(stopping);
        counts_.elapsed = clock_.steadyMilliseconds() - startedAt_;
        observer_.progress(counts_);
        if (polled == Poll::sinkFailed) {
            return CaptureEnd::sinkFailed;
        }
        if (polled == Poll::failed && counts_.reads == 1) {
            return CaptureEnd::firstReadFailed;
        }
        if (limitReached()) {
            return CaptureEnd::recordsKept;
        }
        if (stopping) {
            return stopAsked ? CaptureEnd::stopAsked : CaptureEnd::durationOver;
        }
        // Reads keep their rhythm; one that took longer than the interval is
        // followed by the next at once.
        next = std::max(next + settings_.interval, now);
        const std::int64_t until = std::min(next, deadline);
        if (!sink_.between(clock_.steadyMilliseconds(), until)) {
            return CaptureEnd::sinkFailed;
        }
        clock_.waitUntil(until);
    }
}

bool CaptureSession::limitReached() const {
    return settings_.records > 0 && counts_.records >= settings_.records;
}

CaptureSession::Poll CaptureSession::poll(bool stopping) {
    const std::int64_t started = clock_.utcMilliseconds();
    const WholeRead read = reader_.read(system_, deviceName_);
    const std::int64_t ended = clock_.utcMilliseconds();
    ++counts_.reads;
    if (read.status == WholeRead::Status::failed) {
        ++counts_.failedReads;
        if (failedInRow_++ == 0) {
            observer_.readFailed(read.failure, read.requestSize);
        }
        return Poll::failed;
    }
    if (failedInRow_ > 0) {
        observer_.readsWorkAgain(failedInRow_);
        failedInRow_ = 0;
    }
    tellReadState(read);
    const FollowStep step = follower_.take(read.bytes);
    const std::span<const std::uint8_t> kept = withinCount(step.records);
    // The records past the count stay in the driver: no clear takes them.
    const bool cleared = kept.size() == step.records.size() && clearAtOnce(read.bytes, stopping);
    const std::int64_t clearedAt = clock_.utcMilliseconds();
    if (step.broken) {
        const CaptureGap gap{static_cast<std::uint32_t>(GapKind::certain), lastReadStarted_, ended,
                             lastRead_, counts_.reads};
        if (!sink_.gap(gap)) {
            return Poll::sinkFailed;
        }
        ++counts_.gaps;
    }
    if (!kept.empty()) {
        if (!sink_.records(kept, ended, counts_.reads)) {
            return Poll::sinkFailed;
        }
        counts_.records += countRecords(kept);
        counts_.bytes += kept.size();
    }
    if (cleared) {
        follower_.cleared();
        // A clear past the largest read takes records that no read saw, traced
        // since the read before: those are lost for certain.
        const bool lost = read.status == WholeRead::Status::pastBound;
        const CaptureGap gap{
            static_cast<std::uint32_t>(lost ? GapKind::certain : GapKind::possible),
            lost && lastRead_ > 0 ? lastReadStarted_ : started, clearedAt, counts_.reads,
            counts_.reads + 1};
        if (!sink_.gap(gap)) {
            return Poll::sinkFailed;
        }
        ++counts_.gaps;
    }
    lastRead_ = counts_.reads;
    lastReadStarted_ = started;
    return Poll::done;
}

void CaptureSession::tellReadState(const WholeRead& read) {
    const bool pastBound = read.status == WholeRead::Status::pastBound;
    if (pastBound && !pastBound_) {
        observer_.pastBound();
    }
    pastBound_ = pastBound;
    if (read.moreThanReturned && !dropping_) {
        observer_.dropping();
    }
    dropping_ = read.moreThanReturned;
}

// The records up to the count the capture stops at.
std::span<const std::uint8_t> CaptureSession::withinCount(
    std::span<const std::uint8_t> records) const {
    if (settings_.records == 0) {
        return records;
    }
    std::uint64_t left = settings_.records - std::min(settings_.records, counts_.records);
    RecordCursor cursor(records);
    for (; !cursor.atEnd() && left > 0; --left) {
        cursor.next();
    }
    return records.first(cursor.offset());
}

// Past its threshold the trace is cleared at once after the read, so that
// the window in which a traced message is lost stays as short as it can be.
bool CaptureSession::clearAtOnce(std::span<const std::uint8_t> bytes, bool stopping) {
    if (settings_.clearAt == 0 || bytes.size() < settings_.clearAt || stopping) {
        return false;
    }
    DeviceFailure failure;
    const bool cleared = clearTrace(system_, deviceName_, nullptr, &failure);
    if (!cleared && !clearFailed_) {
        observer_.clearFailed(failure);
    }
    clearFailed_ = !cleared;
    return cleared;
}

}  // namespace ambertap
