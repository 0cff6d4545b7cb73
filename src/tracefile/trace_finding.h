// What can be wrong with an input that holds a trace: a failed read, a trace
// file that is refused or damaged, or damage to a hex text. Every reason text
// lives in trace_finding.cpp.
#pragma once

#include <cstdint>

namespace ambertap {

enum class Problem : std::uint8_t {
    none,
    readError,  // the byte source failed; `error` holds its error number
    // A trace file.
    signatureChanged,    // a transfer changed the signature: see `lineEnds`, `eighthBitStripped`
    otherMajorVersion,   // `version` is newer than `limit`, the newest major version read, or 0
    headerSizeWrong,     // `count` is no header size of `version`
    cutShort,            // `count` of `limit` bytes are there
    headerDamaged,       // the header's checksum differs
    checksumDiffers,     // the record bytes' checksum differs
    tooManyRecordBytes,  // the header declares `count` record bytes, more than one read holds
    bytesAfterEnd,       // the file goes on after its record bytes
    // A block of a capture file, the one at `at`.
    blockCut,              // the file ends after `count` of its `limit` bytes (0: unknown)
    blockLengthWrong,      // it declares `count` bytes, a length no block has
    blockLengthsDiffer,    // its two length fields differ
    blockChecksumDiffers,  // its CRC-32 differs
    blockSizeWrong,        // its length, `count` bytes, does not fit its type
    // A hex text, at `line`.
    notText,        // `byteValue` is a control byte or DEL
    notHexDigit,    // `byteValue` stands where a hex digit or a blank was expected
    oddDigitCount,  // a word of an odd number of hex digits
    offsetTooLong,  // an offset ("hexdigits:") of more than 16 digits
    // A hex dump of `layout`, at `line`.
    notDumpLine,        // a line that does not follow the layout
    offsetBreak,        // a line at offset `count` where `limit` was next
    lengthDiffers,      // a length line of `count` where the dump ends at `limit`
    repeatWithoutLine,  // a repeat mark ("*") after no whole line
    repeatUnfit,        // the repeat mark's line does not repeat in whole up to offset `count`
    repeatTooLong,      // a repeat of `count` bytes, more than the `limit` of one read
    repeatUnended,      // a repeat mark with no line after it
};

// How a transfer changed the line ends of a trace file's signature.
enum class LineEndChange : std::uint8_t {
    none,
    crLfBecameLf,      // CR LF turned into LF
    lfBecameCrLf,      // every LF turned into CR LF, the one after CR too
    loneLfBecameCrLf,  // each LF not after CR turned into CR LF
    unknown,           // the signature's line-end bytes match no known change
};

struct FormatVersion {
    std::uint16_t major = 0;
    std::uint16_t minor = 0;
};

struct InputFinding {
    Problem problem = Problem::none;
    LineEndChange lineEnds = LineEndChange::none;
    bool eighthBitStripped = false;
    std::uint8_t byteValue = 0;
    FormatVersion version;
    std::uint64_t line = 0;        // of a hex text, counting from 1
    const char* layout = nullptr;  // of a hex dump: its name
    std::uint64_t at = 0;          // of a capture file's block: its first byte in the file
    std::uint64_t count = 0;
    std::uint64_t limit = 0;
    int error = 0;  // the system's error number of a read error
};

// The reason as one line of text without its newline, e.g. "damaged:
// checksum differs"; the caller puts the file's name (and a hex text's line
// number) in front.
struct InputFindingText {
    char text[160];
};
InputFindingText describe(const InputFinding& finding);

}  // namespace ambertap
