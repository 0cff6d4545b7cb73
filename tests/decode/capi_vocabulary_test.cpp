// The vocabulary's accessors and rules, against the reference's own words:
// the address layout, the words that exist and those that do not, the
// answer of each kind of message, and which Info values say "taken".
#include "capi_vocabulary.h"

#include <gtest/gtest.h>

#include <cstdint>

#include "case_names.h"
#include "code_names.h"

namespace ambertap {
namespace {

using testing::NamedByRow;

struct AddressCase {
    const char* name;
    std::uint32_t address;
    std::uint32_t controller;
    bool external;
    std::uint8_t controllerByte;
    std::uint32_t plciPart;
    std::uint32_t ncciPart;
    std::uint16_t plci;
    bool namesPlci;
    bool namesNcci;
};

class AddressParts : public ::testing::TestWithParam<AddressCase> {};

TEST_P(AddressParts, FollowTheLayout) {
    const AddressCase& c = GetParam();
    EXPECT_EQ(CapiAddress::controllerOf(c.address), c.controller);
    EXPECT_EQ(CapiAddress::isExternal(c.address), c.external);
    EXPECT_EQ(CapiAddress::controllerByteOf(c.address), c.controllerByte);
    EXPECT_EQ(CapiAddress::plciPartOf(c.address), c.plciPart);
    EXPECT_EQ(CapiAddress::ncciPartOf(c.address), c.ncciPart);
    EXPECT_EQ(CapiAddress::plciOf(c.address), c.plci);
    EXPECT_EQ(CapiAddress::namesPlci(c.address), c.namesPlci);
    EXPECT_EQ(CapiAddress::namesNcci(c.address), c.namesNcci);
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, AddressParts,
    ::testing::Values(
        AddressCase{"controller_1", 0x00000001, 1, false, 0x01, 0, 0, 0x0001, false, false},
        AddressCase{"external_controller_1", 0x00000081, 1, true, 0x81, 0, 0, 0x0081, false, false},
        AddressCase{"plci_0101", 0x00000101, 1, false, 0x01, 1, 0, 0x0101, true, false},
        AddressCase{"ncci_00010101", 0x00010101, 1, false, 0x01, 1, 1, 0x0101, true, true},
        // An NCCI part without a PLCI part: the parts stay apart.
        AddressCase{"ncci_part_alone", 0x00020003, 3, false, 0x03, 0, 2, 0x0003, false, true},
        AddressCase{"every_bit", 0xffffffff, 0x7f, true, 0xff, 0xff, 0xffff, 0xffff, true, true}),
    NamedByRow());

struct WordCase {
    const char* name;
    std::uint16_t word;
    bool isMessage;
    const char* answer;  // the name of its answer, for a request or an indication
};

class CommandWords : public ::testing::TestWithParam<WordCase> {};

TEST_P(CommandWords, ExistAsTheReferenceSaysAndAreAnsweredByTheirPair) {
    const WordCase& c = GetParam();
    EXPECT_EQ(isCapiMessage(c.word), c.isMessage);
    if (c.answer != nullptr) {
        EXPECT_EQ(messageName(answerOf(c.word)), c.answer);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Words, CommandWords,
    ::testing::Values(WordCase{"CONNECT_REQ", 0x8002, true, "CONNECT_CONF"},
                      WordCase{"CONNECT_IND", 0x8202, true, "CONNECT_RESP"},
                      WordCase{"DATA_B3_IND", 0x8286, true, "DATA_B3_RESP"},
                      WordCase{"DISCONNECT_B3_IND", 0x8284, true, "DISCONNECT_B3_RESP"},
                      WordCase{"SELECT_B_PROTOCOL_REQ", 0x8041, true, "SELECT_B_PROTOCOL_CONF"},
                      WordCase{"MANUFACTURER_IND", 0x82ff, true, "MANUFACTURER_RESP"},
                      WordCase{"CONNECT_B3_T90_ACTIVE_RESP", 0x8388, true, nullptr},
                      WordCase{"no_ALERT_IND", 0x8201, false, nullptr},
                      WordCase{"no_CONNECT_ACTIVE_REQ", 0x8003, false, nullptr},
                      WordCase{"no_LISTEN_IND", 0x8205, false, nullptr},
                      WordCase{"no_SELECT_B_PROTOCOL_IND", 0x8241, false, nullptr},
                      WordCase{"bare_CONNECT_is_no_message", 0x0002, false, nullptr},
                      WordCase{"subcommand_84", 0x8402, false, nullptr},
                      WordCase{"command_06", 0x8006, false, nullptr}),
    NamedByRow());

// The reference's 48 messages; the line's table adds the 15 bare names.
TEST(CommandWords, CountTheReferencesMessages) {
    EXPECT_EQ(capiMessageCount(), 48u);
    std::size_t messages = 0;
    for (std::uint32_t word = 0; word <= 0xffff; ++word) {
        messages += isCapiMessage(static_cast<std::uint16_t>(word)) ? 1u : 0u;
    }
    EXPECT_EQ(messages, capiMessageCount());
}

struct InfoCase {
    const char* name;
    std::uint16_t info;
    bool taken;
    std::uint16_t infoClass;
};

class InfoValues : public ::testing::TestWithParam<InfoCase> {};

TEST_P(InfoValues, SayTakenBelowTheErrorClasses) {
    EXPECT_EQ(InfoValue::taken(GetParam().info), GetParam().taken);
    EXPECT_EQ(InfoValue::classOf(GetParam().info), GetParam().infoClass);
}

INSTANTIATE_TEST_SUITE_P(
    Values, InfoValues,
    ::testing::Values(
        InfoCase{"no_error", 0x0000, true, 0x0000},
        InfoCase{"alert_already_sent", 0x0003, true, 0x0000},
        InfoCase{"last_before_the_errors", 0x0fff, true, 0x0f00},
        InfoCase{"first_registration_error", 0x1000, false, InfoValue::registrationError},
        InfoCase{"message_exchange_error", 0x1108, false, InfoValue::messageExchangeError},
        InfoCase{"out_of_plci", 0x2003, false, InfoValue::invalidInState},
        InfoCase{"normal_call_clearing", 0x3490, false, InfoValue::networkCause}),
    NamedByRow());

}  // namespace
}  // namespace ambertap
