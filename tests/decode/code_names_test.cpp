#include "code_names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "case_names.h"

namespace ambertap {
namespace {

using testing::NamedByRow;

// What the line shows for a protocol number: its short name, or the number
// as every unnamed code shows.
std::string shownOnTheLine(ValueNames names, std::uint32_t code) {
    const char* name = nameOf(names, code);
    return name != nullptr ? name : std::string(unnamedCodeText(code).view());
}

struct ProtocolCase {
    const char* name;
    const ValueNames* line;
    const ValueNames* full;
    std::uint32_t code;
    const char* lineShows;
    const char* fullName;  // null where the full names have none
};

class ProtocolNames : public ::testing::TestWithParam<ProtocolCase> {};

TEST_P(ProtocolNames, GiveTheLinesShortNameAndTheFullName) {
    const ProtocolCase& c = GetParam();
    EXPECT_EQ(shownOnTheLine(*c.line, c.code), c.lineShows);
    EXPECT_STREQ(nameOf(*c.full, c.code), c.fullName);
}

INSTANTIATE_TEST_SUITE_P(
    Layers, ProtocolNames,
    ::testing::Values(ProtocolCase{"b1_code_0_is_no_end_marker", &lineB1ProtocolNames,
                                   &fullB1ProtocolNames, 0, "HDLC Frm",
                                   "64 kbit/s with HDLC framing"},
                      ProtocolCase{"b1_code_6", &lineB1ProtocolNames, &fullB1ProtocolNames, 6,
                                   "56 kBit/s", "56 kbit/s bit-transparent"},
                      ProtocolCase{"b1_code_7_unnamed_on_the_line", &lineB1ProtocolNames,
                                   &fullB1ProtocolNames, 7, "0x7", "modem with full negotiation"},
                      ProtocolCase{"b1_code_10_unnamed", &lineB1ProtocolNames, &fullB1ProtocolNames,
                                   10, "0xa", nullptr},
                      ProtocolCase{"b2_code_0", &lineB2ProtocolNames, &fullB2ProtocolNames, 0,
                                   "ISO 7776", "ISO 7776 (X.75 SLP)"},
                      ProtocolCase{"b2_code_6", &lineB2ProtocolNames, &fullB2ProtocolNames, 6,
                                   "Transp (No frm)", "transparent ignoring framing errors"},
                      ProtocolCase{"b2_code_12_unnamed_on_the_line", &lineB2ProtocolNames,
                                   &fullB2ProtocolNames, 12, "0xc", "LAPD with free SAPI"},
                      ProtocolCase{"b3_code_3", &lineB3ProtocolNames, &fullB3ProtocolNames, 3,
                                   "X.25 DCE", "X.25 DCE"},
                      ProtocolCase{"b3_code_6_unnamed", &lineB3ProtocolNames, &fullB3ProtocolNames,
                                   6, "0x6", nullptr},
                      ProtocolCase{"b3_code_9_unnamed", &lineB3ProtocolNames, &fullB3ProtocolNames,
                                   9, "0x9", nullptr},
                      ProtocolCase{"b3_code_ffff_unnamed", &lineB3ProtocolNames,
                                   &fullB3ProtocolNames, 0xffff, "0xffff", nullptr},
                      ProtocolCase{"b3_code_ffffffff_unnamed", &lineB3ProtocolNames,
                                   &fullB3ProtocolNames, 0xffffffff, "0xffffffff", nullptr}),
    NamedByRow());

struct NameCase {
    const char* name;
    std::uint32_t code;
    const char* shown;
};

class NameOf : public ::testing::TestWithParam<NameCase> {};

TEST_P(NameOf, GivesTheNameOrTheCodeInHexadecimal) {
    EXPECT_STREQ(messageNames.nameOf(GetParam().code), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(Messages, NameOf,
                         ::testing::Values(NameCase{"bare_CONNECT", 0x0002, "CONNECT"},
                                           NameCase{"bare_MANUFACTURER", 0x00ff, "MANUFACTURER"},
                                           NameCase{"CONNECT_B3_T90_ACTIVE_RESP", 0x8388,
                                                    "CONNECT_B3_T90_ACTIVE_RESP"},
                                           NameCase{"code_0_unnamed", 0x0000, "0x0"},
                                           NameCase{"above_16_bits_unnamed", 0x18002, "0x18002"}),
                         NamedByRow());

// The text for a code without a name lives in one buffer shared by all tables.
TEST(NameOf, UnnamedCodeTextIsReplacedByTheNextMiss) {
    const char* first = messageNames.nameOf(0x8201);
    const std::string kept = first;
    const char* second = messageNames.nameOf(0x1234);
    EXPECT_EQ(first, second);
    EXPECT_EQ(kept, "0x8201");
    EXPECT_STREQ(second, "0x1234");
}

struct CopyCase {
    const char* name;
    std::uint32_t code;
    std::size_t count;
    std::string written;  // all `count` characters, NULs included
};

class CopyName : public ::testing::TestWithParam<CopyCase> {};

TEST_P(CopyName, WritesExactlyTheFixedCountAndNothingBeyond) {
    const CopyCase& c = GetParam();
    std::vector<char> out(c.count + 8, '#');
    messageNames.copyName(c.code, out.data(), c.count);
    EXPECT_EQ(std::string(out.data(), c.count), c.written);
    EXPECT_EQ(std::string(out.data() + c.count, 8), std::string(8, '#'));
}

INSTANTIATE_TEST_SUITE_P(
    Counts, CopyName,
    ::testing::Values(
        CopyCase{"count_40_pads_CONNECT_ACTIVE_IND", 0x8203, 40,
                 std::string("CONNECT_ACTIVE_IND") + std::string(22, '\0')},
        CopyCase{"count_5_cuts_DATA_B3_REQ", 0x8086, 5, "DATA_"},
        CopyCase{"count_11_fits_DATA_B3_REQ_unterminated", 0x8086, 11, std::string("DATA_B3_REQ")},
        CopyCase{"count_12_terminates_DATA_B3_REQ", 0x8086, 12, std::string("DATA_B3_REQ\0", 12)},
        CopyCase{"count_0_writes_nothing", 0x0002, 0, ""},
        CopyCase{"count_8_terminates_CONNECT", 0x0002, 8, std::string("CONNECT\0", 8)},
        // A code without a name: "0x%x" and its terminator, nothing padded...
        CopyCase{"count_10_unnamed_not_padded", 0x8201, 10, std::string("0x8201\0####", 10)},
        // ...and never more than the count allows.
        CopyCase{"count_7_unnamed_terminated", 0x8201, 7, std::string("0x8201\0", 7)},
        CopyCase{"count_6_unnamed_unterminated", 0x8201, 6, "0x8201"},
        CopyCase{"count_3_cuts_unnamed", 0x8201, 3, "0x8"},
        CopyCase{"count_0_unnamed_writes_nothing", 0x8201, 0, ""}),
    NamedByRow());

// Every name of a message with a subcommand is its command's bare name and the
// subcommand's suffix; the commands lacking a subcommand print in hexadecimal.
TEST(MessageNames, FollowTheCommandAndSubcommandRule) {
    const char* const suffixes[] = {"_REQ", "_CONF", "_IND", "_RESP"};
    int named = 0;
    for (std::uint32_t command = 0; command <= 0xff; ++command) {
        std::string bare = messageNames.nameOf(command);
        const bool commandHasName = bare.rfind("0x", 0) != 0;
        named += commandHasName;
        for (std::uint32_t sub = 0; sub < 4; ++sub) {
            const std::uint32_t word = command | (0x80 + sub) << 8;
            const std::string name = messageNames.nameOf(word);
            if (name.rfind("0x", 0) == 0) {
                continue;
            }
            ASSERT_TRUE(commandHasName) << name;
            EXPECT_EQ(name, bare + suffixes[sub]);
            ++named;
        }
    }
    EXPECT_EQ(named, 63);
}

TEST(MessageNames, CommandsWithoutSomeSubcommandsPrintInHexadecimal) {
    for (const std::uint32_t word : {0x8201u, 0x8301u, 0x8003u, 0x8205u, 0x8241u, 0x8402u}) {
        char expected[12];
        std::snprintf(expected, sizeof expected, "0x%x", word);
        EXPECT_STREQ(messageNames.nameOf(word), expected);
    }
}

}  // namespace
}  // namespace ambertap
