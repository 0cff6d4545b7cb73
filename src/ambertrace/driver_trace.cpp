#include "driver_trace.h"

#include "file_system.h"
#include "trace_device.h"

namespace ambertap {

bool readDriverTrace(DeviceSystem& system, DriverTrace& trace, std::FILE* err) {
    trace.read = trace.reader.read(system, traceDeviceName);
    trace.readAt = millisecondsSince1970();
    if (trace.read.status != WholeRead::Status::failed) {
        return true;
    }
    reportReadFailure(trace.read.failure, trace.read.requestSize, err);
    return false;
}

void reportReadFailure(const DeviceFailure& failure, std::size_t requestSize, std::FILE* err) {
    const bool opened = failure.step == DeviceFailure::Step::request;
    std::fprintf(err, "ambertrace: %s: %s", traceDeviceName,
                 opened ? "the driver failed the read request" : "cannot open the trace device");
    // A larger request than the first is the one a driver may refuse for its
    // size alone: the trace's end is not known.
    if (opened && requestSize > driverTraceBufferSize) {
        std::fprintf(err, " of %lu bytes, made larger because the trace did not fit",
                     static_cast<unsigned long>(requestSize));
    }
    std::fprintf(err, ": %s (error %d)\n", describe(SystemError{failure.error}).c_str(),
                 failure.error);
}

}  // namespace ambertap
