#include <gtest/gtest.h>

#include <string>

#include "case_names.h"
#include "decode_test_support.h"

namespace ambertap {
namespace {

using testing::bytesFromHex;
using testing::formatted;
using testing::LineCase;
using testing::NamedByRow;
using testing::referenceConnectReq;

std::string repeated(const char* hexByte, int count) {
    std::string hex;
    for (int i = 0; i < count; ++i) {
        hex += hexByte;
        hex += ' ';
    }
    return hex;
}

class StructuredLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(StructuredLine, ShowsTheGroups) {
    EXPECT_EQ(formatted(bytesFromHex(GetParam().message)), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Messages, StructuredLine,
    ::testing::Values(
        LineCase{"outgoing_call",
                 "41 00 01 00 02 80 05 00 01 00 00 00 10 00 07 81 31 32 33 34 35 36 09 21 80 34 39 "
                 "33 30 39 38 37 03 80 50 51 02 a0 37 09 01 00 01 00 00 00 00 00 00 03 80 90 a3 02 "
                 "88 90 02 91 81 05 00 00 00 00 00",
                 " 65 0001 0005 CONNECT_REQ 1 0010 [81 123456] [21 80 4930987] [80 PQ] [a0 7] "
                 "B[Transp, Transp, Transp] BC[ 80 90 a3] LLC[ 88 90] HLC[ 91 81] AI[ 00 00 00 00 "
                 "00] "},
        LineCase{"all_structures_empty",
                 "17 00 01 00 02 80 05 00 01 00 00 00 00 00 00 00 00 00 00 00 00 00 00",
                 " 23 0001 0005 CONNECT_REQ 1 0000 [] [] [] [] B[] BC[] LLC[] HLC[] AI[] "},
        LineCase{
            "one_byte_structures",
            "20 00 01 00 02 80 05 00 01 00 00 00 01 00 01 81 01 01 01 80 01 80 01 07 01 aa 01 "
            "bb 01 cc 01 dd",
            " 32 0001 0005 CONNECT_REQ 1 0001 [81 ] [] [] [] B[] BC[ aa] LLC[ bb] HLC[ cc] AI[ "
            "dd] "},
        LineCase{"two_byte_structures",
                 "29 00 01 00 02 80 05 00 01 00 00 00 01 00 02 81 31 02 01 80 02 80 32 02 80 33 02 "
                 "01 00 02 aa ab 02 bb bc 02 cc cd 02 dd de",
                 " 41 0001 0005 CONNECT_REQ 1 0001 [81 1] [01 80 ] [80 2] [80 3] B[] BC[ aa ab] "
                 "LLC[ bb bc] HLC[ cc cd] AI[ dd de] "},
        LineCase{"controller_negative",
                 "1a 00 01 00 02 80 05 00 fe ff ff ff 02 00 00 00 00 00 00 00 00 00 00 00 00 00",
                 " 26 0001 0005 CONNECT_REQ -2 0002 [] [] [] [] B[] BC[] LLC[] HLC[] AI[] "},
        LineCase{"controller_0",
                 "1a 00 01 00 02 80 05 00 00 00 00 00 02 00 00 00 00 00 00 00 00 00 00 00 00 00",
                 " 26 0001 0005 CONNECT_REQ 0 0002 [] [] [] [] B[] BC[] LLC[] HLC[] AI[] "},
        LineCase{"LISTEN_REQ",
                 "23 00 01 00 05 80 05 00 01 00 00 00 ff 00 00 00 ff 03 ff 1f 00 00 00 00 09 01 80 "
                 "35 35 35 31 32 33 34 00",
                 " 35 0001 0005 LISTEN_REQ 1 000000ff 1fff03ff 00000000 [01 80 5551234] "},
        LineCase{"LISTEN_REQ_controller_negative",
                 "1a 00 01 00 05 80 05 00 ff ff ff ff 00 00 00 00 01 00 00 00 00 00 00 00 00 00",
                 " 26 0001 0005 LISTEN_REQ -1 00000000 00000001 00000000 [] "},
        LineCase{"LISTEN_REQ_calling_number_below_threshold",
                 "1a 00 01 00 05 80 05 00 01 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 01 01",
                 " 26 0001 0005 LISTEN_REQ 1 00000000 00000000 00000000 [] "},
        LineCase{"CONNECT_ACTIVE_IND",
                 "1b 00 01 00 03 82 05 00 01 01 00 00 0c 01 80 34 39 33 30 31 32 33 34 35 36 00 00",
                 " 27 0001 0005 CONNECT_ACTIVE_IND 00000101 [01 80 4930123456] "},
        LineCase{"CONNECT_ACTIVE_IND_fixed_octets_only",
                 "11 00 01 00 03 82 05 00 01 01 00 00 02 21 83 00 00",
                 " 17 0001 0005 CONNECT_ACTIVE_IND 00000101 [21 83 ] "},
        LineCase{"CONNECT_ACTIVE_IND_number_below_threshold",
                 "0e 00 01 00 03 82 05 00 01 01 00 00 01 21",
                 " 14 0001 0005 CONNECT_ACTIVE_IND 00000101 [] "}),
    NamedByRow());

// A structure whose content runs past the end of the data is not shown; the
// line stops before it with the cut-off mark.
INSTANTIATE_TEST_SUITE_P(
    StructuresPastTheDataEnd, StructuredLine,
    ::testing::Values(
        LineCase{"BC_past_data_end",
                 "1d 00 01 00 02 80 05 00 01 00 00 00 01 00 00 00 00 00 02 01 00 c8 80 90",
                 " 29 0001 0005 CONNECT_REQ 1 0001 [] [] [] [] B[] <cut>"},
        LineCase{"called_number_past_data_end",
                 "12 00 01 00 02 80 05 00 01 00 00 00 01 00 05 81 31 32",
                 " 18 0001 0005 CONNECT_REQ 1 0001 <cut>"},
        LineCase{"calling_number_length_byte_missing",
                 "11 00 01 00 02 80 05 00 01 00 00 00 01 00 00 00",
                 " 17 0001 0005 CONNECT_REQ 1 0001 [] [] <cut>"},
        LineCase{"LISTEN_REQ_number_past_data_end",
                 "1c 00 01 00 05 80 05 00 01 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 09 01 80",
                 " 28 0001 0005 LISTEN_REQ 1 00000000 00000000 00000000 <cut>"},
        LineCase{"CONNECT_ACTIVE_IND_number_past_data_end",
                 "0e 00 01 00 03 82 05 00 01 01 00 00 ff 01 80",
                 " 14 0001 0005 CONNECT_ACTIVE_IND 00000101 <cut>"}),
    NamedByRow());

// The outgoing call of the documentation with one structure replaced.
std::string connectReqLine(const std::string& bProtocol) {
    const std::string structures =
        "0b 80 34 39 33 30 31 32 33 34 35 36 09 01 80 35 35 35 31 32 "
        "33 34 00 00 " +
        bProtocol + " 02 88 90 00 00 00";
    auto message = bytesFromHex("00 00 01 00 02 80 05 00 01 00 00 00 10 00 " + structures);
    message[0] = static_cast<std::uint8_t>(message.size());
    return formatted(message);
}

struct ProtocolStructureCase {
    const char* name;
    const char* structure;
    const char* group;
};

class ProtocolGroup : public ::testing::TestWithParam<ProtocolStructureCase> {};

TEST_P(ProtocolGroup, NamesEachNumberTheStructureHolds) {
    const std::string line = connectReqLine(GetParam().structure);
    const std::string before = "CONNECT_REQ 1 0010 [80 4930123456] [01 80 5551234] [] [] ";
    const std::string after = "BC[ 88 90] LLC[] HLC[] AI[] ";
    EXPECT_EQ(line.substr(line.find("CONNECT_REQ")), before + GetParam().group + " " + after);
}

INSTANTIATE_TEST_SUITE_P(
    Thresholds, ProtocolGroup,
    ::testing::Values(
        ProtocolStructureCase{"empty", "00", "B[]"},
        ProtocolStructureCase{"length_2", "02 01 00", "B[]"},
        ProtocolStructureCase{"length_3_b1", "03 01 00 00", "B[Transp]"},
        ProtocolStructureCase{"length_4_b1", "04 01 00 02 00", "B[Transp]"},
        ProtocolStructureCase{"length_5_b1_b2", "05 01 00 02 00 00", "B[Transp, SDLC]"},
        ProtocolStructureCase{"length_6_b1_b2", "06 01 00 02 00 03 00", "B[Transp, SDLC]"},
        ProtocolStructureCase{"length_7_all_three", "07 01 00 02 00 03 00 00",
                              "B[Transp, SDLC, X.25 DCE]"},
        ProtocolStructureCase{"length_9_code_0_in_every_layer", "09 00 00 00 00 01 00 00 00 00",
                              "B[HDLC Frm, ISO 7776, T.90NL]"},
        ProtocolStructureCase{"length_9_unnamed_codes", "09 07 00 34 12 05 00 00 00 00",
                              "B[0x7, 0x1234, 0x5]"},
        ProtocolStructureCase{"length_9_highest_codes", "09 06 00 06 00 04 00 00 00 00",
                              "B[56 kBit/s, Transp (No frm), T.30]"}),
    NamedByRow());

// Every entry of the three protocol tables, shown in its own layer above Transp.
struct ProtocolEntry {
    int layer;
    int code;
    const char* name;
};

class ProtocolName : public ::testing::TestWithParam<ProtocolEntry> {};

TEST_P(ProtocolName, ShowsTheEntryInItsLayer) {
    const auto [layer, code, name] = GetParam();
    std::string structure = "0" + std::to_string(2 * layer + 1) + " ";
    std::string group = "B[";
    for (int lower = 1; lower < layer; ++lower) {
        structure += "01 00 ";
        group += "Transp, ";
    }
    const std::string line = connectReqLine(structure + "0" + std::to_string(code) + " 00 00");
    const auto start = line.find("B[");
    EXPECT_EQ(line.substr(start, line.find(" BC[") - start), group + name + "]");
}

std::string entryName(const ::testing::TestParamInfo<ProtocolEntry>& info) {
    const ProtocolEntry& entry = info.param;
    return "b" + std::to_string(entry.layer) + "_" + std::to_string(entry.code) + "_" +
           testing::identifierFrom(entry.name);
}

INSTANTIATE_TEST_SUITE_P(
    Tables, ProtocolName,
    ::testing::Values(ProtocolEntry{1, 0, "HDLC Frm"}, ProtocolEntry{1, 1, "Transp"},
                      ProtocolEntry{1, 2, "V.110 asyn"}, ProtocolEntry{1, 3, "V.110 syn"},
                      ProtocolEntry{1, 4, "T.30"}, ProtocolEntry{1, 5, "HDLC Frm I"},
                      ProtocolEntry{1, 6, "56 kBit/s"}, ProtocolEntry{2, 0, "ISO 7776"},
                      ProtocolEntry{2, 1, "Transp"}, ProtocolEntry{2, 2, "SDLC"},
                      ProtocolEntry{2, 3, "LAPD"}, ProtocolEntry{2, 4, "T.30"},
                      ProtocolEntry{2, 5, "PPP"}, ProtocolEntry{2, 6, "Transp (No frm)"},
                      ProtocolEntry{3, 0, "Transp"}, ProtocolEntry{3, 1, "T.90NL"},
                      ProtocolEntry{3, 2, "ISO 8208"}, ProtocolEntry{3, 3, "X.25 DCE"},
                      ProtocolEntry{3, 4, "T.30"}),
    entryName);

struct OverrunCase {
    int totalLength;
    const char* ending;
};

class OverrunMark : public ::testing::TestWithParam<OverrunCase> {};

std::string totalLengthName(const ::testing::TestParamInfo<OverrunCase>& info) {
    return "total_length_" + std::to_string(info.param.totalLength);
}

// The structures end at offset 54; a Total length short of that marks the line.
TEST_P(OverrunMark, MarksStructuresRunningPastTheTotalLength) {
    auto message = bytesFromHex(
        "00 00 01 00 02 80 05 00 01 00 00 00 10 00 0b 80 34 39 33 30 31 32 33 34 35 36 09 01 80 "
        "35 35 35 31 32 33 34 00 00 09 00 00 00 00 00 00 00 00 00 02 88 90 00 00 00");
    ASSERT_EQ(message.size(), 54u);
    message[0] = static_cast<std::uint8_t>(GetParam().totalLength);
    const std::string line = formatted(message);
    const std::string ending = GetParam().ending;
    EXPECT_EQ(line.substr(line.size() - ending.size()), ending) << line;
}

INSTANTIATE_TEST_SUITE_P(TotalLengths, OverrunMark,
                         ::testing::Values(OverrunCase{55, "LLC[] HLC[] AI[] "},
                                           OverrunCase{54, "LLC[] HLC[] AI[] "},
                                           OverrunCase{53, "LLC[] HLC[] AI[]  !"},
                                           OverrunCase{0, "LLC[] HLC[] AI[]  !"}),
                         totalLengthName);

struct NumberCase {
    const char* name;
    std::string calledPartyNumber;
    std::string group;
};

class NumberText : public ::testing::TestWithParam<NumberCase> {};

TEST_P(NumberText, ShowsTheTextUpToItsFirstZeroByte) {
    auto message = bytesFromHex("00 00 01 00 02 80 05 00 01 00 00 00 10 00 " +
                                GetParam().calledPartyNumber + " 00 00 00 00 00 00 00 00");
    message[0] = static_cast<std::uint8_t>(message.size());
    const std::string line = formatted(message);
    const std::string start = "CONNECT_REQ 1 0010 ";
    const auto group = line.find(start) + start.size();
    EXPECT_EQ(line.substr(group, line.find("] ", group) + 2 - group), GetParam().group);
}

INSTANTIATE_TEST_SUITE_P(
    CalledPartyNumbers, NumberText,
    ::testing::Values(
        NumberCase{"zero_byte_ends_text", "09 80 31 32 07 33 34 00 35 36", "[80 12.34] "},
        NumberCase{"fixed_octet_only", "01 81", "[81 ] "},
        NumberCase{"zero_byte_first", "03 81 00 31", "[81 ] "},
        NumberCase{"high_bytes_pass_delete_as_dot", "04 81 80 ff 7f", "[81 \x80\xff.] "},
        // Line breaks would split the line and could forge one.
        NumberCase{"line_breaks_as_dots", "07 81 31 0a 32 0d 0a 33", "[81 1.2..3] "},
        // ESC, backspace, BEL and the like would steer the terminal.
        NumberCase{"control_bytes_as_dots", "09 81 1b 5b 08 07 01 1f 20 7e", "[81 .[.... ~] "},
        // The text holds at most 79 characters; a longer one is shortened.
        NumberCase{"text_of_79_characters", "50 81 " + repeated("31", 79),
                   "[81 " + std::string(79, '1') + "] "},
        NumberCase{"text_of_80_shortened", "51 81 " + repeated("31", 80),
                   "[81 " + std::string(76, '1') + "...] "},
        NumberCase{"text_of_253_shortened", "ff 81 " + repeated("32", 254),
                   "[81 " + std::string(76, '2') + "...] "}),
    NamedByRow());

TEST(ConnectReqLine, IsCutAtEveryOffsetWithoutReadingPastTheData) {
    const auto message = referenceConnectReq();
    const std::string whole = formatted(message);
    for (std::size_t size = 0; size < message.size(); ++size) {
        const std::string line = formatted(
            std::vector<std::uint8_t>(message.begin(), message.begin() + static_cast<long>(size)));
        ASSERT_GE(line.size(), 5u) << size;
        ASSERT_EQ(line.substr(line.size() - 5), "<cut>") << size;
        std::string shown = line.substr(0, line.size() - 5);
        if (!whole.starts_with(shown)) {
            shown.pop_back();  // the space that sets the mark apart
        }
        EXPECT_TRUE(whole.starts_with(shown)) << size << ": " << line;
    }
}

TEST(ConnectReqLine, WithLargeElementsIsShortenedToItsRoom) {
    auto message = bytesFromHex(
        "00 00 01 00 02 80 05 00 01 00 00 00 10 00 07 81 31 32 33 34 35 "
        "36 00 00 00 00 " +
        repeated("ff", 1) + repeated("a5", 255) + repeated("40", 1) + repeated("b6", 64) +
        repeated("ff", 1) + repeated("c7", 255) + repeated("ff", 1) + repeated("d8", 255));
    const std::string line = formatted(message);
    EXPECT_EQ(line.size(), 395u);
    EXPECT_TRUE(
        line.starts_with("  0 0001 0005 CONNECT_REQ 1 0010 [81 123456] [] [] [] B[] BC[ "
                         "a5 a5 a5"));
    EXPECT_TRUE(line.ends_with(" a5 a5 ...")) << line;
}

// Every structure at its largest: the longest text a CONNECT_REQ can ask for.
TEST(ConnectReqLine, LongestPossibleFillsTheRoomExactly) {
    std::string structures;
    for (const char* byte : {"31", "31", "31", "31", "00", "a0", "b0", "c0", "d0"}) {
        structures += "ff " + repeated(byte, 255);
    }
    auto message = bytesFromHex("ff ff ff ff 02 80 ff ff 00 00 00 80 ff ff " + structures);
    ASSERT_EQ(message.size(), 14u + 9 * 256);
    for (const int room : {396, 200, 20}) {
        const std::string line = formatted(message, room);
        EXPECT_EQ(line.size(), static_cast<std::size_t>(room - 1));
        EXPECT_TRUE(line.ends_with("...")) << line;
    }
    EXPECT_TRUE(formatted(message).starts_with(
        "65535 ffff ffff CONNECT_REQ -2147483648 ffff [31 " + std::string(76, '1') +
        "...] [31 31 " + std::string(76, '1') + "...] [31 " + std::string(76, '1') + "...] [31 "));
}

}  // namespace
}  // namespace ambertap
