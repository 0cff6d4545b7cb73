// The trace interface on POSIX systems: a device file answering ioctl().
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <string_view>

#include "device_system.h"

namespace ambertap {

namespace {

// "\\.\NAME", a name in the Windows device namespace, stands for "/dev/NAME";
// any other name is a path already.
std::string devicePath(std::string_view name) {
    constexpr std::string_view windowsDevicePrefix = "\\\\.\\";
    if (name.starts_with(windowsDevicePrefix)) {
        name.remove_prefix(windowsDevicePrefix.size());
        return "/dev/" + std::string(name);
    }
    return std::string(name);
}

int descriptorOf(DeviceHandle device) {
    return static_cast<int>(device);
}

class PosixDeviceSystem final : public DeviceSystem {
  public:
    std::optional<DeviceHandle> open(const char* name) override {
        const int descriptor = ::open(devicePath(name).c_str(), O_RDONLY);
        if (descriptor < 0) {
            return std::nullopt;
        }
        return descriptor;
    }

    // ioctl() finishes before it returns: nothing is ever pending here.
    RequestOutcome control(DeviceHandle device, const ControlRequest& request) override {
        if (request.output == nullptr) {
            const int result = ::ioctl(descriptorOf(device), request.code, nullptr);
            return {result < 0 ? RequestState::failed : RequestState::done, 0};
        }
        TraceReadArgument argument{request.output, request.outputSize, 0};
        if (::ioctl(descriptorOf(device), request.code, &argument) >= 0) {
            return {RequestState::done, argument.bytesWritten};
        }
        // A driver whose trace does not fit fills the buffer and says so.
        if (errno == EOVERFLOW) {
            return {RequestState::moreData, argument.bytesWritten};
        }
        return {RequestState::failed, 0};
    }

    RequestOutcome waitForResult(DeviceHandle) override {
        errno = EINVAL;
        return {RequestState::failed, 0};
    }

    void close(DeviceHandle device) override { ::close(descriptorOf(device)); }

    int lastError() const override { return errno; }
};

}  // namespace

std::unique_ptr<DeviceSystem> makePlatformDeviceSystem() {
    return std::make_unique<PosixDeviceSystem>();
}

}  // namespace ambertap
