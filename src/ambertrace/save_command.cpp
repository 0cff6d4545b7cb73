#include "save_command.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "block_output.h"
#include "capture_file.h"
#include "driver_trace.h"
#include "file_system.h"
#include "record_cursor.h"
#include "trace_device.h"
#include "trace_file.h"
#include "trace_input.h"

namespace ambertap {

namespace {

bool writeToFile(const std::string& name, std::span<const std::uint8_t> image, bool force,
                 std::FILE* err) {
    const WriteOutcome outcome = writeWholeFile(name.c_str(), image, force);
    if (!outcome.succeeded()) {
        tellWriteFailure(name, outcome, err);
        return false;
    }
    return true;
}

bool writeToStream(std::span<const std::uint8_t> image, std::FILE* out, std::FILE* err) {
    useBinaryMode(out);
    int error = writeBytes(out, reinterpret_cast<const char*>(image.data()), image.size());
    if (error == 0) {
        error = flushStream(out);
    }
    if (error != 0) {
        std::fprintf(err, "ambertrace: standard output: cannot write: %s\n", std::strerror(error));
    }
    return error == 0;
}

// The file of a save: a trace of one read's size as version 1.0 has always
// had it; a longer one, as a capture of one read.
std::vector<std::uint8_t> imageOf(const DriverTrace& trace) {
    const std::span<const std::uint8_t> bytes = trace.bytes();
    if (bytes.size() <= driverTraceBufferSize) {
        std::vector<std::uint8_t> image(traceFileSize(bytes.size()));
        const SaveFacts facts{trace.readAt / 1000, trace.read.moreThanReturned};
        image.resize(writeTraceFile(bytes, facts, image));
        return image;
    }
    CaptureFacts facts;
    facts.startedAt = trace.readAt;
    const auto header = captureHeader(facts);
    RecordsBlockFrame frame{};
    frameRecordsBlock(trace.readAt, 1, bytes, frame);
    std::vector<std::uint8_t> image(header.begin(), header.end());
    image.insert(image.end(), frame.head.begin(), frame.head.end());
    image.insert(image.end(), bytes.begin(), bytes.end());
    image.insert(image.end(), frame.trailer.begin(), frame.trailer.end());
    return image;
}

void reportSaved(const DriverTrace& trace, const std::string& where, std::FILE* err) {
    const std::size_t records = countRecords(trace.bytes());
    std::fprintf(err, "ambertrace: saved %lu message%s (%lu bytes) to %s",
                 static_cast<unsigned long>(records), records == 1 ? "" : "s",
                 static_cast<unsigned long>(trace.bytes().size()), where.c_str());
    if (trace.read.moreThanReturned && trace.bytes().size() <= driverTraceBufferSize) {
        std::fprintf(err,
                     "; the driver had more than %lu bytes, the rest was not read (the file "
                     "says so)",
                     static_cast<unsigned long>(driverTraceBufferSize));
    } else if (trace.read.moreThanReturned) {
        std::fputs(
            "; the driver reported more trace than it returned: it may have dropped "
            "messages",
            err);
    }
    std::fputs("\n", err);
}

}  // namespace

const char* reasonOf(WriteStep step) {
    switch (step) {
        case WriteStep::create:
            return "cannot create a temporary file beside it";
        case WriteStep::write:
            return "cannot write";
        case WriteStep::flush:
            return "cannot flush to the disk";
        case WriteStep::rename:
            return "cannot give the written file its name";
        case WriteStep::exists:
        case WriteStep::none:
            break;
    }
    return "";
}

void tellWriteFailure(const std::string& name, const WriteOutcome& outcome, std::FILE* err) {
    if (outcome.failedStep == WriteStep::exists) {
        std::fprintf(err, "ambertrace: %s: already exists; use --force to replace it\n",
                     name.c_str());
    } else {
        std::fprintf(err, "ambertrace: %s: %s: %s\n", name.c_str(), reasonOf(outcome.failedStep),
                     describe(outcome.error).c_str());
    }
}

int saveTrace(const CommandLine& line, DeviceSystem& system, const Streams& streams) {
    const std::string& name = line.files.front();
    const bool toStream = name == standardStreamName;
    // Refused before the driver is asked, so that nothing happens at all.
    if (!toStream && !line.force && nameExists(name.c_str())) {
        std::fprintf(streams.err, "ambertrace: %s: already exists; use --force to replace it\n",
                     name.c_str());
        return traceExitFailure;
    }
    const auto trace = std::make_unique<DriverTrace>();
    if (!readDriverTrace(system, *trace, streams.err)) {
        return traceExitFailure;
    }
    if (trace->pastBound()) {
        std::fprintf(streams.err,
                     "ambertrace: %s: the trace is longer than the largest read, %lu bytes: "
                     "nothing saved (record --clear keeps a longer session)\n",
                     traceDeviceName, static_cast<unsigned long>(largestTraceRead));
        return traceExitFailure;
    }
    const std::vector<std::uint8_t> image = imageOf(*trace);
    const bool saved = toStream ? writeToStream(image, streams.out, streams.err)
                                : writeToFile(name, image, line.force, streams.err);
    if (!saved) {
        return traceExitFailure;
    }
    reportSaved(*trace, toStream ? "standard output" : name, streams.err);
    return traceExitSuccess;
}

}  // namespace ambertap
