// The capture file: a whole session of reads of the driver's trace, the
// trace file format's major version 2. Behind the signature comes a header
// written once, at the start, then blocks appended one after another, each
// with its type, its length at both ends and its own CRC-32: the records that
// one read saw first, with the time it saw them, or a gap where messages may
// be missing. A file cut anywhere keeps every block before the cut. The
// README describes the bytes, for readers without this program.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "trace_file.h"
#include "trace_finding.h"

namespace ambertap {

inline constexpr FormatVersion captureFileVersion{2, 0};

// The most record bytes that one read of a capture holds, and so one block:
// the bound up to which a read that comes back full is repeated larger.
inline constexpr std::size_t largestTraceRead = 1024 * 1024;

// The header; the signature, versions and header size lie where they lie in
// every trace file (TraceFileLayout). All fields are little-endian.
struct CaptureHeaderLayout {
    static constexpr std::size_t startedAt = 16;  // 8 bytes, signed: ms since 1970, UTC
    static constexpr std::size_t interval = 24;   // 4 bytes: ms between reads; 0: one read
    static constexpr std::size_t clearAt = 28;    // 4 bytes: the --clear threshold; 0: none
    static constexpr std::size_t flags = 32;      // 4 bytes, written as 0, not read
    static constexpr std::size_t headerCrc = 36;  // 4 bytes: CRC-32 of the bytes before
    static constexpr std::size_t size = 40;
};

// Every block: its type and its whole length (both length fields included),
// its body, then the CRC-32 of every byte of the block before it and the
// length once more, so that a reader walking forward sees a cut block as cut.
struct CaptureBlockLayout {
    static constexpr std::size_t type = 0;    // 4 bytes
    static constexpr std::size_t length = 4;  // 4 bytes
    static constexpr std::size_t body = 8;
    static constexpr std::size_t trailerSize = 8;  // the CRC-32, the length again
    static constexpr std::size_t frameSize = body + trailerSize;
};

enum class CaptureBlockType : std::uint32_t { records = 1, gap = 2 };

// The records that one read saw first, whole.
struct RecordsBlockLayout {
    static constexpr std::size_t seenAt = 8;    // 8 bytes, signed: ms since 1970, UTC
    static constexpr std::size_t read = 16;     // 4 bytes: the read's number, 1 for the first
    static constexpr std::size_t records = 20;  // the record bytes, to the trailer
    static constexpr std::size_t frameSize = records + CaptureBlockLayout::trailerSize;
};

// Where messages may be missing, between two reads.
struct GapBlockLayout {
    static constexpr std::size_t kind = 8;         // 4 bytes: GapKind
    static constexpr std::size_t from = 12;        // 8 bytes, signed: ms since 1970, UTC
    static constexpr std::size_t to = 20;          // 8 bytes, signed
    static constexpr std::size_t readBefore = 28;  // 4 bytes: the read before the gap
    static constexpr std::size_t readAfter = 32;   // 4 bytes: the read after it
    static constexpr std::size_t size = 36 + CaptureBlockLayout::trailerSize;
};

// The largest block that this program writes, and reads.
inline constexpr std::size_t largestCaptureBlock = RecordsBlockLayout::frameSize + largestTraceRead;

enum class GapKind : std::uint32_t {
    // The driver's trace no longer began with what was kept from it: it was
    // cleared, dropped records or started again.
    certain = 1,
    // The window between a read and the clear that followed it at once.
    possible = 2,
};

struct CaptureGap {
    std::uint32_t kind = 0;  // a GapKind, or a kind this program does not know
    std::int64_t from = 0;   // ms since 1970, UTC
    std::int64_t to = 0;
    std::uint32_t readBefore = 0;
    std::uint32_t readAfter = 0;
};

// The word that names a gap's kind, and what it means, for the lines of `show`;
// null for a kind this program does not know.
struct GapKindText {
    const char* word;
    const char* meaning;
};
const GapKindText* gapKindText(std::uint32_t kind);

// What the header says.
struct CaptureFacts {
    FormatVersion version = captureFileVersion;
    std::uint32_t headerSize = CaptureHeaderLayout::size;
    std::int64_t startedAt = 0;  // ms since 1970, UTC
    std::uint32_t interval = 0;  // ms between reads; 0 for one read, as `save` makes
    std::uint32_t clearAt = 0;   // bytes past which the trace was cleared; 0: never
};

// The header of a capture with these facts.
std::array<std::uint8_t, CaptureHeaderLayout::size> captureHeader(const CaptureFacts& facts);

// The bytes around the record bytes of a records block: its head before them,
// its trailer after them.
struct RecordsBlockFrame {
    std::array<std::uint8_t, RecordsBlockLayout::records> head;
    std::array<std::uint8_t, CaptureBlockLayout::trailerSize> trailer;
};
// Returns false, with no frame, for more record bytes than one read holds.
bool frameRecordsBlock(std::int64_t seenAt, std::uint32_t read,
                       std::span<const std::uint8_t> records, RecordsBlockFrame& frame);

std::array<std::uint8_t, GapBlockLayout::size> gapBlock(const CaptureGap& gap);

// Reading. The header, of a file whose start says it is of major version 2:
// `finding` is Problem::none when it is sound.
struct CaptureHeaderRead {
    InputFinding finding;
    CaptureFacts facts;
};
// `image` holds the file's first bytes, the whole header if the file has it.
CaptureHeaderRead readCaptureHeader(std::span<const std::uint8_t> image);

// The length a block declares in its first CaptureBlockLayout::body bytes;
// a length that no block has is damage, found at `at`, the block's offset in
// the file.
struct BlockStart {
    InputFinding finding;
    std::uint32_t type = 0;
    std::uint32_t length = 0;
};
BlockStart readBlockStart(std::span<const std::uint8_t> start, std::uint64_t at);

// A whole block, as long as its start said. With DamagePolicy::show a block
// whose two lengths agree is read despite a checksum that differs, and says so.
struct CaptureBlockRead {
    InputFinding finding;
    bool readable = false;  // the fields below hold what the block says
    CaptureBlockType type = CaptureBlockType::records;
    bool known = false;  // of a type this program reads; others are passed over
    std::int64_t seenAt = 0;
    std::uint32_t read = 0;
    std::span<const std::uint8_t> records;  // inside the block
    CaptureGap gap;
};
CaptureBlockRead readCaptureBlock(std::span<const std::uint8_t> block, std::uint64_t at,
                                  FormatVersion version, DamagePolicy policy);

}  // namespace ambertap
