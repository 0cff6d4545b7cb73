#include "run_ambertap.h"

#include <array>
#include <cstddef>
#include <cstdint>

#include "capi_vocabulary.h"
#include "trace_device.h"
#include "trace_walker.h"

namespace ambertap {

namespace {

struct RunMode {
    bool usageWanted = false;
    bool clearWanted = false;
};

void writeBanner(std::FILE* err) {
    std::fprintf(err, "Ambertap Version 0.001 (%s) for CAPI 2.0 / Orvane 7100\n", __DATE__);
    std::fputs("Copyright (c) 2026 the Ambertap developers\n", err);
    // Where standard error is buffered (Windows, when it is not a console),
    // the banner must still come before the trace lines on a shared pipe.
    std::fflush(err);
}

// Scans every option, so each bad letter gets its own message.
RunMode scanOptions(int argumentCount, const char* const* argumentVector, OptionParser& options,
                    std::FILE* err) {
    RunMode mode;
    int letter = 0;
    while ((letter = options.nextOption(argumentCount, argumentVector, "c", err)) != endOfOptions) {
        if (letter == 'c') {
            mode.clearWanted = true;
        } else {
            mode.usageWanted = true;
        }
    }
    return mode;
}

// The trace goes to `out` whole, or the run fails: a user who clears the
// trace after a read that was not written has lost it.
int readAndPrintTrace(DeviceSystem& system, std::FILE* out, std::FILE* err) {
    std::array<std::uint8_t, driverTraceBufferSize> buffer{};
    const TraceRead read = readTrace(system, traceDeviceName, buffer.data(), buffer.size(), err);
    if (read.count == traceReadFailed) {
        return exitFailure;
    }
    if (read.count > 0) {
        const int error =
            printTraceRecords(buffer.data(), static_cast<std::size_t>(read.count), out);
        if (error != 0) {
            std::fprintf(err, "Cannot write the trace: Error %d\n", error);
            return exitFailure;
        }
    }
    if (read.moreThanBuffer) {
        std::fprintf(err, "Trace longer than %lu bytes: the rest was not read\n",
                     static_cast<unsigned long>(driverTraceBufferSize));
    }
    return exitSuccess;
}

}  // namespace

int runAmbertap(int argumentCount, const char* const* argumentVector, OptionParser& options,
                DeviceSystem& system, std::FILE* out, std::FILE* err) {
    writeBanner(err);
    const RunMode mode = scanOptions(argumentCount, argumentVector, options, err);
    if (mode.usageWanted) {
        std::fputs("\nUse: Ambertap [-c]\n\t -c\t   clear trace buffer\n", err);
        return exitUsage;
    }
    if (mode.clearWanted) {
        return clearTrace(system, traceDeviceName, err) ? exitSuccess : exitFailure;
    }
    return readAndPrintTrace(system, out, err);
}

}  // namespace ambertap
