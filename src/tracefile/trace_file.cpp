#include "trace_file.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "file_fields.h"

namespace ambertap {

namespace {

using Layout = TraceFileLayout;

constexpr std::size_t signatureLetters = 4;  // the first byte and "ATR"
constexpr std::uint8_t eighthBit = 0x80;

// Reads a little-endian field of 2, 4 or 8 bytes; one that the bytes do not
// hold whole reads 0.
std::uint64_t field(std::span<const std::uint8_t> bytes, std::size_t offset, std::size_t width) {
    FileFields fields(bytes);
    switch (width) {
        case 2:
            return fields.u16(offset);
        case 4:
            return fields.u32(offset);
        default:
            return fields.u64(offset);
    }
}

std::uint32_t crcOf(std::span<const std::uint8_t> bytes) {
    return crc32Of(bytes);
}

// The bytes after the letters, as written and as each line-end conversion
// leaves them.
struct SignatureTail {
    std::array<std::uint8_t, 6> bytes;
    std::size_t length;
    LineEndChange change;
};
constexpr SignatureTail signatureTails[] = {
    {{'\r', '\n', 0x1a, '\n'}, 4, LineEndChange::none},
    {{'\n', 0x1a, '\n'}, 3, LineEndChange::crLfBecameLf},
    {{'\r', '\r', '\n', 0x1a, '\r', '\n'}, 6, LineEndChange::lfBecameCrLf},
    {{'\r', '\n', 0x1a, '\r', '\n'}, 5, LineEndChange::loneLfBecameCrLf},
};

enum class SignatureFit : std::uint8_t { notOne, cut, whole };

struct SignatureMatch {
    SignatureFit fit = SignatureFit::notOne;
    bool eighthBitStripped = false;
    LineEndChange change = LineEndChange::none;
    std::size_t length = 0;  // of the signature as it lies in the file
};

bool lettersMatch(std::span<const std::uint8_t> start, bool& eighthBitStripped) {
    const std::size_t compared = std::min(start.size(), signatureLetters);
    if (compared < 2) {
        return false;
    }
    eighthBitStripped = start[0] == (traceFileSignature[0] & ~eighthBit);
    return (start[0] == traceFileSignature[0] || eighthBitStripped) &&
           std::equal(start.begin() + 1, start.begin() + static_cast<std::ptrdiff_t>(compared),
                      traceFileSignature + 1);
}

SignatureMatch matchSignature(std::span<const std::uint8_t> image) {
    SignatureMatch match;
    if (!lettersMatch(image, match.eighthBitStripped)) {
        return match;
    }
    match.fit = SignatureFit::cut;
    if (image.size() < signatureLetters) {
        return match;
    }
    const std::span<const std::uint8_t> rest = image.subspan(signatureLetters);
    bool cutInsideOne = false;
    for (const SignatureTail& tail : signatureTails) {
        const std::size_t compared = std::min(rest.size(), tail.length);
        if (!std::equal(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(compared),
                        tail.bytes.begin())) {
            continue;
        }
        if (compared < tail.length) {
            cutInsideOne = true;
            continue;
        }
        match.fit = SignatureFit::whole;
        match.change = tail.change;
        match.length = signatureLetters + tail.length;
        return match;
    }
    if (!cutInsideOne) {
        match.fit = SignatureFit::whole;
        match.change = LineEndChange::unknown;
    }
    return match;
}

TraceFileFacts factsOf(std::span<const std::uint8_t> image) {
    TraceFileFacts facts;
    facts.version.major = static_cast<std::uint16_t>(field(image, Layout::major, 2));
    facts.version.minor = static_cast<std::uint16_t>(field(image, Layout::minor, 2));
    facts.headerSize = static_cast<std::uint32_t>(field(image, Layout::headerSize, 4));
    facts.recordBytes = static_cast<std::uint32_t>(field(image, Layout::recordBytes, 4));
    facts.recordCrc = static_cast<std::uint32_t>(field(image, Layout::recordCrc, 4));
    facts.savedAt = static_cast<std::int64_t>(field(image, Layout::savedAt, 8));
    facts.flags = static_cast<std::uint32_t>(field(image, Layout::flags, 4));
    return facts;
}

// A header of version 1.0 has exactly the fields above; a later minor
// version may add fields, in whole dwords, before its checksum.
bool headerSizeFits(const TraceFileFacts& facts) {
    if (facts.version.minor == 0) {
        return facts.headerSize == Layout::size;
    }
    return facts.headerSize >= Layout::size && facts.headerSize <= Layout::largestSize &&
           facts.headerSize % 4 == 0;
}

std::uint32_t headerCrcOf(std::span<const std::uint8_t> image, std::uint32_t headerSize) {
    return crcOf(image.first(headerSize - 4));
}

TraceFileRead refused(Problem problem, std::uint64_t count = 0, std::uint64_t limit = 0) {
    TraceFileRead read;
    read.finding.problem = problem;
    read.finding.count = count;
    read.finding.limit = limit;
    return read;
}

TraceFileRead refusedSignature(const SignatureMatch& match) {
    TraceFileRead read = refused(Problem::signatureChanged);
    read.finding.lineEnds = match.change;
    read.finding.eighthBitStripped = match.eighthBitStripped;
    return read;
}

// The header is whole and its fields are sound; what is left is damage that
// the caller may ask to see past.
TraceFileRead readRecords(std::span<const std::uint8_t> image, const TraceFileFacts& facts,
                          DamagePolicy policy) {
    TraceFileRead read;
    read.headerRead = true;
    read.facts = facts;
    const std::size_t declaredEnd = std::size_t{facts.headerSize} + facts.recordBytes;
    const std::size_t recordsEnd = std::min(image.size(), declaredEnd);
    const std::span<const std::uint8_t> records =
        image.subspan(facts.headerSize, recordsEnd - facts.headerSize);
    if (field(image, facts.headerSize - 4, 4) != headerCrcOf(image, facts.headerSize)) {
        read.finding.problem = Problem::headerDamaged;
    } else if (image.size() < declaredEnd) {
        read.finding.problem = Problem::cutShort;
        read.finding.count = image.size();
        read.finding.limit = declaredEnd;
    } else if (image.size() > declaredEnd) {
        read.finding.problem = Problem::bytesAfterEnd;
    } else if (crcOf(records) != facts.recordCrc) {
        read.finding.problem = Problem::checksumDiffers;
    }
    if (read.finding.problem == Problem::none || policy == DamagePolicy::show) {
        read.records = records;
    }
    return read;
}

}  // namespace

std::size_t writeTraceFile(std::span<const std::uint8_t> records, const SaveFacts& facts,
                           std::span<std::uint8_t> into) {
    if (records.size() > driverTraceBufferSize || into.size() < traceFileSize(records.size())) {
        return 0;
    }
    const std::span<std::uint8_t> header = into.first(Layout::size);
    std::copy(std::begin(traceFileSignature), std::end(traceFileSignature), header.begin());
    putLittleEndian(header, Layout::major, 2, traceFileVersion.major);
    putLittleEndian(header, Layout::minor, 2, traceFileVersion.minor);
    putLittleEndian(header, Layout::headerSize, 4, Layout::size);
    putLittleEndian(header, Layout::recordBytes, 4, records.size());
    putLittleEndian(header, Layout::recordCrc, 4, crcOf(records));
    putLittleEndian(header, Layout::savedAt, 8, static_cast<std::uint64_t>(facts.savedAt));
    putLittleEndian(header, Layout::flags, 4, facts.moreData ? Layout::moreDataFlag : 0);
    putLittleEndian(header, Layout::headerCrc, 4, headerCrcOf(header, Layout::size));
    std::copy(records.begin(), records.end(), into.begin() + Layout::size);
    return traceFileSize(records.size());
}

TraceFileStart readTraceFileStart(std::span<const std::uint8_t> image) {
    TraceFileStart start;
    const SignatureMatch signature = matchSignature(image);
    if (signature.fit == SignatureFit::notOne || signature.eighthBitStripped ||
        signature.change != LineEndChange::none) {
        start.finding = refusedSignature(signature).finding;
    } else if (image.size() < Layout::headerSize) {
        start.finding = refused(Problem::cutShort, image.size(), Layout::size).finding;
    } else {
        start.version.major = static_cast<std::uint16_t>(field(image, Layout::major, 2));
        start.version.minor = static_cast<std::uint16_t>(field(image, Layout::minor, 2));
    }
    return start;
}

TraceFileRead readTraceFile(std::span<const std::uint8_t> image, DamagePolicy policy) {
    const TraceFileStart start = readTraceFileStart(image);
    if (start.finding.problem != Problem::none) {
        TraceFileRead read;
        read.finding = start.finding;
        return read;
    }
    // The version comes first: a newer major version may lay out all else anew.
    if (start.version.major != traceFileVersion.major) {
        TraceFileRead read = refused(Problem::otherMajorVersion, 0, traceFileVersion.major);
        read.finding.version = start.version;
        return read;
    }
    const TraceFileFacts facts = factsOf(image);
    if (image.size() < Layout::recordBytes + 4) {
        return refused(Problem::cutShort, image.size(), Layout::size);
    }
    if (!headerSizeFits(facts)) {
        TraceFileRead read = refused(Problem::headerSizeWrong, facts.headerSize);
        read.finding.version = facts.version;
        return read;
    }
    if (facts.recordBytes > driverTraceBufferSize) {
        return refused(Problem::tooManyRecordBytes, facts.recordBytes, driverTraceBufferSize);
    }
    if (image.size() < facts.headerSize) {
        return refused(Problem::cutShort, image.size(),
                       std::size_t{facts.headerSize} + facts.recordBytes);
    }
    return readRecords(image, facts, policy);
}

bool startsLikeTraceFile(std::span<const std::uint8_t> start) {
    bool eighthBitStripped = false;
    return lettersMatch(start, eighthBitStripped);
}

}  // namespace ambertap
