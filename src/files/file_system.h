// The few file operations that ambertrace needs, with names in UTF-8 on every
// system: Windows takes them through its wide-character functions, so that a
// name outside the ANSI code page still reaches its file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>

namespace ambertap {

// The name that stands for standard input, or standard output, on a command line.
inline constexpr std::string_view standardStreamName = "-";

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

// The same to the millisecond.
std::int64_t millisecondsSince1970();

// Whether the stream goes to a terminal (a console), where a line can be
// rewritten in place.
bool isTerminal(std::FILE* stream);

// The columns of the terminal (console) that the stream goes to; 0 when it
// goes to none, or the terminal does not say.
std::size_t terminalColumns(std::FILE* stream);

// A file of no name that is gone once closed, for bytes that must be read
// more than once (standard input, read again): in the system's folder for
// temporary files. nullptr with `error` set when it cannot be made.
std::FILE* openScratchFile(SystemError& error);

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

// A file written as it goes and given its name only once whole: its bytes go
// to a new temporary file in the target's folder, which commit() flushes to
// the disk and renames. Until then no file of the name changes; a file that
// is not committed is removed, so that a failure leaves nothing half-written.
class StreamedFile {
  public:
    StreamedFile() = default;
    StreamedFile(const StreamedFile&) = delete;
    StreamedFile& operator=(const StreamedFile&) = delete;
    ~StreamedFile();

    // Makes the temporary file for `name`. An existing file of that name is
    // replaced only when `replaceExisting`; otherwise the open fails at
    // WriteStep::exists.
    WriteOutcome create(const char* name, bool replaceExisting);
    // Where the bytes go, once created.
    std::FILE* stream() const { return stream_; }
    // Flushes the bytes to the disk and gives the file its name; removes it
    // when any of that fails.
    WriteOutcome commit();
    // Removes the temporary file: it never held anything worth keeping.
    void discard();
    // Removes the temporary file after a write to stream() failed with the C
    // library's error number `runtimeError`, and tells the system's error of
    // that write.
    WriteOutcome failedWrite(int runtimeError);

  private:
    std::FILE* stream_ = nullptr;
    std::string name_;
    std::string temporary_;
    bool replaceExisting_ = false;
};

// A file that grows while others read it, as a capture does: made new under
// its name, each append written to the file at once, so that a reader sees it
// and a program killed at any instant leaves it, and flushed to the disk
// when asked.
class GrowingFile {
  public:
    GrowingFile() = default;
    GrowingFile(const GrowingFile&) = delete;
    GrowingFile& operator=(const GrowingFile&) = delete;
    ~GrowingFile();

    // Makes the file `name`. An existing file of that name is replaced only
    // when `replaceExisting`; otherwise the open fails at WriteStep::exists.
    WriteOutcome create(const char* name, bool replaceExisting);

    // Writes the pieces one after another. A write that fails takes back what
    // it wrote, as far as the system lets it, so that the file ends where the
    // last whole append ended.
    bool append(std::initializer_list<std::span<const std::uint8_t>> pieces, SystemError& error);
    bool flushToDisk(SystemError& error);
    // Closes the file; a failure here is a failure to write it.
    bool close(SystemError& error);
    // Closes the file and removes it: it never held anything worth keeping.
    void discard();

    std::uint64_t size() const { return size_; }

  private:
    std::intptr_t handle_ = -1;
    std::string name_;
    std::uint64_t size_ = 0;
};

}  // namespace ambertap
