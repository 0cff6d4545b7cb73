// The message table against the vocabulary: a command word with a name has
// its row, and a row's word has its name; and the protocol tracker, which
// both the views and the calls read B protocols from.
#include "message_table.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "capi_vocabulary.h"
#include "case_names.h"
#include "code_names.h"
#include "decoded_message.h"
#include "flattened_fields.h"
#include "protocol_tracker.h"

namespace ambertap {
namespace {

using testing::bytesFromHex;
using testing::NamedByRow;

// Each message name that the vocabulary composes has a definition.
TEST(MessageTable, DefinesEveryNamedMessage) {
    for (const CapiCommandRow& row : capiCommands) {
        for (const SubcommandName& subcommand : subcommandNames) {
            if (!row.subcommands.has(subcommand.subcommand)) {
                continue;
            }
            const std::uint16_t word = commandWordOf(row.command, subcommand.subcommand);
            EXPECT_EQ(messageName(word), std::string(row.name) + subcommand.suffix);
            EXPECT_NE(messageDefinition(word), nullptr)
                << messageName(word) << " has a name but no definition";
        }
    }
}

// Every word of the line's names, bare commands aside, is a defined message,
// and every definition is a word with a name.
TEST(MessageTable, NamesEveryDefinedMessage) {
    for (std::uint32_t code = 0; code <= 0xffff; ++code) {
        const auto word = static_cast<std::uint16_t>(code);
        const bool named = !messageName(word).empty() && subcommandOf(word) != Subcommand{};
        EXPECT_EQ(messageDefinition(word) != nullptr, named)
            << "command word 0x" << std::hex << word;
    }
    for (const MessageDefinition& definition : messageDefinitions()) {
        EXPECT_FALSE(messageName(definition.commandWord).empty())
            << "command word 0x" << std::hex << definition.commandWord
            << " has a definition but no name";
    }
    EXPECT_EQ(messageDefinitions().size(), capiMessageCount());
}

// ---- The protocol tracker ----

// Messages of application 1 on PLCI 0101; each request or response carries
// the B protocol structure b1 b2 b3 with empty configurations.
std::string bProtocol(int b1, int b2, int b3) {
    char text[40];
    std::snprintf(text, sizeof text, "09 %02x 00 %02x 00 %02x 00 00 00 00", b1, b2, b3);
    return text;
}
std::string connectReq(int number, int b1, int b2, int b3) {
    char header[40];
    std::snprintf(header, sizeof header, "20 00 01 00 02 80 %02x 00 ", number);
    return header + std::string("01 00 00 00 02 00 00 00 00 00 ") + bProtocol(b1, b2, b3) +
           " 00 00 00 00";
}
std::string connectConf(int number, int info) {
    char text[60];
    std::snprintf(text, sizeof text, "0e 00 01 00 02 81 %02x 00 01 01 00 00 %02x %02x", number,
                  info & 0xff, info >> 8);
    return text;
}
std::string connectResp(int b1, int b2, int b3) {
    return "1c 00 01 00 02 83 07 00 01 01 00 00 00 00 " + bProtocol(b1, b2, b3) + " 00 00 00 00";
}
std::string selectBProtocolReq(int b1, int b2, int b3) {
    return "16 00 01 00 41 80 09 00 01 01 00 00 " + bProtocol(b1, b2, b3);
}
const std::string connectActiveInd = "0f 00 01 00 03 82 03 00 01 01 00 00 00 00 00";

struct TrackerCase {
    const char* name;
    std::vector<std::string> messages;
    std::optional<BProtocols> putByTheLast;
    std::optional<BProtocols> inForceAtTheEnd;
};

std::optional<BProtocols> copied(const BProtocols* protocols) {
    return protocols != nullptr ? std::optional<BProtocols>(*protocols) : std::nullopt;
}

std::string text(const std::optional<BProtocols>& protocols) {
    if (!protocols) {
        return "none";
    }
    return std::to_string(protocols->b1) + "/" + std::to_string(protocols->b2) + "/" +
           std::to_string(protocols->b3);
}

class ProtocolTracking : public ::testing::TestWithParam<TrackerCase> {};

TEST_P(ProtocolTracking, PutsInForceWhatTheTraceShows) {
    ProtocolTracker tracker;
    DecodedMessage message;
    for (const std::string& hex : GetParam().messages) {
        const auto bytes = bytesFromHex(hex);
        decodeMessage(ByteView{bytes.data(), bytes.data() + bytes.size()}, tracker, message);
        ASSERT_TRUE(message.known() && !message.cut()) << hex;
        tracker.takeNote(message);
    }
    EXPECT_EQ(text(copied(tracker.putInForceByLastNote())), text(GetParam().putByTheLast));
    EXPECT_EQ(text(copied(tracker.inForce(1, 0x00010101))), text(GetParam().inForceAtTheEnd));
}

constexpr BProtocols x75{0, 0, 0};
constexpr BProtocols transparent{1, 1, 0};
constexpr BProtocols fax{4, 4, 4};

INSTANTIATE_TEST_SUITE_P(
    Sequences, ProtocolTracking,
    ::testing::Values(
        TrackerCase{"confirmed_request",
                    {connectReq(5, 1, 1, 0), connectConf(5, 0)},
                    transparent,
                    transparent},
        TrackerCase{"request_not_yet_confirmed", {connectReq(5, 1, 1, 0)}, {}, {}},
        TrackerCase{"refused_request", {connectReq(5, 1, 1, 0), connectConf(5, 0x2003)}, {}, {}},
        TrackerCase{
            "confirmation_of_another_number", {connectReq(5, 1, 1, 0), connectConf(6, 0)}, {}, {}},
        // The same number again before the confirmation: the later request
        // is the one confirmed.
        TrackerCase{"number_repeated_before_the_confirmation",
                    {connectReq(5, 1, 1, 0), connectReq(5, 4, 4, 4), connectConf(5, 0)},
                    fax,
                    fax},
        TrackerCase{"response", {connectResp(4, 4, 4)}, fax, fax},
        TrackerCase{"selection_after_the_response",
                    {connectResp(4, 4, 4), selectBProtocolReq(0, 0, 0)},
                    x75,
                    x75},
        TrackerCase{"message_without_protocols_after_them",
                    {selectBProtocolReq(1, 1, 0), connectActiveInd},
                    {},
                    transparent}),
    NamedByRow());

}  // namespace
}  // namespace ambertap
