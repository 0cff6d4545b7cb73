#include "message_line.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "case_names.h"
#include "decode_test_support.h"

namespace ambertap {
namespace {

using testing::bytesFromHex;
using testing::formatted;
using testing::LineCase;
using testing::NamedByRow;

class MessageLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(MessageLine, ShowsTheHeaderNameAndChiefParameters) {
    EXPECT_EQ(formatted(bytesFromHex(GetParam().message)), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    PlainValues, MessageLine,
    ::testing::Values(LineCase{"CONNECT_B3_REQ", "0d 00 01 00 82 80 05 00 01 01 00 00 00",
                               " 13 0001 0005 CONNECT_B3_REQ 00000101"},
                      LineCase{"CONNECT_CONF", "0e 00 01 00 02 81 05 00 01 01 00 00 00 00",
                               " 14 0001 0005 CONNECT_CONF 00000101 0000"},
                      LineCase{"DISCONNECT_IND", "0e 00 01 00 04 82 05 00 01 01 00 00 90 34",
                               " 14 0001 0005 DISCONNECT_IND 00000101 3490"},
                      LineCase{"DISCONNECT_REQ", "0d 00 01 00 04 80 05 00 01 01 00 00 00",
                               " 13 0001 0005 DISCONNECT_REQ 00000101"},
                      LineCase{"DISCONNECT_CONF", "0e 00 02 00 04 81 06 00 02 03 00 00 01 20",
                               " 14 0002 0006 DISCONNECT_CONF 00000302 2001"},
                      LineCase{"LISTEN_CONF", "0e 00 01 00 05 81 07 00 01 00 00 00 00 00",
                               " 14 0001 0007 LISTEN_CONF 00000001 0000"},
                      LineCase{"CONNECT_B3_CONF", "0e 00 01 00 82 81 05 00 01 01 01 00 01 20",
                               " 14 0001 0005 CONNECT_B3_CONF 00010101 2001"},
                      LineCase{"CONNECT_IND", "0c 00 01 00 02 82 05 00 01 01 00 00",
                               " 12 0001 0005 CONNECT_IND 00000101"},
                      LineCase{"DISCONNECT_B3_IND", "0e 00 01 00 84 82 05 00 01 01 01 00 01 33",
                               " 14 0001 0005 DISCONNECT_B3_IND 00010101 3301"},
                      LineCase{"CONNECT_RESP", "0e 00 01 00 02 83 05 00 01 01 00 00 03 00",
                               " 14 0001 0005 CONNECT_RESP 00000101 0003"},
                      LineCase{"CONNECT_ACTIVE_RESP", "0c 00 01 00 03 83 05 00 01 01 00 00",
                               " 12 0001 0005 CONNECT_ACTIVE_RESP 00000101"},
                      LineCase{"DISCONNECT_RESP", "0c 00 01 00 04 83 05 00 01 01 00 00",
                               " 12 0001 0005 DISCONNECT_RESP 00000101"},
                      LineCase{"INFO_RESP", "0c 00 01 00 08 83 05 00 01 01 00 00",
                               " 12 0001 0005 INFO_RESP 00000101"},
                      LineCase{"DISCONNECT_B3_RESP", "0c 00 01 00 84 83 05 00 01 01 01 00",
                               " 12 0001 0005 DISCONNECT_B3_RESP 00010101"},
                      LineCase{"DATA_B3_REQ_without_case",
                               "16 00 01 00 86 80 05 00 01 01 01 00 78 56 34 12 04 00 01 00 00 00",
                               " 22 0001 0005 DATA_B3_REQ "}),
    NamedByRow());

INSTANTIATE_TEST_SUITE_P(
    InfoDetail, MessageLine,
    ::testing::Values(LineCase{"INFO_IND_cause",
                               "11 00 01 00 08 82 05 00 01 01 00 00 08 00 02 80 90",
                               " 17 0001 0005 INFO_IND 00000101 0008 Cause=80 90"},
                      LineCase{"INFO_IND_charging_units",
                               "13 00 01 00 08 82 05 00 01 01 00 00 00 40 04 0c 00 00 00",
                               " 19 0001 0005 INFO_IND 00000101 4000 Charging Units=12"},
                      LineCase{"INFO_IND_charging_units_0",
                               "13 00 01 00 08 82 05 00 01 01 00 00 00 40 04 00 00 00 00",
                               " 19 0001 0005 INFO_IND 00000101 4000 Charging Units=0"},
                      LineCase{"INFO_IND_charging_units_4001",
                               "13 00 01 00 08 82 05 00 01 01 00 00 01 40 04 ff ff ff ff",
                               " 19 0001 0005 INFO_IND 00000101 4001 Charging Units=-1"},
                      LineCase{"INFO_IND_charging_units_minimum",
                               "13 00 01 00 08 82 05 00 01 01 00 00 00 40 04 00 00 00 80",
                               " 19 0001 0005 INFO_IND 00000101 4000 Charging Units=-2147483648"},
                      LineCase{"INFO_IND_4002_without_detail",
                               "13 00 01 00 08 82 05 00 01 01 00 00 02 40 04 0c 00 00 00",
                               " 19 0001 0005 INFO_IND 00000101 4002"},
                      LineCase{"INFO_IND_0108_without_detail",
                               "11 00 01 00 08 82 05 00 01 01 00 00 08 01 02 80 90",
                               " 17 0001 0005 INFO_IND 00000101 0108"},
                      // The detail reads its octets whatever the element's length byte says.
                      LineCase{"INFO_IND_cause_whatever_element_length",
                               "11 00 01 00 08 82 05 00 01 01 00 00 08 00 00 80 90",
                               " 17 0001 0005 INFO_IND 00000101 0008 Cause=80 90"}),
    NamedByRow());

INSTANTIATE_TEST_SUITE_P(
    NamesWithoutCase, MessageLine,
    ::testing::Values(
        LineCase{"unnamed_0x8103", "0c 00 01 00 03 81 05 00 01 01 00 00", " 12 0001 0005 0x8103 "},
        LineCase{"bare_command_CONNECT", "0c 00 01 00 02 00 05 00 01 00 00 00",
                 " 12 0001 0005 CONNECT "},
        LineCase{"ALERT_IND_unnamed_0x8201", "0c 00 01 00 01 82 05 00 01 01 00 00",
                 " 12 0001 0005 0x8201 "},
        // A known command with a subcommand that does not exist.
        LineCase{"subcommand_84_unnamed", "0e 00 01 00 02 84 05 00 01 01 00 00 00 00",
                 " 14 0001 0005 0x8402 "},
        LineCase{"command_word_0_unnamed", "0c 00 01 00 00 00 05 00 01 01 00 00",
                 " 12 0001 0005 0x0 "},
        LineCase{"MANUFACTURER_RESP_without_case", "0c 00 01 00 ff 83 05 00 01 01 00 00",
                 " 12 0001 0005 MANUFACTURER_RESP "}),
    NamedByRow());

INSTANTIATE_TEST_SUITE_P(HeaderWidths, MessageLine,
                         ::testing::Values(LineCase{"header_width_5", "05 00 00 00 03 81 00 00",
                                                    "  5 0000 0000 0x8103 "},
                                           LineCase{"header_width_1234", "d2 04 01 00 03 81 05 00",
                                                    "1234 0001 0005 0x8103 "},
                                           LineCase{"header_width_65535", "ff ff cd ab 03 81 ff ff",
                                                    "65535 abcd ffff 0x8103 "}),
                         NamedByRow());

// A message that the data ends inside shows every field that lies wholly
// inside the data, then the cut-off mark.
INSTANTIATE_TEST_SUITE_P(
    CutOffByTheDataEnd, MessageLine,
    ::testing::Values(
        LineCase{"no_data", "", "<cut>"}, LineCase{"cut_inside_total_length", "0e", "<cut>"},
        LineCase{"cut_inside_applid", "0e 00 01", " 14 <cut>"},
        LineCase{"cut_inside_message_number", "0e 00 01 00 02 81 05", " 14 0001 <cut>"},
        LineCase{"cut_after_header", "0e 00 01 00 02 81 05 00", " 14 0001 0005 CONNECT_CONF <cut>"},
        LineCase{"cut_inside_info", "0e 00 01 00 02 81 05 00 01 01 00 00 00",
                 " 14 0001 0005 CONNECT_CONF 00000101 <cut>"},
        LineCase{"DATA_B3_REQ_needs_only_its_header", "0c 00 01 00 86 80 05 00",
                 " 12 0001 0005 DATA_B3_REQ "},
        LineCase{"cut_inside_charge", "13 00 01 00 08 82 05 00 01 01 00 00 00 40 04 0c 00 00",
                 " 19 0001 0005 INFO_IND 00000101 4000 <cut>"},
        LineCase{"cut_inside_cause", "11 00 01 00 08 82 05 00 01 01 00 00 08 00 02 80",
                 " 17 0001 0005 INFO_IND 00000101 0008 <cut>"}),
    NamedByRow());

struct RoomCase {
    int room;
    const char* text;
};

class MessageLineRoom : public ::testing::TestWithParam<RoomCase> {};

std::string roomName(const ::testing::TestParamInfo<RoomCase>& info) {
    const int room = info.param.room;
    return room < 0 ? "room_minus_" + std::to_string(-room) : "room_" + std::to_string(room);
}

// The text never leaves its room; a line that does not fit ends with "...".
TEST_P(MessageLineRoom, ShortensTheLineToItsRoom) {
    EXPECT_EQ(formatted(bytesFromHex("0e 00 01 00 02 81 05 00 01 01 00 00 00 00"), GetParam().room),
              GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Rooms, MessageLineRoom,
                         ::testing::Values(RoomCase{0, ""}, RoomCase{1, ""}, RoomCase{2, "."},
                                           RoomCase{4, "..."}, RoomCase{10, " 14 00..."},
                                           RoomCase{15, " 14 0001 00..."},
                                           RoomCase{20, " 14 0001 0005 CO..."},
                                           RoomCase{27, " 14 0001 0005 CONNECT_C..."},
                                           RoomCase{40, " 14 0001 0005 CONNECT_CONF 00000101 ..."},
                                           RoomCase{41, " 14 0001 0005 CONNECT_CONF 00000101 0000"},
                                           RoomCase{-5, ""}),
                         roomName);

// What a room shows of a line: the whole line when it fits, else its first
// room - 1 characters with the last three of them (all, when fewer) as dots.
std::string cutAtRoom(const std::string& line, std::size_t room) {
    if (line.size() < room) {
        return line;
    }
    std::string cut = line.substr(0, room - 1);
    const std::size_t dots = std::min(LineWriter::overflowMark.size(), cut.size());
    return cut.replace(cut.size() - dots, dots, dots, '.');
}

TEST(MessageLineCut, IsTheWholeLineCutAtEveryRoom) {
    const std::vector<std::uint8_t> messages[] = {
        testing::referenceConnectReq(),  // every group filled
        // INFO_IND with Charging Units=-2147483648, LISTEN_REQ
        bytesFromHex("13 00 01 00 08 82 05 00 01 01 00 00 00 40 04 00 00 00 80"),
        bytesFromHex("23 00 01 00 05 80 05 00 01 00 00 00 ff 00 00 00 ff 03 ff 1f 00 00 00 00 09 "
                     "01 80 35 35 35 31 32 33 34 00"),
    };
    for (const std::vector<std::uint8_t>& message : messages) {
        const std::string whole = formatted(message);
        for (std::size_t room = 1; room <= whole.size() + 1; ++room) {
            EXPECT_EQ(formatted(message, static_cast<int>(room)), cutAtRoom(whole, room))
                << "room " << room;
        }
    }
}

// The padded Total length is the only padded number of a line, and no room
// shows its padding cut, so the writer is asked directly.
TEST(LineWriter, CutsAPaddedDecimalAtItsRoom) {
    char out[5];
    LineWriter line(out, sizeof out);
    line.decimal(7, 6);
    line.terminate();
    EXPECT_STREQ(out, " ...");
}

// A view made with no text holds no pointer; writing it, in room or past
// it, writes nothing (the sanitizers fail a null pointer handed to memcpy).
TEST(LineWriter, WritesAnEmptyViewAsNothing) {
    char out[4];
    LineWriter line(out, sizeof out);
    line.text(std::string_view());
    line.text("abc");
    line.text(std::string_view());
    line.terminate();
    EXPECT_STREQ(out, "abc");
}

}  // namespace
}  // namespace ambertap
