// The few file operations that ambertrace needs, with names in UTF-8 on every
// system: Windows takes them through its wide-character functions, so that a
// name outside the ANSI code page still reaches its file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

namespace ambertap {

// What the system said when a file operation failed: errno on POSIX systems,
// the Win32 error code on Windows.
struct SystemError {
    int code = 0;
};

// The system's own words for an error, without a closing period or line end.
std::string describe(SystemError error);

// Opens a file for reading bytes; nullptr with `error` set when it cannot.
std::FILE* openForReading(const char* name, SystemError& error);

// Whether anything (a file, a folder) has this name.
bool nameExists(const char* name);

// The system's clock: seconds since 1970-01-01 00:00 UTC, in 64 bits on
// every system, so that no build's time stops in 2038.
std::int64_t secondsSince1970();

// Standard output and input carry bytes as they are: no line end conversion.
void useBinaryMode(std::FILE* stream);

// The step of a whole-file write that failed.
enum class WriteStep { none, create, write, flush, exists, rename };

struct WriteOutcome {
    WriteStep failedStep = WriteStep::none;
    SystemError error{};

    bool succeeded() const { return failedStep == WriteStep::none; }
};

// Writes `bytes` as the file `name`, whole or not at all: into a new temporary file in the same
// folder, flushed to the disk, then given the name. An existing file of that name is replaced only
// when `replaceExisting`; otherwise the write fails at WriteStep::exists and the file is left as it
// was. Whatever fails, no temporary file stays behind.
WriteOutcome writeWholeFile(const char* name, std::span<const std::uint8_t> bytes,
                            bool replaceExisting);

}  // namespace ambertap
