// The capture file as a capture's sink: its header, then a block for each
// read's new records and for each gap, each written to the file as soon as
// it is made, so that the file is readable at every moment and a capture
// killed at any instant leaves every block it wrote.
#pragma once

#include <cstdint>

#include "capture_file.h"
#include "capture_session.h"
#include "file_system.h"

namespace ambertap {

// When a growing capture goes to the disk: a block written to the file
// survives a killed program at once, but a power cut only once the disk has
// it. Waiting for the disk takes milliseconds on a hard disk, so the file is
// flushed no more than once a second while blocks come, and early enough
// that no block waits longer than a second.
class SyncRhythm {
  public:
    static constexpr std::int64_t longestWait = 1000;  // ms

    void written(std::int64_t now) {
        if (!unsynced_) {
            unsynced_ = true;
            oldest_ = now;
        }
    }
    // Whether to flush now, when the next chance comes at `nextChance`.
    bool due(std::int64_t nextChance) const {
        return unsynced_ && nextChance - oldest_ >= longestWait;
    }
    void synced() { unsynced_ = false; }

  private:
    bool unsynced_ = false;
    std::int64_t oldest_ = 0;  // when the oldest block not yet on the disk was written
};

class CaptureWriter final : public CaptureSink {
  public:
    CaptureWriter(GrowingFile& file, SessionClock& clock) : file_(file), clock_(clock) {}

    bool begin(const CaptureFacts& facts);
    bool records(std::span<const std::uint8_t> records, std::int64_t seenAt,
                 std::uint32_t read) override;
    bool gap(const CaptureGap& gap) override;
    bool between(std::int64_t now, std::int64_t nextRead) override;
    // Flushes the file to the disk and closes it.
    bool finish();

    // Why the last call failed.
    WriteStep failedStep() const { return failedStep_; }
    SystemError error() const { return error_; }

  private:
    bool append(std::initializer_list<std::span<const std::uint8_t>> pieces);
    bool flush();

    GrowingFile& file_;
    SessionClock& clock_;
    SyncRhythm rhythm_;
    WriteStep failedStep_ = WriteStep::none;
    SystemError error_{};
};

}  // namespace ambertap
