// The trace file: one read of the driver's trace, saved with the facts of
// the save behind a header that shows when a transfer changed the file.
// The README describes the bytes, for readers without this program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "capi_vocabulary.h"
#include "trace_finding.h"

namespace ambertap {

// The format this program writes; it reads every minor version of its major.
inline constexpr FormatVersion traceFileVersion{1, 0};

// Where the fields of the header lie; all are little-endian.
struct TraceFileLayout {
    static constexpr std::size_t signature = 0;     // 8 bytes, traceFileSignature
    static constexpr std::size_t major = 8;         // 2 bytes
    static constexpr std::size_t minor = 10;        // 2 bytes
    static constexpr std::size_t headerSize = 12;   // 4 bytes: where the record bytes start
    static constexpr std::size_t recordBytes = 16;  // 4 bytes: how many follow the header
    static constexpr std::size_t recordCrc = 20;    // 4 bytes: CRC-32 of the record bytes
    static constexpr std::size_t savedAt = 24;      // 8 bytes, signed: seconds since 1970, UTC
    static constexpr std::size_t flags = 32;        // 4 bytes
    // The header's own CRC-32 is always its last 4 bytes, over all bytes before them.
    static constexpr std::size_t headerCrc = 36;
    static constexpr std::size_t size = 40;  // of the header of version 1.0

    // A later minor version may add fields before the header checksum, up to
    // this size; a larger header is damage.
    static constexpr std::size_t largestSize = 1024;

    static constexpr std::uint32_t moreDataFlag = 1;  // the driver had more than the buffer held
};

inline constexpr std::uint8_t traceFileSignature[8] = {0x8f, 'A', 'T', 'R', '\r', '\n', 0x1a, '\n'};

// The largest file this program reads: a header and one read's record bytes.
inline constexpr std::size_t largestTraceFile =
    TraceFileLayout::largestSize + driverTraceBufferSize;
// The size of the file that writeTraceFile makes of `recordBytes` bytes.
constexpr std::size_t traceFileSize(std::size_t recordBytes) {
    return TraceFileLayout::size + recordBytes;
}

// What the program that saves a trace knows besides its bytes.
struct SaveFacts {
    std::int64_t savedAt = 0;  // seconds since 1970-01-01 00:00 UTC
    bool moreData = false;     // the driver reported more trace than the buffer held
};

// Writes the whole file for `records` into `into`. Returns its size, or 0
// when `records` holds more than one read or `into` has no room for the file.
[[nodiscard]] std::size_t writeTraceFile(std::span<const std::uint8_t> records,
                                         const SaveFacts& facts, std::span<std::uint8_t> into);

// What a file's header says.
struct TraceFileFacts {
    FormatVersion version;
    std::uint32_t headerSize = 0;
    std::uint32_t recordBytes = 0;  // as declared
    std::uint32_t recordCrc = 0;
    std::int64_t savedAt = 0;
    std::uint32_t flags = 0;

    bool moreData() const { return (flags & TraceFileLayout::moreDataFlag) != 0; }
};

enum class DamagePolicy : std::uint8_t {
    refuse,  // any damage refuses the input
    show,    // show what there is of a damaged input, and say what is wrong
};

struct TraceFileRead {
    // Problem::none when the file is sound. With DamagePolicy::show a file
    // that is cut short, damaged or followed by more bytes still has
    // `headerRead` and the record bytes it holds, up to the declared count.
    InputFinding finding;
    bool headerRead = false;  // `facts` holds the header's fields
    TraceFileFacts facts;
    std::span<const std::uint8_t> records;  // inside the image
};

// What the first bytes of a trace file say before its layout, which its
// major version decides: a signature that a transfer changed, or a file too
// short to hold a version, is `finding`; else `version` holds the version.
struct TraceFileStart {
    InputFinding finding;
    FormatVersion version;
};
TraceFileStart readTraceFileStart(std::span<const std::uint8_t> image);

// Reads the whole image of a trace file of major version 1, strictly; any
// other major version is refused with it.
TraceFileRead readTraceFile(std::span<const std::uint8_t> image, DamagePolicy policy);

// Whether `start`, the first bytes of an input, are those of a trace file,
// as written or as a transfer changed them: the first byte of the signature,
// with or without its eighth bit, then its letters (as far as there are bytes,
// but two at least).
bool startsLikeTraceFile(std::span<const std::uint8_t> start);

}  // namespace ambertap
