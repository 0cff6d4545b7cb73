// The capture file: its documented bytes, that a reader of version 1 refuses
// it with its version, and what the input reader makes of each kind of
// damage and cut, as a strict reader and as one asked to show damage.
#include "capture_file.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "byte_images.h"
#include "case_names.h"
#include "memory_source.h"
#include "trace_input.h"

namespace ambertap {
namespace {

using testing::flipped;
using testing::putDword;
using testing::span;

using testing::bytesOf;

template <std::size_t size>
std::string text(const std::array<std::uint8_t, size>& bytes) {
    return {bytes.begin(), bytes.end()};
}

constexpr std::int64_t startedAt = 1765375387215;  // 2025-12-10 14:03:07.215 UTC

std::string header(std::uint32_t interval = 100) {
    CaptureFacts facts;
    facts.startedAt = startedAt;
    facts.interval = interval;
    return text(captureHeader(facts));
}

std::string recordsBlock(const std::string& records, std::int64_t seenAt, std::uint32_t read) {
    RecordsBlockFrame frame{};
    EXPECT_TRUE(frameRecordsBlock(seenAt, read, span(records), frame));
    return text(frame.head) + records + text(frame.trailer);
}

const CaptureGap possible{2, startedAt + 85, startedAt + 89, 2, 3};

std::string gap(const CaptureGap& of = possible) {
    return text(gapBlock(of));
}

const std::string first = bytesOf("01 01 0a 02 00");  // a record of one byte, one of none
const std::string second = bytesOf("01 02 0b 0c");

TEST(CaptureFile, HasTheDocumentedBytes) {
    EXPECT_EQ(header() + gap() + recordsBlock(first, startedAt, 1),
              bytesOf("8f 41 54 52 0d 0a 1a 0a 02 00 00 00 28 00 00 00 4f a6 92 08 9b 01 00 00 "
                      "64 00 00 00 00 00 00 00 00 00 00 00 6f b8 e8 49 "
                      "02 00 00 00 2c 00 00 00 02 00 00 00 a4 a6 92 08 9b 01 00 00 a8 a6 92 08 "
                      "9b 01 00 00 02 00 00 00 03 00 00 00 aa 70 3a 83 2c 00 00 00 "
                      "01 00 00 00 21 00 00 00 4f a6 92 08 9b 01 00 00 01 00 00 00 01 01 0a 02 "
                      "00 1b 9c fc 93 21 00 00 00"));
}

// Such a reader (this program's own for version 1) never misreads a capture,
// even asked to show damage.
TEST(CaptureFile, VersionOneReaderRefusesItWithItsVersion) {
    for (const std::string& image :
         {header(), header() + gap(), header() + recordsBlock(first, startedAt, 1)}) {
        for (const DamagePolicy policy : {DamagePolicy::refuse, DamagePolicy::show}) {
            const TraceFileRead read = readTraceFile(span(image), policy);
            EXPECT_STREQ(describe(read.finding).text,
                         "newer format version 2.0 (this program reads 1.x)");
            EXPECT_FALSE(read.headerRead);
            EXPECT_TRUE(read.records.empty());
        }
    }
}

// What a walk of the input gave: each records block as its size and time,
// each gap as its kind, then how it ended.
std::string walk(const std::string& image, DamagePolicy policy, std::size_t piece = 3) {
    testing::MemorySource source(image, piece);
    TraceInput input(source, policy);
    std::string events;
    RecordBlock block;
    InputStatus status;
    while ((status = input.next(block)) == InputStatus::ready || status == InputStatus::gap) {
        if (status == InputStatus::gap) {
            events += "gap " + std::to_string(input.gap().kind) + ", ";
        } else {
            events += std::to_string(block.size) + " at " +
                      std::to_string(block.seenAt - startedAt) + ", ";
        }
    }
    if (status != InputStatus::end) {
        return events + "refused: " + describe(input.finding()).text;
    }
    if (input.shownDespiteDamage()) {
        return events + "shown despite damage: " + describe(input.finding()).text;
    }
    if (input.lastBlockCut()) {
        return events + "end, cut: " + describe(input.finding()).text;
    }
    return events + "end";
}

// Makes a block's checksum fit again after a change, so that only the change shows.
std::string resealed(std::string block) {
    const std::size_t crcAt = block.size() - 8;
    putDword(block, crcAt, static_cast<std::uint32_t>(crc32(0, span(block).data(), uInt(crcAt))));
    return block;
}

std::string withDword(std::string image, std::size_t at, std::uint32_t value) {
    putDword(image, at, value);
    return image;
}

// A header of a later minor version, with a field more before its checksum.
std::string laterMinorHeader() {
    std::string image = header().substr(0, 36) + std::string(4, '\x55') + std::string(4, '\0');
    putDword(image, 8, 2 | 1 << 16);
    putDword(image, 12, 44);
    putDword(image, 40, static_cast<std::uint32_t>(crc32(0, span(image).data(), 40)));
    return image;
}

// A gap block with a field more at the end of its body, as a later minor
// version may have it.
std::string gapWithAFieldMore() {
    std::string block = gap().substr(0, 36) + std::string(4, '\x55') + std::string(8, '\0');
    putDword(block, 4, 48);
    putDword(block, 44, 48);
    return resealed(block);
}

// header at 0, records at 40 (33 bytes), gap at 73 (44), records at 117 (32)
const std::string sound =
    header() + recordsBlock(first, startedAt, 1) + gap() + recordsBlock(second, startedAt + 100, 3);
const std::string soundEvents = "5 at 0, gap 2, 4 at 100, ";

struct CaptureRow {
    std::string name;
    std::string image;
    std::string strict;  // the walk as a strict reader makes it
    std::string shown;   // as one asked to show damage makes it
};

class CaptureInput : public ::testing::TestWithParam<CaptureRow> {};

TEST_P(CaptureInput, ShowsEveryWholeBlock) {
    const CaptureRow& row = GetParam();
    EXPECT_EQ(walk(row.image, DamagePolicy::refuse), row.strict);
    EXPECT_EQ(walk(row.image, DamagePolicy::refuse, SIZE_MAX), row.strict) << "read at once";
    EXPECT_EQ(walk(row.image, DamagePolicy::show), row.shown);
}

const std::string cutLast = "cut short: the block at byte 117 ends after 29 of its 32 bytes";
const std::string cutBeforeLength =
    "cut short: the block at byte 117 ends after 5 bytes, before its length";
const std::string unknownBlock = resealed(withDword(gap(), 0, 9));
const std::string longerGap = gapWithAFieldMore();

INSTANTIATE_TEST_SUITE_P(
    Rows, CaptureInput,
    ::testing::Values(
        CaptureRow{"sound", sound, soundEvents + "end", soundEvents + "end"},
        CaptureRow{"header_alone", header(), "end", "end"},
        // A capture that is still being written, or was killed, ends inside
        // its last block: every whole block shows, strictly too.
        CaptureRow{"cut_inside_the_last_block", sound.substr(0, sound.size() - 3),
                   "5 at 0, gap 2, end, cut: " + cutLast,
                   "5 at 0, gap 2, 4 at 100, shown despite damage: " + cutLast},
        CaptureRow{"cut_before_the_last_length", sound.substr(0, 122),
                   "5 at 0, gap 2, end, cut: " + cutBeforeLength,
                   "5 at 0, gap 2, shown despite damage: " + cutBeforeLength},
        CaptureRow{"record_byte_flipped", flipped(sound, 62),
                   "refused: damaged: the block at byte 40: checksum differs",
                   soundEvents + "shown despite damage: damaged: the block at byte 40: "
                                 "checksum differs"},
        CaptureRow{"lengths_differ", withDword(sound, 69, 34),
                   "refused: damaged: the block at byte 40: its two lengths differ",
                   "shown despite damage: damaged: the block at byte 40: its two lengths differ"},
        CaptureRow{"length_of_no_block", withDword(sound, 77, 8),
                   "5 at 0, refused: damaged: the block at byte 73 declares 8 bytes, a length "
                   "no block has",
                   "5 at 0, shown despite damage: damaged: the block at byte 73 declares 8 "
                   "bytes, a length no block has"},
        CaptureRow{"longer_than_any_read", withDword(sound, 77, largestCaptureBlock + 1),
                   "5 at 0, refused: damaged: the block at byte 73 declares 1048605 bytes, a "
                   "length no block has",
                   "5 at 0, shown despite damage: damaged: the block at byte 73 declares "
                   "1048605 bytes, a length no block has"},
        CaptureRow{"gap_of_another_size_in_2_0", header() + longerGap,
                   "refused: damaged: the block at byte 40: 48 bytes do not fit its type",
                   "shown despite damage: damaged: the block at byte 40: 48 bytes do not fit "
                   "its type"},
        CaptureRow{"unknown_block_type_passed_over",
                   header() + unknownBlock + recordsBlock(first, startedAt, 1), "5 at 0, end",
                   "5 at 0, end"},
        CaptureRow{"header_byte_flipped", flipped(sound, 20),
                   "refused: damaged: header checksum differs",
                   soundEvents + "shown despite damage: damaged: header checksum differs"},
        CaptureRow{"header_of_another_size", withDword(header(), 12, 44) + std::string(4, '\0'),
                   "refused: damaged: a header of 44 bytes does not fit format version 2.0",
                   "refused: damaged: a header of 44 bytes does not fit format version 2.0"},
        CaptureRow{"cut_inside_the_header", header().substr(0, 30),
                   "refused: cut short: 30 of 40 bytes", "refused: cut short: 30 of 40 bytes"},
        CaptureRow{"later_minor_with_larger_fields", laterMinorHeader() + longerGap, "gap 2, end",
                   "gap 2, end"},
        CaptureRow{"newer_major", withDword(header(), 8, 3),
                   "refused: newer format version 3.0 (this program reads 1.x to 2.x)",
                   "refused: newer format version 3.0 (this program reads 1.x to 2.x)"}),
    testing::NamedByRow());

// A block of a long read goes out in pieces of whole records that fit the
// reader's room, one after another.
TEST(CaptureFile, LongBlockGoesOutInWholeRecords) {
    std::string records;
    for (int i = 0; records.size() < 5000; ++i) {
        records += bytesOf("02 09 09 00 01 00 02 81") + static_cast<char>(i) + '\0' + '\0';
    }
    const std::string image = header() + recordsBlock(records, startedAt, 1);
    testing::MemorySource source(image, 7);
    TraceInput input(source, DamagePolicy::refuse, TraceInput::minimumBlockRoom);
    const testing::Walk walked = testing::walk(input);
    EXPECT_EQ(walked.status, InputStatus::end);
    EXPECT_EQ(walked.fault, "");
    EXPECT_EQ(walked.records, records);
    EXPECT_GT(walked.blocks, 4u);
}

}  // namespace
}  // namespace ambertap
