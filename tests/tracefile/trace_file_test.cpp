// The trace file's bytes, its round trip, and each kind of damage it must
// show, as a strict reader and as one asked to show damaged files.
#include "trace_file.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

#include "byte_images.h"
#include "case_names.h"
#include "memory_source.h"

namespace ambertap {
namespace {

using testing::flipped;
using testing::putDword;
using testing::span;

using testing::bytesOf;

std::string fileOf(const std::string& records, SaveFacts facts = {}) {
    std::string image(traceFileSize(records.size()), '\0');
    image.resize(writeTraceFile(span(records), facts,
                                {reinterpret_cast<std::uint8_t*>(image.data()), image.size()}));
    return image;
}

// A record that holds a CR LF and a lone LF, so that every transfer changes it.
const std::string sampleRecords = bytesOf("02 0e 0e 00 01 00 05 81 0a 00 01 00 00 00 0d 0a");

TEST(TraceFile, HasTheDocumentedBytes) {
    EXPECT_EQ(fileOf(sampleRecords, {0x0102030405060708, true}),
              bytesOf("8f 41 54 52 0d 0a 1a 0a 01 00 00 00 28 00 00 00 10 00 00 00 da e8 b6 4e "
                      "08 07 06 05 04 03 02 01 01 00 00 00 95 bd 5f f3") +
                  sampleRecords);
}

TEST(TraceFile, ReadsBackWhatWasWritten) {
    const std::pair<std::string, SaveFacts> rows[] = {
        {"", {0, false}},
        {sampleRecords, {1700000000, false}},
        {sampleRecords, {-86400, true}},
        {std::string(10000, '\x02'), {INT64_MAX, true}}};
    for (const auto& [written, facts] : rows) {
        const std::string image = fileOf(written, facts);
        const TraceFileRead read = readTraceFile(span(image), DamagePolicy::refuse);
        EXPECT_EQ(read.finding.problem, Problem::none) << describe(read.finding).text;
        EXPECT_EQ(std::string(read.records.begin(), read.records.end()), written);
        EXPECT_EQ(read.facts.savedAt, facts.savedAt);
        EXPECT_EQ(read.facts.moreData(), facts.moreData);
    }
}

TEST(TraceFile, WriterRefusesMoreThanOneReadOrTooLittleRoom) {
    std::string room(traceFileSize(10001), '\0');
    auto into = [&](std::size_t size) {
        return std::span<std::uint8_t>(reinterpret_cast<std::uint8_t*>(room.data()), size);
    };
    EXPECT_EQ(writeTraceFile(span(std::string(10001, '\1')), {}, into(room.size())), 0u);
    EXPECT_EQ(
        writeTraceFile(span(sampleRecords), {}, into(traceFileSize(sampleRecords.size()) - 1)), 0u);
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) {
        text.replace(at, from.size(), to);
    }
    return text;
}

std::string loneLfToCrLf(const std::string& image) {
    std::string changed;
    for (std::size_t i = 0; i < image.size(); ++i) {
        changed +=
            image[i] == '\n' && (i == 0 || image[i - 1] != '\r') ? "\r\n" : image.substr(i, 1);
    }
    return changed;
}

std::string stripped(std::string image) {
    for (char& c : image) {
        c = static_cast<char>(c & 0x7f);
    }
    return image;
}

// Sets a header field and makes the header's checksum fit again.
std::string withField(std::string image, std::size_t at, std::uint32_t value) {
    putDword(image, at, value);
    const std::size_t headerSize = static_cast<std::uint8_t>(image[12]);
    putDword(image, headerSize - 4,
             static_cast<std::uint32_t>(crc32(0, span(image).data(), uInt(headerSize - 4))));
    return image;
}

// A later minor version with a field more in the header.
std::string withLargerHeader(std::uint32_t minor) {
    std::string image = fileOf(sampleRecords);
    image.insert(36, 4, '\x55');
    return withField(withField(image, 12, 44), 8, 1 | minor << 16);
}

struct Damage {
    std::string name;
    std::string image;
    std::string reason;  // empty for a file that is sound
    int shown;           // record bytes shown with DamagePolicy::show; -1: refused
};

class TraceFileDamage : public ::testing::TestWithParam<Damage> {};

TEST_P(TraceFileDamage, IsRefusedWithItsReason) {
    const Damage& row = GetParam();
    const TraceFileRead strict = readTraceFile(span(row.image), DamagePolicy::refuse);
    EXPECT_STREQ(describe(strict.finding).text, row.reason.c_str());
    EXPECT_EQ(strict.records.size(), row.reason.empty() ? sampleRecords.size() : 0u);

    const TraceFileRead shown = readTraceFile(span(row.image), DamagePolicy::show);
    EXPECT_EQ(shown.headerRead, row.shown >= 0);
    EXPECT_EQ(static_cast<int>(shown.records.size()), std::max(row.shown, 0));

    // The reader of inputs takes it as a trace file, never as text or bare records.
    testing::MemorySource source(row.image, 3);
    TraceInput input(source, DamagePolicy::refuse);
    EXPECT_EQ(input.start(), row.reason.empty() ? InputStatus::ready : InputStatus::refused);
    EXPECT_EQ(input.form(), InputForm::traceFile);
}

const std::string soundTrace = fileOf(sampleRecords);
const std::string eighthBit = "eighth bit stripped (a 7-bit transfer changed the file)";
const std::string crLfToLf = "line ends converted (a transfer changed CR LF into LF)";

INSTANTIATE_TEST_SUITE_P(
    Rows, TraceFileDamage,
    ::testing::Values(
        Damage{"record_byte_flipped", flipped(soundTrace, 50), "damaged: checksum differs", 16},
        Damage{"time_byte_flipped", flipped(soundTrace, 24), "damaged: header checksum differs",
               16},
        Damage{"last_byte_cut", soundTrace.substr(0, 55), "cut short: 55 of 56 bytes", 15},
        Damage{"cut_inside_header", soundTrace.substr(0, 30), "cut short: 30 of 56 bytes", -1},
        Damage{"cut_inside_signature", soundTrace.substr(0, 6), "cut short: 6 of 40 bytes", -1},
        Damage{"byte_added", soundTrace + "x", "bytes after the end of the records", 16},
        Damage{"more_than_largest_file", soundTrace + std::string(20000, 'x'),
               "bytes after the end of the records", 16},
        Damage{"crlf_to_lf", replaced(soundTrace, "\r\n", "\n"), crLfToLf, -1},
        Damage{"lf_to_crlf", replaced(soundTrace, "\n", "\r\n"),
               "line ends converted (a transfer changed LF into CR LF)", -1},
        Damage{"lone_lf_to_crlf", loneLfToCrLf(soundTrace),
               "line ends converted (a transfer changed a lone LF into CR LF)", -1},
        Damage{"eighth_bit_stripped", stripped(soundTrace), eighthBit, -1},
        Damage{"stripped_and_crlf_to_lf", stripped(replaced(soundTrace, "\r\n", "\n")),
               "eighth bit stripped, and " + crLfToLf, -1},
        Damage{"stripped_and_cut", stripped(soundTrace.substr(0, 3)), eighthBit, -1},
        Damage{"signature_changed_otherwise", replaced(soundTrace, "\x1a", "\x1b"),
               "damaged: signature differs", -1},
        Damage{"newer_major", withField(soundTrace, 8, 3 | 1 << 16),
               "newer format version 3.1 (this program reads 1.x)", -1},
        Damage{"major_0", withField(soundTrace, 8, 0), "damaged: no such format version: 0.0", -1},
        Damage{"newer_minor_larger_header", withLargerHeader(1), "", 16},
        Damage{"minor_0_larger_header", withLargerHeader(0),
               "damaged: a header of 44 bytes does not fit format version 1.0", -1},
        Damage{"too_many_record_bytes", withField(soundTrace, 16, 10001),
               "more record bytes than one read can hold: 10001 of at most 10000", -1}),
    testing::NamedByRow());

}  // namespace
}  // namespace ambertap
