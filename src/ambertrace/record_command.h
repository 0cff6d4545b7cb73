// `ambertrace record FILE`: the driver's trace kept in a capture file for as
// long as the capture runs; and what `watch` shares with it: the settings
// from the command line, the capture file begun, and what a person watching
// is told on standard error.
#pragma once

#include <cstdio>
#include <string>

#include "capture_session.h"
#include "capture_writer.h"
#include "command_line.h"
#include "device_system.h"
#include "file_system.h"
#include "run_ambertrace.h"

namespace ambertap {

int recordTrace(const CommandLine& line, DeviceSystem& system, const Streams& streams);

CaptureSettings captureSettingsOf(const CommandLine& line);

// "28 messages (531 bytes) to t.atr in 2.0 s, 1 gap"; without " to NAME"
// when `name` is empty.
std::string captureCountsText(const CaptureCounts& counts, const std::string& name);

// Creates the capture file `name` and writes its header; on failure, says
// why on `err` and leaves no file.
bool beginCaptureFile(const std::string& name, bool force, const CaptureSettings& settings,
                      SessionClock& clock, GrowingFile& file, CaptureWriter& writer,
                      std::FILE* err);

void reportCaptureWriteFailure(const std::string& name, const CaptureWriter& writer,
                               std::FILE* err);

// What the capture tells on standard error: each state once, when it
// begins, and a line of progress, rewritten in place on a terminal, once a
// minute when standard error is redirected.
class ErrorStreamObserver final : public CaptureObserver {
  public:
    // `doing` is what the progress line says, as "recording"; `name` the
    // file it names (empty: none).
    ErrorStreamObserver(const char* doing, std::string name, std::FILE* err);

    void readFailed(const DeviceFailure& failure, std::size_t size) override;
    void readsWorkAgain(std::uint32_t failed) override;
    void clearFailed(const DeviceFailure& failure) override;
    void pastBound() override;
    void dropping() override;
    void progress(const CaptureCounts& counts) override;

    // The progress line makes way for a line on standard output, or for the
    // summary.
    void clearProgress();
    // One line of its own, "ambertrace: " and `what`.
    void tell(const std::string& what);

  private:
    void tellOfDevice(const std::string& what);

    const char* doing_;
    std::string name_;
    std::FILE* err_;
    bool terminal_;
    std::size_t shown_ = 0;
    std::int64_t nextRedirected_ = 0;
};

}  // namespace ambertap
