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

std::string zerosInHex(std::size_t count) {
    std::string hex;
    for (std::size_t i = 0; i < count; ++i) {
        hex += " 00";
    }
    return hex;
}

// The records that the dumps in the table show.
const std::string listenConfThen0123ab =
    "02 0e 0e 00 01 00 05 81 01 00 01 00 00 00 00 00 30 31 32 33 61 62";
const std::string listenReqThenZeros =
    "01 1a 1a 00 01 00 05 80 01 00 01 00 41 00 00 00" + zerosInHex(48) + " 02 0e";

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
               "1: not a hex digit: 'z'", 3},
        // The dumps of tools, as they print them. A text column of hex digits
        // is no data, and "*" repeats the line above up to the next offset.
        HexRow{"xxd",
               "00000000: 020e 0e00 0100 0581 0100 0100 0000 0000  ................\n"
               "00000010: 3031 3233 6162                           0123ab\n",
               refuse, listenConfThen0123ab, "", 0},
        HexRow{"xxd_a_repeats_a_line",
               "00000000: 011a 1a00 0100 0580 0100 0100 4100 0000  ............A...\n"
               "00000010: 0000 0000 0000 0000 0000 0000 0000 0000  ................\n"
               "*\n"
               "00000040: 020e                                     ..\n",
               refuse, listenReqThenZeros, "", 0},
        HexRow{"hexdump_c_repeats_a_line_and_ends_with_its_length",
               "00000000  01 1a 1a 00 01 00 05 80  01 00 01 00 41 00 00 00  |............A...|\n"
               "00000010  00 00 00 00 00 00 00 00  00 00 00 00 00 00 00 00  |................|\n"
               "*\n"
               "00000040  02 0e                                             |..|\n"
               "00000042",
               refuse, listenReqThenZeros, "", 0},
        HexRow{"hexdump_c_twice",
               "00000000  02 0e 0e 00 01 00 05 81  01 00 01 00 00 00 00 00  |................|\n"
               "00000010  30 31 32 33 61 62                                 |0123ab|\n"
               "00000016\n"
               "00000000  01 02                                             |..|\n"
               "00000002\n",
               refuse, listenConfThen0123ab + " 01 02", "", 0},
        HexRow{"certutil",
               "0000\t02 0e 0e 00 01 00 05 81  01 00 01 00 00 00 00 00   ................\r\n"
               "0010\t30 31 32 33 61 62                                  0123ab\r\n",
               refuse, listenConfThen0123ab, "", 0},
        HexRow{"certutil_copied_from_a_console",
               "0000    02 0e 0e 00 01 00 05 81  01 00 01 00 00 00 00 00   ................\r\n"
               "0010    30 31 32 33 61 62                                  0123ab\r\n",
               refuse, listenConfThen0123ab, "", 0},
        HexRow{"format_hex_of_windows_powershell",
               "\r\n"
               "           Path: C:\\t.bin\r\n"
               "\r\n"
               "           00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F\r\n"
               "\r\n"
               "00000000   02 0E 0E 00 01 00 05 81 01 00 01 00 00 00 00 00  ................\r\n"
               "00000010   30 31 32 33 61 62                                0123ab\r\n"
               "\r\n",
               refuse, listenConfThen0123ab, "", 0},
        HexRow{"format_hex_of_powershell_7_in_two_blocks",
               "   Label: C:\\t.bin\r\n"
               "\r\n"
               "          Offset Bytes                                           Ascii\r\n"
               "                 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F\r\n"
               "          ------ ----------------------------------------------- -----\r\n"
               "0000000000000000 02 0E 0E 00 01 00 05 81 01 00 01 00 00 00 00 00 "
               "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd \xef\xbf\xbd "
               "\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd "
               "\xef\xbf\xbd     \r\n"
               "\r\n"
               "   Label: String (System.String) <2944BEC3>\r\n"
               "\r\n"
               "          Offset Bytes                                           Ascii\r\n"
               "                 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F\r\n"
               "          ------ ----------------------------------------------- -----\r\n"
               "0000000000000000 30 31 32 33 61 62                               0123ab\r\n",
               refuse, listenConfThen0123ab, "", 0},
        HexRow{"column_numbers_alone_are_hex_text",
               "           00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F\n\n10\n", refuse,
               "00 01 02 03 04 05 06 07 08 09 0a 0b 0c 0d 0e 0f 10", "", 0},
        HexRow{"dump_in_a_mail",
               "> 00000000: 020e 0e00 0100 0581 0100 0100 0000 0000  ................\r\n"
               "> > 00000010: 3031 3233 6162                           0123ab\r\n",
               refuse, listenConfThen0123ab, "", 0},
        HexRow{"dump_offset_does_not_continue",
               "00000000: 020e 0e00 0100 0581 0100 0100 0000 0000  ................\n"
               "00000020: 3031 3233 6162                           0123ab\n",
               refuse, "", "2: offset 00000020 does not continue the dump, which is at 00000010",
               1},
        HexRow{"hexdump_c_length_differs",
               "00000000  01 02                                             |..|\n"
               "00000003\n",
               refuse, "", "2: length 00000003 differs from the end of the dump at 00000002", 1},
        HexRow{"repeat_stops_inside_a_line",
               "00000000  00 00 00 00 00 00 00 00  00 00 00 00 00 00 00 00  |................|\n"
               "*\n"
               "00000018\n",
               refuse, "", "2: repeat mark (*): whole lines do not reach offset 00000018", 1},
        HexRow{"repeat_longer_than_one_read",
               "00000000  00 00 00 00 00 00 00 00  00 00 00 00 00 00 00 00  |................|\n"
               "*\n"
               "00002730\n",
               refuse, "", "2: repeat mark (*) for 10016 bytes, more than one read holds (10000)",
               1},
        HexRow{"repeat_after_a_short_line",
               "00000000: 0102                                     ..\n"
               "*\n",
               refuse, "", "2: repeat mark (*) after no whole line", 1},
        HexRow{"repeat_at_the_end",
               "00000000: 0000 0000 0000 0000 0000 0000 0000 0000  ................\n"
               "*\n",
               refuse, "", "2: repeat mark (*) with no line after it", 1},
        HexRow{"words_after_a_dump",
               "00000000: 0102                                     ..\n"
               "03 04\n",
               refuse, "", "2: not a line of the xxd dump", 1},
        HexRow{"dashes_are_no_format_hex_rule", "-------\n01\n", refuse, "",
               "1: not a hex digit: '-'", 1},
        HexRow{"words_after_a_format_hex_header", "   Label: t.bin\n01 02\n", refuse, "",
               "2: not a line of the Format-Hex dump", 1},
        HexRow{"control_byte_in_a_dump_after_the_first_block",
               std::string(4100, '\n') +
                   "00000000: 0102                                     ..\n"
                   "00000002: 0304                                     .\x1b\n",
               refuse, "", "4102: not text: byte 0x1b", 1},
        HexRow{"dump_shown_without_bad_lines",
               "00000000: 0102                                     ..\n"
               "00000004: 0304                                     ..\n"
               "00000006: 05 06\n"
               "*\n"
               "00000006: 0708                                     ..\n",
               show, "01 02 03 04 07 08",
               "2: offset 00000004 does not continue the dump, which is at 00000002", 3}),
    testing::NamedByRow());

// A dump's repeated lines go out block by block, also when the text ends
// before they are all given out.
TEST(HexText, RepeatsFillBlocksToTheEnd) {
    const std::string dump =
        "00000000  00 00 00 00 00 00 00 00  00 00 00 00 00 00 00 00  |................|\n"
        "*\n"
        "00002710";
    for (const std::size_t room : {TraceInput::minimumBlockRoom, TraceInput::defaultBlockRoom}) {
        MemorySource source(dump);
        TraceInput input(source, DamagePolicy::refuse, room);
        const testing::Walk walk = testing::walk(input);
        EXPECT_EQ(walk.status, InputStatus::end) << reasonOf(input);
        EXPECT_EQ(walk.fault, "");
        EXPECT_EQ(walk.records, std::string(driverTraceBufferSize, '\0'));
    }
}

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

std::string recordsOf(const std::string& input) {
    MemorySource source(input);
    TraceInput reader(source, DamagePolicy::refuse);
    const testing::Walk walk = testing::walk(reader);
    EXPECT_EQ(walk.status, InputStatus::end) << reasonOf(reader);
    return walk.records;
}

// The demo sample as each tool dumps it (tests/tracefile/dumps/: xxd and
// hexdump -C as they print it, the others as their documentation shows
// them) holds the records of the sample's own listing.
TEST(HexDumps, OfTheDemoSampleHoldItsRecords) {
    const std::string sample = recordsOf(readFile(AMBERTAP_SAMPLES "/outgoing_data_call.hex"));
    std::size_t dumps = 0;
    for (const auto& entry : std::filesystem::directory_iterator(AMBERTAP_DUMPS)) {
        EXPECT_TRUE(recordsOf(readFile(entry.path())) == sample) << entry.path();
        ++dumps;
    }
    EXPECT_EQ(dumps, 5u);
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
