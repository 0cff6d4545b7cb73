#include "trace_device.h"

#include <algorithm>
#include <optional>

namespace ambertap {

namespace {

// Done, or a read that filled its buffer while the driver had more: the bytes
// it copied are the caller's. A clear has no buffer, so more data fails it.
bool succeeded(const RequestOutcome& outcome, const ControlRequest& request) {
    return outcome.state == RequestState::done ||
           (outcome.state == RequestState::moreData && request.outputSize > 0);
}

void report(const DeviceFailure& failure, const char* deviceName, std::FILE* err) {
    if (err == nullptr) {
        return;
    }
    if (failure.step == DeviceFailure::Step::open) {
        std::fprintf(err, "Cannot open %s: Error %d\n", deviceName, failure.error);
    } else {
        std::fprintf(err, "DeviceIoControl: Error %d\n", failure.error);
    }
}

// Opens, requests, waits if the driver finishes later, closes. Returns the
// outcome of a request that succeeded, or nullopt after a failure, which is
// kept in `failure` and reported on `err`. The device stays open until a
// pending request is done, because the driver writes into the caller's buffer
// until then.
std::optional<RequestOutcome> requestOnce(DeviceSystem& system, const char* deviceName,
                                          const ControlRequest& request, DeviceFailure& failure,
                                          std::FILE* err) {
    const std::optional<DeviceHandle> device = system.open(deviceName);
    if (!device) {
        failure = {DeviceFailure::Step::open, system.lastError()};
        report(failure, deviceName, err);
        return std::nullopt;
    }
    RequestOutcome outcome = system.control(*device, request);
    if (outcome.state == RequestState::pending) {
        outcome = system.waitForResult(*device);
    }
    const bool success = succeeded(outcome, request);
    // Taken before the close, which may set an error state of its own.
    const int error = success ? 0 : system.lastError();
    system.close(*device);
    if (!success) {
        failure = {DeviceFailure::Step::request, error};
        report(failure, deviceName, err);
        return std::nullopt;
    }
    return outcome;
}

}  // namespace

TraceRead readTrace(DeviceSystem& system, const char* deviceName, std::uint8_t* buffer,
                    std::size_t bufferSize, std::FILE* err) {
    const ControlRequest request{traceReadCode, buffer, bufferSize};
    TraceRead read;
    const std::optional<RequestOutcome> outcome =
        requestOnce(system, deviceName, request, read.failure, err);
    if (!outcome) {
        return read;
    }
    // A driver that claims more than the buffer holds must not send the
    // reader past its end.
    read.count = static_cast<std::ptrdiff_t>(std::min(outcome->bytesReturned, bufferSize));
    read.moreThanBuffer = outcome->state == RequestState::moreData;
    return read;
}

bool clearTrace(DeviceSystem& system, const char* deviceName, std::FILE* err,
                DeviceFailure* failure) {
    const ControlRequest request{traceClearCode, nullptr, 0};
    DeviceFailure failed;
    const bool cleared = requestOnce(system, deviceName, request, failed, err).has_value();
    if (failure != nullptr) {
        *failure = failed;
    }
    return cleared;
}

std::ptrdiff_t readTrace(const char* deviceName, std::uint8_t* buffer, std::size_t bufferSize) {
    return readTrace(*makePlatformDeviceSystem(), deviceName, buffer, bufferSize).count;
}

bool clearTrace(const char* deviceName) {
    return clearTrace(*makePlatformDeviceSystem(), deviceName);
}

}  // namespace ambertap
