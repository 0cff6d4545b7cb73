#include "save_command.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "block_output.h"
#include "driver_trace.h"
#include "file_system.h"
#include "record_cursor.h"
#include "trace_file.h"

namespace ambertap {

namespace {

constexpr std::string_view standardStream = "-";

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

bool writeToFile(const std::string& name, std::span<const std::uint8_t> image, bool force,
                 std::FILE* err) {
    const WriteOutcome outcome = writeWholeFile(name.c_str(), image, force);
    if (outcome.failedStep == WriteStep::exists) {
        std::fprintf(err, "ambertrace: %s: already exists; use --force to replace it\n",
                     name.c_str());
        return false;
    }
    if (!outcome.succeeded()) {
        std::fprintf(err, "ambertrace: %s: %s: %s\n", name.c_str(), reasonOf(outcome.failedStep),
                     describe(outcome.error).c_str());
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

void reportSaved(const DriverTrace& trace, const std::string& where, std::FILE* err) {
    const std::size_t records = countRecords(trace.bytes());
    std::fprintf(err, "ambertrace: saved %lu message%s (%lu bytes) to %s",
                 static_cast<unsigned long>(records), records == 1 ? "" : "s",
                 static_cast<unsigned long>(trace.count), where.c_str());
    if (trace.moreThanBuffer) {
        std::fprintf(err,
                     "; the driver had more than %lu bytes, the rest was not read (the file "
                     "says so)",
                     static_cast<unsigned long>(driverTraceBufferSize));
    }
    std::fputs("\n", err);
}

}  // namespace

int saveTrace(const CommandLine& line, DeviceSystem& system, const Streams& streams) {
    const std::string& name = line.files.front();
    const bool toStream = name == standardStream;
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
    std::vector<std::uint8_t> image(traceFileSize(trace->count));
    const std::size_t size =
        writeTraceFile(trace->bytes(), SaveFacts{secondsSince1970(), trace->moreThanBuffer}, image);
    const std::span<const std::uint8_t> file(image.data(), size);
    const bool saved = toStream ? writeToStream(file, streams.out, streams.err)
                                : writeToFile(name, file, line.force, streams.err);
    if (!saved) {
        return traceExitFailure;
    }
    reportSaved(*trace, toStream ? "standard output" : name, streams.err);
    return traceExitSuccess;
}

}  // namespace ambertap
