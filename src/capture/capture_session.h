// A capture: the driver's trace read over and over, and each record that a
// read holds and the one before did not handed on as soon as it is seen, with
// a gap wherever messages may be missing, until the capture is asked to stop,
// its time is up or it holds its count of records. What it finds goes to a
// sink (the capture file, a live view); what a person watching should know
// goes to an observer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "capture_file.h"
#include "device_system.h"
#include "growing_read.h"
#include "trace_device.h"
#include "trace_follower.h"

namespace ambertap {

// Where a capture's records and gaps go. Each returns false when the sink
// failed, which ends the capture.
class CaptureSink {
  public:
    virtual ~CaptureSink() = default;
    // Whole records that the read numbered `read` saw first, at `seenAt`
    // (ms since 1970 UTC).
    virtual bool records(std::span<const std::uint8_t> records, std::int64_t seenAt,
                         std::uint32_t read) = 0;
    virtual bool gap(const CaptureGap& gap) = 0;
    // Between two reads, the next at `nextRead`, on the steady clock.
    virtual bool between(std::int64_t now, std::int64_t nextRead) = 0;
};

// The clocks of a capture and the requests to stop it, behind one seam so
// that the loop can be tested without waiting.
class SessionClock {
  public:
    virtual ~SessionClock() = default;
    virtual std::int64_t utcMilliseconds() = 0;
    // A clock that only goes forward, in milliseconds.
    virtual std::int64_t steadyMilliseconds() = 0;
    // Returns once the steady clock reaches `until`, or earlier when a stop
    // is asked.
    virtual void waitUntil(std::int64_t until) = 0;
    virtual bool stopAsked() = 0;
};

struct CaptureCounts {
    std::uint64_t records = 0;
    std::uint64_t bytes = 0;
    std::uint32_t gaps = 0;
    std::uint32_t reads = 0;
    std::uint32_t failedReads = 0;
    std::int64_t elapsed = 0;  // ms since the capture began
};

// What a person watching a capture should know at once. Each state is told
// when it begins, not at every read while it lasts.
class CaptureObserver {
  public:
    virtual ~CaptureObserver() = default;
    // A read failed; the capture goes on reading. `size` is the request's.
    virtual void readFailed(const DeviceFailure& failure, std::size_t size) = 0;
    // Reads work again after `failed` of them failed.
    virtual void readsWorkAgain(std::uint32_t failed) = 0;
    virtual void clearFailed(const DeviceFailure& failure) = 0;
    // The driver's trace is longer than the largest read.
    virtual void pastBound() = 0;
    // The driver reported more trace than it returned into a buffer with room
    // to spare: it is dropping messages.
    virtual void dropping() = 0;
    // After each read.
    virtual void progress(const CaptureCounts& counts) = 0;
};

// The defaults of a capture; the README says why.
inline constexpr std::uint32_t defaultReadInterval = 250;  // ms
inline constexpr std::size_t defaultClearAt = 6000;        // bytes

struct CaptureSettings {
    std::uint32_t interval = defaultReadInterval;  // ms from the start of one read to the next
    std::int64_t duration = 0;                     // ms; 0: no limit
    std::uint64_t records = 0;                     // stop once this many are kept; 0: no limit
    std::size_t clearAt = 0;  // clear a trace of at least this many bytes; 0: never
};

enum class CaptureEnd : std::uint8_t {
    stopAsked,  // Ctrl-C, a closed console, a signal
    durationOver,
    recordsKept,
    sinkFailed,       // the sink's own failure ends the capture
    firstReadFailed,  // nothing was ever read: the observer was told why
};

class CaptureSession {
  public:
    CaptureSession(DeviceSystem& system, const char* deviceName, const CaptureSettings& settings,
                   SessionClock& clock, CaptureSink& sink, CaptureObserver& observer);

    // Reads until the capture ends. Each stop but the count of records reads
    // once more, so that what was traced until the stop is kept.
    CaptureEnd run();

    const CaptureCounts& counts() const { return counts_; }

  private:
    enum class Poll : std::uint8_t { done, failed, sinkFailed };

    Poll poll(bool stopping);
    void tellReadState(const WholeRead& read);
    std::span<const std::uint8_t> withinCount(std::span<const std::uint8_t> records) const;
    bool clearAtOnce(std::span<const std::uint8_t> bytes, bool stopping);
    bool limitReached() const;

    DeviceSystem& system_;
    const char* deviceName_;
    CaptureSettings settings_;
    SessionClock& clock_;
    CaptureSink& sink_;
    CaptureObserver& observer_;
    GrowingRead reader_;
    TraceFollower follower_;
    CaptureCounts counts_;
    std::int64_t startedAt_ = 0;  // steady clock
    // The last read that succeeded, and when it began (UTC).
    std::uint32_t lastRead_ = 0;
    std::int64_t lastReadStarted_ = 0;
    std::uint32_t failedInRow_ = 0;
    bool pastBound_ = false;
    bool dropping_ = false;
    bool clearFailed_ = false;
};

}  // namespace ambertap
