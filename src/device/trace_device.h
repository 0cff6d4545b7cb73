// Reading and clearing the driver's trace. Each operation opens the device,
// makes one request, closes the device and reports its own failure as one
// line on the error stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "device_system.h"

namespace ambertap {

// The driver's trace interface.
inline constexpr const char* traceDeviceName = "\\\\.\\OV7100D";

// What readTrace returns when the device could not be opened or the request
// failed; an empty trace reads as 0.
inline constexpr std::ptrdiff_t traceReadFailed = -1;

// Why a request failed: the device could not be opened, or the driver failed
// the request; with the system's error number.
struct DeviceFailure {
    enum class Step { none, open, request } step = Step::none;
    int error = 0;
};

// What a read left in the caller's buffer.
struct TraceRead {
    std::ptrdiff_t count = traceReadFailed;  // bytes it holds, never more than its size
    bool moreThanBuffer = false;             // the driver's trace went on past them
    DeviceFailure failure{};                 // when count is traceReadFailed
};

// Copies the driver's trace into `buffer`. A driver that fills the buffer and
// reports that it had more still gives the bytes it copied. A failure is
// reported on `err` as one line, unless `err` is null.
TraceRead readTrace(DeviceSystem& system, const char* deviceName, std::uint8_t* buffer,
                    std::size_t bufferSize, std::FILE* err = stderr);
// Empties the driver's trace. Returns whether it succeeded; why it did not
// goes into `failure` when it is given.
bool clearTrace(DeviceSystem& system, const char* deviceName, std::FILE* err = stderr,
                DeviceFailure* failure = nullptr);

// The same, through the operating system this program was built for; the read
// returns the byte count alone.
std::ptrdiff_t readTrace(const char* deviceName, std::uint8_t* buffer, std::size_t bufferSize);
bool clearTrace(const char* deviceName);

}  // namespace ambertap
