// The trace interface on Windows: the driver's device, opened for overlapped
// requests.
#include <windows.h>

#include <algorithm>

#include "device_system.h"

namespace ambertap {

namespace {

HANDLE handleOf(DeviceHandle device) {
    return reinterpret_cast<HANDLE>(device);
}

class Win32DeviceSystem final : public DeviceSystem {
  public:
    // Without an event (should creating one fail) the wait falls back to the
    // device handle itself, which Win32 also signals on completion.
    Win32DeviceSystem() : event_(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
    ~Win32DeviceSystem() override {
        if (event_ != nullptr) {
            CloseHandle(event_);
        }
    }
    Win32DeviceSystem(const Win32DeviceSystem&) = delete;
    Win32DeviceSystem& operator=(const Win32DeviceSystem&) = delete;

    std::optional<DeviceHandle> open(const char* name) override {
        const HANDLE device = CreateFileA(name, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
        if (device == INVALID_HANDLE_VALUE) {
            return std::nullopt;
        }
        return reinterpret_cast<DeviceHandle>(device);
    }

    // The device is opened for overlapped requests, so every request carries
    // an OVERLAPPED; it stays in this object until the request is done.
    RequestOutcome control(DeviceHandle device, const ControlRequest& request) override {
        overlapped_ = OVERLAPPED{};
        overlapped_.hEvent = event_;
        const auto outputSize =
            static_cast<DWORD>(std::min<std::size_t>(request.outputSize, MAXDWORD));
        DWORD bytes = 0;
        if (DeviceIoControl(handleOf(device), static_cast<DWORD>(request.code), nullptr, 0,
                            request.output, outputSize, &bytes, &overlapped_)) {
            return {RequestState::done, bytes};
        }
        if (GetLastError() == ERROR_IO_PENDING) {
            return {RequestState::pending, 0};
        }
        return failedOrPartial(bytes);
    }

    RequestOutcome waitForResult(DeviceHandle device) override {
        DWORD bytes = 0;
        if (GetOverlappedResult(handleOf(device), &overlapped_, &bytes, TRUE)) {
            return {RequestState::done, bytes};
        }
        return failedOrPartial(bytes);
    }

    void close(DeviceHandle device) override { CloseHandle(handleOf(device)); }

    int lastError() const override { return static_cast<int>(GetLastError()); }

  private:
    // A driver that returns as much as fits fails the request with
    // ERROR_MORE_DATA, and the byte count tells what it copied.
    static RequestOutcome failedOrPartial(DWORD bytes) {
        if (GetLastError() == ERROR_MORE_DATA) {
            return {RequestState::moreData, bytes};
        }
        return {RequestState::failed, 0};
    }

    HANDLE event_;
    OVERLAPPED overlapped_{};
};

}  // namespace

std::unique_ptr<DeviceSystem> makePlatformDeviceSystem() {
    return std::make_unique<Win32DeviceSystem>();
}

}  // namespace ambertap
