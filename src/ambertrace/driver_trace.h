// The driver's trace, read whole and never cleared, for the commands that
// save or show it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>

#include "capi_vocabulary.h"
#include "capture_file.h"
#include "device_system.h"
#include "growing_read.h"
#include "trace_file.h"

namespace ambertap {

struct DriverTrace {
    GrowingRead reader{driverTraceBufferSize, largestTraceRead};
    WholeRead read;
    std::int64_t readAt = 0;  // when the read ended, ms since 1970 UTC

    std::span<const std::uint8_t> bytes() const { return read.bytes; }
    bool pastBound() const { return read.status == WholeRead::Status::pastBound; }
};

// Reads the whole trace into `trace`; a failure is reported on `err` as one
// line naming the device and the reason, and gives false.
bool readDriverTrace(DeviceSystem& system, DriverTrace& trace, std::FILE* err);

// That line, for a read whose request of `requestSize` bytes failed.
void reportReadFailure(const DeviceFailure& failure, std::size_t requestSize, std::FILE* err);

}  // namespace ambertap
