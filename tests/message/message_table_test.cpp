// The message table against the vocabulary: a command word with a name has
// its row, and a row's word has its name; and the protocol tracker, which
// both the views and the calls read B protocols from.
#include "message_table.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <optional>
#include <ostream>
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

// Whether an answer accepts is read from the Info of a confirmation and the
// Reject of a response: no other message has either among its parameters.
TEST(MessageTable, GivesInfoToConfirmationsAndRejectToResponses) {
    for (const MessageDefinition& definition : messageDefinitions()) {
        const Subcommand subcommand = subcommandOf(definition.commandWord);
        for (const ParameterDefinition& parameter : definition.parameters) {
            if (parameter.key.text() == "info") {
                EXPECT_EQ(subcommand, Subcommand::confirmation)
                    << messageName(definition.commandWord);
            }
            if (parameter.key.text() == "reject") {
                EXPECT_EQ(subcommand, Subcommand::response) << messageName(definition.commandWord);
            }
        }
    }
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

// ---- Every layout that a choice knows ----

// Bytes as hex, a structure's contents behind its length byte, and a
// message behind its header (application 1, message number 1).
std::string structure(const std::string& contents) {
    char length[4];
    std::snprintf(length, sizeof length, "%02zx", bytesFromHex(contents).size());
    return contents.empty() ? std::string("00") : length + (" " + contents);
}
std::string capiMessage(int command, int subcommand, const std::string& parameters) {
    char header[40];
    std::snprintf(header, sizeof header, "%02zx 00 01 00 %02x %02x 01 00 ",
                  8 + bytesFromHex(parameters).size(), command, subcommand);
    return header + parameters;
}
const std::string plciAddress = "01 01 00 00 ";
std::string word(int value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02x %02x ", value & 0xff, value >> 8);
    return text;
}
std::string selectB(int b1, int b2, int b3, const std::string& b1Configuration,
                    const std::string& b2Configuration, const std::string& b3Configuration) {
    return capiMessage(
        0x41, 0x80,
        plciAddress + structure(word(b1) + word(b2) + word(b3) + structure(b1Configuration) + " " +
                                structure(b2Configuration) + " " + structure(b3Configuration)));
}
std::string facility(int subcommand, int selector, const std::string& parameter) {
    return capiMessage(
        0x80, subcommand,
        plciAddress + (subcommand == 0x81 ? word(0) : "") + word(selector) + structure(parameter));
}
std::string service(int subcommand, int function, const std::string& parameters) {
    return facility(subcommand, 3, word(function) + structure(parameters));
}
std::string infoInd(int infoNumber, const std::string& element) {
    return capiMessage(0x08, 0x82, plciAddress + word(infoNumber) + structure(element));
}
std::string additionalInfo(const std::string& bChannel, const std::string& facilityData) {
    return capiMessage(
        0x01, 0x80,
        plciAddress + structure(structure(bChannel) + " 00 00 " + structure(facilityData)));
}

// Lengths the common layouts take: four words, six, eight; HDLC's four
// bytes and an empty XID; fax's two words and two empty texts.
const std::string fourWords = "01 02 03 04 05 06 07 08";
const std::string sixWords = fourWords + " 09 0a 0b 0c";
const std::string eightWords = sixWords + " 0d 0e 0f 10";
const std::string hdlc = "03 01 08 07 00";
const std::string faxB3 = "01 00 04 00 00 00";

const char* const v110 = "rate bitsPerCharacter parity stopBits";
const char* const modem = "rate bitsPerCharacter parity stopBits options speedNegotiation";
const char* const t30B1 = "rate transmitLevel reserved1 reserved2";
const char* const hdlcB2 = "addressA addressB moduloMode windowSize xid";
const char* const x25 = "lic hic ltc htc loc hoc moduloMode windowSize";
const char* const t30B3 = "resolution format stationId headLine";

struct ChoiceRow {
    const char* name;
    std::string message;
    int b3InForce;       // put in force on the PLCI before the message, or -1
    const char* within;  // the structure, by its key path
    const char* keys;    // the keys it holds first, in order
};

void PrintTo(const ChoiceRow& row, std::ostream* os) {
    *os << row.name;
}

// The keys directly inside the structure at `path` ("" for the message's
// own parameters), in order.
std::string keysWithin(const std::string& fields, const std::string& path) {
    std::string keys;
    const std::string prefix = path.empty() ? "" : path + ".";
    for (std::size_t at = 0; at < fields.size();) {
        const std::size_t end = fields.find('=', at);
        if (end == std::string::npos) {
            break;
        }
        const std::string key = fields.substr(at, end - at);
        if (key.compare(0, prefix.size(), prefix) == 0 &&
            key.find('.', prefix.size()) == std::string::npos) {
            keys += (keys.empty() ? "" : " ") + key.substr(prefix.size());
        }
        at = fields.find(' ', end);
        // A value in brackets or quotes may hold spaces: skip to its close.
        const char open = fields[end + 1];
        if (open == '[' || open == '"' || open == '<') {
            const char close = open == '[' ? ']' : open == '<' ? '>' : '"';
            at = fields.find(close, end + 2);
            at = at == std::string::npos ? at : fields.find(' ', at);
        }
        at = at == std::string::npos ? fields.size() : at + 1;
    }
    return keys;
}

class EveryLayoutChoice : public ::testing::TestWithParam<ChoiceRow> {};

TEST_P(EveryLayoutChoice, LaysTheStructureOut) {
    const ChoiceRow& row = GetParam();
    ProtocolTracker tracker;
    DecodedMessage decoded;
    std::vector<std::string> messages;
    if (row.b3InForce >= 0) {
        messages.push_back(selectB(0, 0, row.b3InForce, "", "", ""));
    }
    messages.push_back(row.message);
    std::vector<std::uint8_t> bytes;  // the decoded message's fields point into it
    for (const std::string& hex : messages) {
        bytes = bytesFromHex(hex);
        decodeMessage(ByteView{bytes.data(), bytes.data() + bytes.size()}, tracker, decoded);
        ASSERT_TRUE(decoded.known() && !decoded.cut()) << hex;
        tracker.takeNote(decoded);
    }
    const std::string fields = testing::flattened(decoded);
    const std::string keys = keysWithin(fields, row.within);
    EXPECT_EQ(keys.substr(0, std::string(row.keys).size()), row.keys) << fields;
}

// Every protocol, selector, Function and Info number that the standard gives a
// layout for, with a structure that holds it whole.
INSTANTIATE_TEST_SUITE_P(
    Structures, EveryLayoutChoice,
    ::testing::Values(
        ChoiceRow{"B1_2_V110_asynchronous", selectB(2, 1, 0, fourWords, "", ""), -1,
                  "bProtocol.b1Configuration", v110},
        ChoiceRow{"B1_3_V110_synchronous", selectB(3, 1, 0, fourWords, "", ""), -1,
                  "bProtocol.b1Configuration", v110},
        ChoiceRow{"B1_4_T30", selectB(4, 4, 4, fourWords, "", ""), -1, "bProtocol.b1Configuration",
                  t30B1},
        ChoiceRow{"B1_7_modem_negotiated", selectB(7, 7, 7, sixWords, "", ""), -1,
                  "bProtocol.b1Configuration", modem},
        ChoiceRow{"B1_8_modem_asynchronous", selectB(8, 7, 7, sixWords, "", ""), -1,
                  "bProtocol.b1Configuration", modem},
        ChoiceRow{"B1_9_modem_synchronous", selectB(9, 7, 7, sixWords, "", ""), -1,
                  "bProtocol.b1Configuration", modem},
        ChoiceRow{"B2_0_ISO_7776", selectB(0, 0, 0, "", hdlc, ""), -1, "bProtocol.b2Configuration",
                  hdlcB2},
        ChoiceRow{"B2_2_SDLC", selectB(0, 2, 0, "", hdlc, ""), -1, "bProtocol.b2Configuration",
                  hdlcB2},
        ChoiceRow{"B2_3_LAPD_X25", selectB(0, 3, 0, "", hdlc, ""), -1, "bProtocol.b2Configuration",
                  hdlcB2},
        ChoiceRow{"B2_12_LAPD_free_SAPI", selectB(0, 12, 0, "", hdlc, ""), -1,
                  "bProtocol.b2Configuration", hdlcB2},
        ChoiceRow{"B3_1_T90", selectB(0, 0, 1, "", "", eightWords), -1, "bProtocol.b3Configuration",
                  x25},
        ChoiceRow{"B3_2_ISO_8208", selectB(0, 0, 2, "", "", eightWords), -1,
                  "bProtocol.b3Configuration", x25},
        ChoiceRow{"B3_3_X25_DCE", selectB(0, 0, 3, "", "", eightWords), -1,
                  "bProtocol.b3Configuration", x25},
        ChoiceRow{"B3_4_T30", selectB(4, 4, 4, "", "", faxB3), -1, "bProtocol.b3Configuration",
                  t30B3},
        ChoiceRow{"NCPI_B3_1", capiMessage(0x82, 0x80, plciAddress + structure("00 00 01 ff")), 1,
                  "ncpi", "flags group channel contents"},
        ChoiceRow{"NCPI_B3_2", capiMessage(0x82, 0x80, plciAddress + structure("00 00 01 ff")), 2,
                  "ncpi", "flags group channel contents"},
        ChoiceRow{"NCPI_B3_3", capiMessage(0x82, 0x80, plciAddress + structure("00 00 01 ff")), 3,
                  "ncpi", "flags group channel contents"},
        ChoiceRow{"NCPI_B3_4", capiMessage(0x82, 0x80, plciAddress + structure(fourWords + " 00")),
                  4, "ncpi", "rate options format pages receiveId"},
        ChoiceRow{"NCPI_B3_5", capiMessage(0x82, 0x80, plciAddress + structure(fourWords + " 00")),
                  5, "ncpi", "rate options format pages receiveId"},
        ChoiceRow{"NCPI_B3_7", capiMessage(0x82, 0x80, plciAddress + structure("80 25 01 00")), 7,
                  "ncpi", "rate protocol"},
        ChoiceRow{"DTMF_request", facility(0x80, 1, "01 00 28 00 28 00 02 31 32 00"), -1,
                  "facilityRequestParameter",
                  "function toneDuration gapDuration dtmfDigits dtmfCharacteristics"},
        ChoiceRow{"DTMF_indication", facility(0x82, 1, "31 32"), -1, "facilityIndicationParameter",
                  "digits"},
        ChoiceRow{"service_request", service(0x80, 1, "ff 00 00 00"), -1,
                  "facilityRequestParameter", "function serviceParameters"},
        ChoiceRow{"service_1_listen", service(0x80, 1, "ff 00 00 00"), -1,
                  "facilityRequestParameter.serviceParameters", "notificationMask"},
        ChoiceRow{"service_4_suspend", service(0x80, 4, "02 41 42"), -1,
                  "facilityRequestParameter.serviceParameters", "callIdentity"},
        ChoiceRow{"service_5_resume", service(0x80, 5, "02 41 42"), -1,
                  "facilityRequestParameter.serviceParameters", "callIdentity"},
        ChoiceRow{"service_6_explicit_call_transfer", service(0x80, 6, "01 02 00 00"), -1,
                  "facilityRequestParameter.serviceParameters", "plci"},
        ChoiceRow{"service_7_conference_begin", service(0x80, 7, "01 02 00 00"), -1,
                  "facilityRequestParameter.serviceParameters", "plci"},
        ChoiceRow{"service_8_conference_end", service(0x80, 8, "01 02 00 00"), -1,
                  "facilityRequestParameter.serviceParameters", "plci"},
        ChoiceRow{"service_9_forwarding_activate",
                  service(0x80, 9, "01 00 00 00 00 00 00 00 00 00 00"), -1,
                  "facilityRequestParameter.serviceParameters",
                  "handle type basicService servedUserNumber forwardedToNumber "
                  "forwardedToSubaddress"},
        ChoiceRow{"service_10_forwarding_deactivate",
                  service(0x80, 10, "01 00 00 00 01 00 00 00 00"), -1,
                  "facilityRequestParameter.serviceParameters",
                  "handle type basicService servedUserNumber"},
        ChoiceRow{"service_11_interrogate_parameters",
                  service(0x80, 11, "01 00 00 00 02 00 00 00 00"), -1,
                  "facilityRequestParameter.serviceParameters",
                  "handle type basicService servedUserNumber"},
        ChoiceRow{"service_12_interrogate_numbers", service(0x80, 12, "01 00 00 00"), -1,
                  "facilityRequestParameter.serviceParameters", "handle"},
        ChoiceRow{"service_13_call_deflection", service(0x80, 13, "01 00 00 00"), -1,
                  "facilityRequestParameter.serviceParameters",
                  "presentationAllowed deflectedToNumber deflectedToSubaddress"},
        ChoiceRow{"service_0_confirmed", service(0x81, 0, "00 00 ff 00 00 00"), -1,
                  "facilityConfirmationParameter.serviceParameters",
                  "supplementaryServiceInfo supportedServices"},
        ChoiceRow{"service_2_confirmed", service(0x81, 2, "00 00"), -1,
                  "facilityConfirmationParameter.serviceParameters", "supplementaryServiceInfo"},
        ChoiceRow{"service_2_hold_indicated", service(0x82, 2, "00 00"), -1,
                  "facilityIndicationParameter.serviceParameters", "supplementaryServiceReason"},
        ChoiceRow{"service_3_retrieve_indicated", service(0x82, 3, "00 00"), -1,
                  "facilityIndicationParameter.serviceParameters", "supplementaryServiceReason"},
        ChoiceRow{"service_4_suspend_indicated", service(0x82, 4, "00 00"), -1,
                  "facilityIndicationParameter.serviceParameters", "supplementaryServiceReason"},
        ChoiceRow{"service_5_resume_indicated", service(0x82, 5, "00 00"), -1,
                  "facilityIndicationParameter.serviceParameters", "supplementaryServiceReason"},
        ChoiceRow{"service_6_transfer_indicated", service(0x82, 6, "00 00"), -1,
                  "facilityIndicationParameter.serviceParameters", "supplementaryServiceReason"},
        ChoiceRow{"service_7_conference_begin_indicated", service(0x82, 7, "00 00"), -1,
                  "facilityIndicationParameter.serviceParameters", "supplementaryServiceReason"},
        ChoiceRow{"service_8_conference_end_indicated", service(0x82, 8, "00 00"), -1,
                  "facilityIndicationParameter.serviceParameters", "supplementaryServiceReason"},
        ChoiceRow{"info_charge_in_units", infoInd(0x4000, "05 00 00 00"), -1, "infoElement",
                  "chargeUnits"},
        ChoiceRow{"info_0x08_cause", infoInd(0x08, "82 90"), -1, "infoElement",
                  "codingStandard location cause"},
        ChoiceRow{"info_0x18_channel_identification", infoInd(0x18, "89"), -1, "infoElement",
                  "interfaceIdentifierPresent interfaceType exclusive dChannel channelSelection"},
        ChoiceRow{"info_0x1c_facility", infoInd(0x1c, "91 a1 06 02 01 01 02 01 05"), -1,
                  "infoElement", "protocolProfile components"},
        ChoiceRow{"info_0x1e_progress_indicator", infoInd(0x1e, "82 88"), -1, "infoElement",
                  "codingStandard location description"},
        ChoiceRow{"info_0x27_notification_indicator", infoInd(0x27, "f9"), -1, "infoElement",
                  "notification"},
        ChoiceRow{"info_0x28_display", infoInd(0x28, "41 42"), -1, "infoElement", "text"},
        ChoiceRow{"info_0x29_date_and_time", infoInd(0x29, "1a 0c 0a 0e 03 07"), -1, "infoElement",
                  "year month day hour minute second"},
        ChoiceRow{"info_0x2c_keypad_facility", infoInd(0x2c, "31 32"), -1, "infoElement", "text"},
        ChoiceRow{"info_0x34_signal", infoInd(0x34, "01"), -1, "infoElement", "signal"},
        ChoiceRow{"info_0x6c_calling_party_number", infoInd(0x6c, "01 80 31"), -1, "infoElement",
                  "typeOfNumber numberingPlan presentation screening digits"},
        ChoiceRow{"info_0x70_called_party_number", infoInd(0x70, "81 31"), -1, "infoElement",
                  "typeOfNumber numberingPlan digits"},
        ChoiceRow{"info_0x74_redirecting_number", infoInd(0x74, "01 00 81 31"), -1, "infoElement",
                  "typeOfNumber numberingPlan presentation screening reason"},
        ChoiceRow{"info_0x76_redirection_number", infoInd(0x76, "81 31"), -1, "infoElement",
                  "typeOfNumber numberingPlan"},
        ChoiceRow{"info_0x7d_high_layer_compatibility", infoInd(0x7d, "91 81"), -1, "infoElement",
                  "codingStandard interpretation presentationMethod"},
        ChoiceRow{"info_0x7e_user_user", infoInd(0x7e, "04 41"), -1, "infoElement",
                  "protocolDiscriminator information"},
        ChoiceRow{"B_channel_allocation", additionalInfo("03 00 00 00 ff", ""), -1,
                  "additionalInfo.bChannelInformation", "channel operation channelMaskArray"},
        ChoiceRow{"B_channel_identification", additionalInfo("04 00 01 89", ""), -1,
                  "additionalInfo.bChannelInformation", "channel channelIdentification"},
        ChoiceRow{"facility_data_array_element", additionalInfo("", "1c 02 91 a1"), -1,
                  "additionalInfo.facilityDataArray.elements.element.contents", "protocolProfile"},
        ChoiceRow{"manufacturer_common_layout",
                  capiMessage(0xff, 0x80, "01 00 00 00 41 56 4d 00 01 00 00 00 02 00 00 00 00"), -1,
                  "", "controller manuId class function manuData"}),
    NamedByRow());

}  // namespace
}  // namespace ambertap
