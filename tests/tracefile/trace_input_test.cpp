// The reader of trace inputs: how it tells the forms apart, what it makes of
// hex text and its damage, and that its blocks, however the input arrives,
// hold whole records that print as the whole trace does.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "captured_stream.h"
#include "case_names.h"
#include "memory_source.h"
#include "trace_walker.h"

namespace ambertap {
namespace {

using testing::bytesOf;
using testing::MemorySource;

std::string reasonOf(const TraceInput& input) {
    const InputFinding& finding = input.finding();
    const std::string text = describe(finding).text;
    return finding.line == 0 ? text : std::to_string(finding.line) + ": " + text;
}

struct HexRow {
    std::string name;
    std::string text;
    DamagePolicy policy;
    std::string records;  // hex, when the input is read to its end
    std::string reason;   // "LINE: reason" of the (first) damage
    std::uint64_t damageCount;
};

class HexText : public ::testing::TestWithParam<HexRow> {};

TEST_P(HexText, GivesItsBytesOrItsDamage) {
    const HexRow& row = GetParam();
    for (const std::size_t piece : {std::size_t{1}, SIZE_MAX}) {
        MemorySource source(row.text, piece);
        TraceInput input(source, row.policy);
        const testing::Walk walk = testing::walk(input);
        EXPECT_EQ(input.form(), InputForm::hexText);
        const bool refused = row.policy == DamagePolicy::refuse && !row.reason.empty();
        EXPECT_EQ(walk.status, refused ? InputStatus::damagedText : InputStatus::end);
        EXPECT_EQ(reasonOf(input), row.reason) << "in pieces of " << piece;
        EXPECT_EQ(input.damageCount(), row.damageCount);
        if (!refused) {
            EXPECT_EQ(walk.records, bytesOf(row.records));
            EXPECT_EQ(input.shownDespiteDamage(), !row.reason.empty());
        }
    }
}

constexpr DamagePolicy refuse = DamagePolicy::refuse;
constexpr DamagePolicy show = DamagePolicy::show;

INSTANTIATE_TEST_SUITE_P(
    Rows, HexText,
    ::testing::Values(
        HexRow{"plain", "01 02\n03\n", refuse, "01 02 03", "", 0},
        HexRow{"byte_order_mark_crlf",
               "\xef\xbb\xbf"
               "01 02\r\n03\r\n",
               refuse, "01 02 03", "", 0},
        HexRow{"quoting_levels", "> 01 02\n> > 03\n>> 04\n  >>05\n", refuse, "01 02 03 04 05", "",
               0},
        HexRow{"comments", "# 01\n01 # 02 zz\n02#03", refuse, "01 02", "", 0},
        HexRow{"offsets", "00000010: 01 02\n10:0304\n> 0010: 05\n0:", refuse, "01 02 03 04 05", "",
               0},
        HexRow{"first_word_longer_than_an_offset", "0102030405060708090a0b0c0d0e0f 10", refuse,
               "01 02 03 04 05 06 07 08 09 0a 0b 0c 0d 0e 0f 10", "", 0},
        HexRow{"letters_in_a_comment", "01 # Grüße\n02", refuse, "01 02", "", 0},
        HexRow{"lone_cr_line_ends", "01\r02\rzz\r", refuse, "", "3: not a hex digit: 'z'", 1},
        HexRow{"crlf_is_one_line_end", "01\r\n\r\n0g", refuse, "", "3: not a hex digit: 'g'", 1},
        HexRow{"odd_digit_count", "01\n0e0 02\n", refuse, "",
               "2: odd number of hex digits in a word", 1},
        HexRow{"odd_digit_count_at_end", "01 0", refuse, "",
               "1: odd number of hex digits in a word", 1},
        HexRow{"colon_after_first_word", "01 02:03", refuse, "", "1: not a hex digit: ':'", 1},
        HexRow{"offset_too_long", "00000000000000010: 01", refuse, "",
               "1: offset of more than 16 hex digits", 1},
        HexRow{"quote_inside_line", "01 > 02", refuse, "", "1: not a hex digit: '>'", 1},
        HexRow{"letter_in_a_word", "01 \xc3\xa4", refuse, "", "1: not a hex digit: byte 0xc3", 1},
        HexRow{"control_byte_after_first_block", std::string(4100, '\n') + "01 # \x1b", refuse, "",
               "4101: not text: byte 0x1b", 1},
        HexRow{"shown_without_bad_words", "01 zz 02\n0e0 03\n04g5 0506", show, "01 02 03 05 06",
               "1: not a hex digit: 'z'", 3}),
    testing::NamedByRow());

struct FormRow {
    std::string name;
    std::string input;
    InputForm form;
    InputStatus status;  // of the whole walk
};

class InputForms : public ::testing::TestWithParam<FormRow> {};

TEST_P(InputForms, AreToldApartByContent) {
    const FormRow& row = GetParam();
    MemorySource source(row.input, 2);
    TraceInput input(source, DamagePolicy::refuse);
    const testing::Walk walk = testing::walk(input);
    EXPECT_EQ(input.form(), row.form);
    EXPECT_EQ(walk.status, row.status) << reasonOf(input);
    if (row.form == InputForm::bareRecords) {
        EXPECT_EQ(walk.records, row.input);
    }
}

const std::string listenConf = bytesOf("0e 0e 00 01 00 05 81 05 00 01 00 00 00 00 00");

INSTANTIATE_TEST_SUITE_P(
    Rows, InputForms,
    ::testing::Values(
        FormRow{"empty_is_an_empty_trace", "", InputForm::bareRecords, InputStatus::end},
        FormRow{"put_record", "\x01" + listenConf, InputForm::bareRecords, InputStatus::end},
        FormRow{"get_record", "\x02" + listenConf, InputForm::bareRecords, InputStatus::end},
        FormRow{"other_direction", "\x41" + listenConf, InputForm::bareRecords, InputStatus::end},
        FormRow{"one_signature_byte_is_text", "\x8f", InputForm::hexText, InputStatus::damagedText},
        FormRow{"control_byte_in_first_block", "01 02\n\x1b", InputForm::bareRecords,
                InputStatus::end},
        FormRow{"all_text_is_taken_as_hex", "Put LISTEN", InputForm::hexText,
                InputStatus::damagedText},
        FormRow{"byte_order_mark_alone", "\xef\xbb\xbf", InputForm::hexText, InputStatus::end},
        FormRow{"two_signature_bytes",
                "\x8f"
                "A",
                InputForm::traceFile, InputStatus::refused}),
    testing::NamedByRow());

// Records of random lengths and bytes, about `size` bytes of them.
std::string randomRecords(std::size_t size) {
    std::mt19937 random(7);
    std::string records;
    while (records.size() < size) {
        const auto length = static_cast<std::size_t>(random() % 256);
        records += static_cast<char>(1 + random() % 2);
        records += static_cast<char>(length);
        for (std::size_t i = 0; i < length; ++i) {
            records += static_cast<char>(random());
        }
    }
    return records;
}

// Hex text as a mail leaves it: quoted, with offsets, comments and CR LF.
std::string hexTextOf(const std::string& records) {
    std::string text = "\xef\xbb\xbf# records\r\n";
    char piece[32];
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (i % 16 == 0) {
            std::snprintf(piece, sizeof piece, "%s> %06zx:", i == 0 ? "" : " # line\r\n", i);
            text += piece;
        }
        std::snprintf(piece, sizeof piece, " %02x", static_cast<unsigned char>(records[i]));
        text += piece;
    }
    return text + "\r\n";
}

TEST(TraceInputBlocks, HoldWholeRecordsHoweverTheInputArrives) {
    const std::string records = randomRecords(200 * 1024) + bytesOf("01 20 00");  // ends cut
    const std::string text = hexTextOf(records);
    for (const std::string* input : {&records, &text}) {
        for (const std::size_t piece : {1u, 7u, 4096u}) {
            for (const std::size_t room :
                 {TraceInput::minimumBlockRoom, TraceInput::defaultBlockRoom}) {
                MemorySource source(*input, piece);
                TraceInput reader(source, DamagePolicy::refuse, room);
                const testing::Walk walk = testing::walk(reader);
                SCOPED_TRACE(
                    testing::identifierFrom(std::to_string(piece) + " " + std::to_string(room)));
                EXPECT_EQ(walk.status, InputStatus::end) << reasonOf(reader);
                EXPECT_EQ(walk.fault, "");
                EXPECT_GT(walk.blocks, records.size() / room);
                EXPECT_TRUE(walk.records == records);
            }
        }
    }
}

std::string readFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

std::string printed(const std::uint8_t* records, std::size_t size) {
    testing::CapturedStream out;
    EXPECT_EQ(printTraceRecords(records, size, out.file()), 0);
    return out.text();
}

// The sample traces, as bare records and as the hex listings beside them,
// print block by block exactly as the whole trace prints.
TEST(TraceInputBlocks, PrintAsTheWholeTracePrints) {
    for (const auto& entry : std::filesystem::directory_iterator(AMBERTAP_GOLDEN_CASES)) {
        if (entry.path().extension() != ".bin") {
            continue;
        }
        const std::string trace = readFile(entry.path());
        const std::string listing =
            readFile(std::filesystem::path(entry.path()).replace_extension(".hex"));
        for (const std::string* input : {&trace, &listing}) {
            MemorySource source(*input, 7);
            TraceInput reader(source, DamagePolicy::refuse, TraceInput::minimumBlockRoom);
            std::string lines;
            RecordBlock block;
            while (reader.next(block) == InputStatus::ready) {
                lines += printed(block.data, block.size);
            }
            EXPECT_EQ(lines,
                      printed(reinterpret_cast<const std::uint8_t*>(trace.data()), trace.size()))
                << entry.path();
        }
    }
}

TEST(TraceInput, ReportsReadErrorsInEveryForm) {
    const std::string text = hexTextOf(randomRecords(30000));
    const std::string records = randomRecords(30000);
    const std::string file =
        "\x8f"
        "ATR\r\n\x1a\n" +
        std::string(100, '\0');
    for (const std::string* input : {&text, &records, &file}) {
        for (const std::size_t failAt : {std::size_t{0}, std::size_t{9}, input->size() / 2}) {
            MemorySource source(*input, 1000, failAt);
            TraceInput reader(source, DamagePolicy::show);
            EXPECT_EQ(testing::walk(reader).status, InputStatus::readError);
            EXPECT_EQ(reasonOf(reader), std::string("read error: ") + std::strerror(EACCES));
        }
    }
}

TEST(TraceInput, ReadsAnOpenFile) {
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    std::fputs("01 02 03\n", file);
    std::rewind(file);
    FileByteSource source(file);
    TraceInput reader(source, DamagePolicy::refuse);
    EXPECT_EQ(testing::walk(reader).records, bytesOf("01 02 03"));
    std::fclose(file);
}

}  // namespace
}  // namespace ambertap
