#include "code_names.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ambertap {
namespace {

struct NameCase {
    const CodeNameTable* table;
    std::uint32_t code;
    const char* name;
};

class NameOf : public ::testing::TestWithParam<NameCase> {};

TEST_P(NameOf, GivesTheNameOrTheCodeInHexadecimal) {
    EXPECT_STREQ(GetParam().table->nameOf(GetParam().code), GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(Tables, NameOf,
                         ::testing::Values(NameCase{&b1ProtocolNames, 0, "HDLC Frm"},
                                           NameCase{&b1ProtocolNames, 6, "56 kBit/s"},
                                           NameCase{&b1ProtocolNames, 7, "0x7"},
                                           NameCase{&b2ProtocolNames, 0, "ISO 7776"},
                                           NameCase{&b2ProtocolNames, 6, "Transp (No frm)"},
                                           NameCase{&b3ProtocolNames, 3, "X.25 DCE"},
                                           NameCase{&b3ProtocolNames, 9, "0x9"},
                                           NameCase{&b3ProtocolNames, 0xffff, "0xffff"},
                                           NameCase{&b3ProtocolNames, 0xffffffff, "0xffffffff"},
                                           NameCase{&messageNames, 0x0002, "CONNECT"},
                                           NameCase{&messageNames, 0x0000, "0x0"}));

// The text for a code without a name lives in one buffer shared by all tables.
TEST(NameOf, UnnamedCodeTextIsReplacedByTheNextMiss) {
    const char* first = b1ProtocolNames.nameOf(9);
    const std::string kept = first;
    const char* second = b3ProtocolNames.nameOf(0x1234);
    EXPECT_EQ(first, second);
    EXPECT_EQ(kept, "0x9");
    EXPECT_STREQ(second, "0x1234");
}

struct CopyCase {
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
        CopyCase{0x8203, 40, std::string("CONNECT_ACTIVE_IND") + std::string(22, '\0')},
        CopyCase{0x8086, 5, "DATA_"}, CopyCase{0x8086, 11, std::string("DATA_B3_REQ")},
        CopyCase{0x8086, 12, std::string("DATA_B3_REQ\0", 12)}, CopyCase{0x0002, 0, ""},
        CopyCase{0x0002, 8, std::string("CONNECT\0", 8)},
        // A code without a name: "0x%x" and its terminator, nothing padded...
        CopyCase{0x8201, 10, std::string("0x8201\0####", 10)},
        // ...and never more than the count allows.
        CopyCase{0x8201, 7, std::string("0x8201\0", 7)}, CopyCase{0x8201, 6, "0x8201"},
        CopyCase{0x8201, 3, "0x8"}, CopyCase{0x8201, 0, ""}));

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
