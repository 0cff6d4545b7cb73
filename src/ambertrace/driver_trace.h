// The driver's trace, read once and never cleared, for the commands that
// save or show it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>

#include "capi_vocabulary.h"
#include "device_system.h"

namespace ambertap {

struct DriverTrace {
    std::array<std::uint8_t, driverTraceBufferSize> buffer{};
    std::size_t count = 0;
    bool moreThanBuffer = false;

    std::span<const std::uint8_t> bytes() const { return {buffer.data(), count}; }
};

// Reads the trace into `trace`; a failure is reported on `err` as one line
// naming the device and the reason, and gives false.
bool readDriverTrace(DeviceSystem& system, DriverTrace& trace, std::FILE* err);

}  // namespace ambertap
