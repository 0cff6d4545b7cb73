#include "capture_file.h"

#include <algorithm>

#include "file_fields.h"

namespace ambertap {

namespace {

using Header = CaptureHeaderLayout;
using Block = CaptureBlockLayout;

constexpr GapKindText certainGap{"certain",
                                 "the driver's trace no longer began with what was kept"};
constexpr GapKindText possibleGap{"possible",
                                  "messages traced between a read and its clear are lost"};

InputFinding findingOf(Problem problem, std::uint64_t count = 0, std::uint64_t limit = 0) {
    InputFinding finding;
    finding.problem = problem;
    finding.count = count;
    finding.limit = limit;
    return finding;
}

InputFinding blockFinding(Problem problem, std::uint64_t at, std::uint64_t count = 0,
                          std::uint64_t limit = 0) {
    InputFinding finding = findingOf(problem, count, limit);
    finding.at = at;
    return finding;
}

// As in every trace file: version 2.0 has exactly the fields above, a later
// minor version may add fields, in whole dwords, before its checksum.
bool headerSizeFits(FormatVersion version, std::uint32_t headerSize) {
    if (version.minor == 0) {
        return headerSize == Header::size;
    }
    return headerSize >= Header::size && headerSize <= TraceFileLayout::largestSize &&
           headerSize % 4 == 0;
}

// A later minor version may add fields to a block's body, before its trailer.
bool sizeFitsType(CaptureBlockType type, std::uint32_t length, FormatVersion version) {
    const std::size_t least =
        type == CaptureBlockType::records ? RecordsBlockLayout::frameSize : GapBlockLayout::size;
    if (type == CaptureBlockType::gap && version.minor == 0) {
        return length == least;
    }
    return length >= least;
}

void putCrcAndLength(std::span<std::uint8_t> trailer, std::uint32_t crc, std::size_t length) {
    putLittleEndian(trailer, 0, 4, crc);
    putLittleEndian(trailer, 4, 4, length);
}

void readFields(std::span<const std::uint8_t> block, CaptureBlockRead& read) {
    FileFields fields(block);
    if (read.type == CaptureBlockType::records) {
        read.seenAt = fields.s64(RecordsBlockLayout::seenAt);
        read.read = fields.u32(RecordsBlockLayout::read);
        read.records = block.subspan(RecordsBlockLayout::records,
                                     block.size() - RecordsBlockLayout::frameSize);
        return;
    }
    read.gap.kind = fields.u32(GapBlockLayout::kind);
    read.gap.from = fields.s64(GapBlockLayout::from);
    read.gap.to = fields.s64(GapBlockLayout::to);
    read.gap.readBefore = fields.u32(GapBlockLayout::readBefore);
    read.gap.readAfter = fields.u32(GapBlockLayout::readAfter);
}

}  // namespace

const GapKindText* gapKindText(std::uint32_t kind) {
    switch (kind) {
        case static_cast<std::uint32_t>(GapKind::certain):
            return &certainGap;
        case static_cast<std::uint32_t>(GapKind::possible):
            return &possibleGap;
        default:
            return nullptr;
    }
}

std::array<std::uint8_t, CaptureHeaderLayout::size> captureHeader(const CaptureFacts& facts) {
    std::array<std::uint8_t, Header::size> header{};
    std::copy(std::begin(traceFileSignature), std::end(traceFileSignature), header.begin());
    putLittleEndian(header, TraceFileLayout::major, 2, captureFileVersion.major);
    putLittleEndian(header, TraceFileLayout::minor, 2, captureFileVersion.minor);
    putLittleEndian(header, TraceFileLayout::headerSize, 4, Header::size);
    putLittleEndian(header, Header::startedAt, 8, static_cast<std::uint64_t>(facts.startedAt));
    putLittleEndian(header, Header::interval, 4, facts.interval);
    putLittleEndian(header, Header::clearAt, 4, facts.clearAt);
    putLittleEndian(header, Header::headerCrc, 4,
                    crc32Of(std::span<const std::uint8_t>(header).first(Header::headerCrc)));
    return header;
}

bool frameRecordsBlock(std::int64_t seenAt, std::uint32_t read,
                       std::span<const std::uint8_t> records, RecordsBlockFrame& frame) {
    if (records.size() > largestTraceRead) {
        return false;
    }
    const std::size_t length = RecordsBlockLayout::frameSize + records.size();
    frame.head.fill(0);
    putLittleEndian(frame.head, Block::type, 4,
                    static_cast<std::uint32_t>(CaptureBlockType::records));
    putLittleEndian(frame.head, Block::length, 4, length);
    putLittleEndian(frame.head, RecordsBlockLayout::seenAt, 8, static_cast<std::uint64_t>(seenAt));
    putLittleEndian(frame.head, RecordsBlockLayout::read, 4, read);
    putCrcAndLength(frame.trailer, crc32Of(records, crc32Of(frame.head)), length);
    return true;
}

std::array<std::uint8_t, GapBlockLayout::size> gapBlock(const CaptureGap& gap) {
    std::array<std::uint8_t, GapBlockLayout::size> block{};
    putLittleEndian(block, Block::type, 4, static_cast<std::uint32_t>(CaptureBlockType::gap));
    putLittleEndian(block, Block::length, 4, GapBlockLayout::size);
    putLittleEndian(block, GapBlockLayout::kind, 4, gap.kind);
    putLittleEndian(block, GapBlockLayout::from, 8, static_cast<std::uint64_t>(gap.from));
    putLittleEndian(block, GapBlockLayout::to, 8, static_cast<std::uint64_t>(gap.to));
    putLittleEndian(block, GapBlockLayout::readBefore, 4, gap.readBefore);
    putLittleEndian(block, GapBlockLayout::readAfter, 4, gap.readAfter);
    const std::size_t crcAt = GapBlockLayout::size - Block::trailerSize;
    putCrcAndLength(std::span<std::uint8_t>(block).subspan(crcAt),
                    crc32Of(std::span<const std::uint8_t>(block).first(crcAt)),
                    GapBlockLayout::size);
    return block;
}

CaptureHeaderRead readCaptureHeader(std::span<const std::uint8_t> image) {
    CaptureHeaderRead read;
    FileFields fields(image);
    read.facts.version.major = fields.u16(TraceFileLayout::major);
    read.facts.version.minor = fields.u16(TraceFileLayout::minor);
    if (image.size() < TraceFileLayout::headerSize + 4) {
        read.finding = findingOf(Problem::cutShort, image.size(), Header::size);
        return read;
    }
    read.facts.headerSize = fields.u32(TraceFileLayout::headerSize);
    if (!headerSizeFits(read.facts.version, read.facts.headerSize)) {
        read.finding = findingOf(Problem::headerSizeWrong, read.facts.headerSize);
        read.finding.version = read.facts.version;
        return read;
    }
    if (image.size() < read.facts.headerSize) {
        read.finding = findingOf(Problem::cutShort, image.size(), read.facts.headerSize);
        return read;
    }
    read.facts.startedAt = fields.s64(Header::startedAt);
    read.facts.interval = fields.u32(Header::interval);
    read.facts.clearAt = fields.u32(Header::clearAt);
    const std::size_t crcAt = read.facts.headerSize - 4;
    if (fields.u32(crcAt) != crc32Of(image.first(crcAt))) {
        read.finding = findingOf(Problem::headerDamaged);
    }
    return read;
}

BlockStart readBlockStart(std::span<const std::uint8_t> start, std::uint64_t at) {
    BlockStart block;
    FileFields fields(start);
    block.type = fields.u32(Block::type);
    block.length = fields.u32(Block::length);
    if (block.length < Block::frameSize || block.length > largestCaptureBlock) {
        block.finding = blockFinding(Problem::blockLengthWrong, at, block.length);
    }
    return block;
}

CaptureBlockRead readCaptureBlock(std::span<const std::uint8_t> block, std::uint64_t at,
                                  FormatVersion version, DamagePolicy policy) {
    CaptureBlockRead read;
    FileFields fields(block);
    const std::size_t crcAt = block.size() - Block::trailerSize;
    if (fields.u32(crcAt + 4) != block.size()) {
        read.finding = blockFinding(Problem::blockLengthsDiffer, at);
        return read;
    }
    const std::uint32_t type = fields.u32(Block::type);
    read.known = type == static_cast<std::uint32_t>(CaptureBlockType::records) ||
                 type == static_cast<std::uint32_t>(CaptureBlockType::gap);
    read.type = static_cast<CaptureBlockType>(type);
    const auto length = static_cast<std::uint32_t>(block.size());
    if (read.known && !sizeFitsType(read.type, length, version)) {
        read.finding = blockFinding(Problem::blockSizeWrong, at, length);
        return read;
    }
    if (fields.u32(crcAt) != crc32Of(block.first(crcAt))) {
        read.finding = blockFinding(Problem::blockChecksumDiffers, at);
        if (policy == DamagePolicy::refuse) {
            return read;
        }
    }
    read.readable = true;
    if (read.known) {
        readFields(block, read);
    }
    return read;
}

}  // namespace ambertap
