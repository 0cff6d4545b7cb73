// The few operating system calls that reach the driver's trace interface,
// behind one interface so the request logic above them is written once and
// can be tested without a driver.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>

namespace ambertap {

// The driver's control codes: plain numbers, with no device-type or access
// bits. Windows still reads a transfer method from their two low bits: 0,
// buffered, for the read (100) and 1, direct input, for the clear (101).
inline constexpr unsigned long traceReadCode = 100;
inline constexpr unsigned long traceClearCode = 101;

// An open device as the system knows it (a Win32 handle, a file descriptor).
using DeviceHandle = std::intptr_t;

// One control request. The input side is always empty; the read names the
// caller's buffer, the clear none (nullptr, 0).
struct ControlRequest {
    unsigned long code = 0;
    void* output = nullptr;
    std::size_t outputSize = 0;
};

// moreData: the driver filled the output buffer with as much as fits and had
// more, a failure by the system's count that still returned data.
enum class RequestState { done, moreData, pending, failed };

struct RequestOutcome {
    RequestState state = RequestState::failed;
    std::size_t bytesReturned = 0;  // meaningful when done or moreData; as the driver reports it
};

// On POSIX systems the read code goes to ioctl() with a pointer to this; the
// driver fills at most `size` bytes of `buffer` and sets `bytesWritten`. A
// driver whose trace is longer than `size` may fill the buffer, set
// `bytesWritten` and fail with EOVERFLOW. The clear code goes to ioctl() with
// a null argument.
struct TraceReadArgument {
    void* buffer = nullptr;
    std::size_t size = 0;
    std::size_t bytesWritten = 0;
};

class DeviceSystem {
  public:
    virtual ~DeviceSystem() = default;

    // nullopt when the device cannot be opened.
    virtual std::optional<DeviceHandle> open(const char* name) = 0;
    // May leave the request pending: the driver then completes it later, into
    // the same output buffer, and waitForResult() must be called before close.
    // lastError() tells the error of a failed request and of moreData.
    virtual RequestOutcome control(DeviceHandle device, const ControlRequest& request) = 0;
    // Blocks until the pending request on `device` is done or failed.
    virtual RequestOutcome waitForResult(DeviceHandle device) = 0;
    virtual void close(DeviceHandle device) = 0;
    // The system's error number for the call that failed last.
    virtual int lastError() const = 0;
};

// The operating system this program was built for.
std::unique_ptr<DeviceSystem> makePlatformDeviceSystem();

}  // namespace ambertap
