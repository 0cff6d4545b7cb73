#include "driver_trace.h"

#include "byte_reader.h"
#include "file_system.h"
#include "trace_device.h"
#include "trace_walker.h"

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

std::size_t countRecords(std::span<const std::uint8_t> bytes) {
    std::size_t records = 0;
    for (std::size_t at = 0; at < bytes.size(); ++records) {
        at += recordSize(ByteView{bytes.data() + at, bytes.data() + bytes.size()});
    }
    return records;
}

}  // namespace ambertap
