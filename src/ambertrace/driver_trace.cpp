#include "driver_trace.h"

#include "file_system.h"
#include "trace_device.h"

namespace ambertap {

bool readDriverTrace(DeviceSystem& system, DriverTrace& trace, std::FILE* err) {
    const TraceRead read =
        readTrace(system, traceDeviceName, trace.buffer.data(), trace.buffer.size(), nullptr);
    if (read.count == traceReadFailed) {
        const char* what = read.failure.step == DeviceFailure::Step::open
                               ? "cannot open the trace device"
                               : "the driver failed the read request";
        std::fprintf(err, "ambertrace: %s: %s: %s (error %d)\n", traceDeviceName, what,
                     describe(SystemError{read.failure.error}).c_str(), read.failure.error);
        return false;
    }
    trace.count = static_cast<std::size_t>(read.count);
    trace.moreThanBuffer = read.moreThanBuffer;
    return true;
}

}  // namespace ambertap
