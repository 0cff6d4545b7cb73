// A BC and a cause element said in words, from the fields the walk decoded.
#include "element_descriptions.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "case_names.h"
#include "flattened_fields.h"
#include "protocol_tracker.h"

namespace ambertap {
namespace {

struct DescriptionCase {
    const char* name;
    const char* element;  // the element's contents
    const char* words;
};

// A message whose parameter `key` holds the element: a CONNECT_IND's BC, or
// an INFO_IND's cause.
std::vector<std::uint8_t> messageHolding(const std::string& key, const char* element) {
    const std::vector<std::uint8_t> contents = testing::bytesFromHex(element);
    std::vector<std::uint8_t> message = {0, 0, 0x01, 0x00};
    std::vector<std::uint8_t> parameters = {0x01, 0x01, 0x00, 0x00};  // PLCI 0x101
    if (key == "bc") {
        message.insert(message.end(), {0x02, 0x82, 0x01, 0x00});
        parameters.insert(parameters.end(), {0x01, 0x00, 0x00, 0x00, 0x00, 0x00});
    } else {
        message.insert(message.end(), {0x08, 0x82, 0x01, 0x00});
        parameters.insert(parameters.end(), {0x08, 0x00});
    }
    parameters.push_back(static_cast<std::uint8_t>(contents.size()));
    parameters.insert(parameters.end(), contents.begin(), contents.end());
    if (key == "bc") {
        parameters.insert(parameters.end(), {0x00, 0x00, 0x00});
    }
    message.insert(message.end(), parameters.begin(), parameters.end());
    message[0] = static_cast<std::uint8_t>(message.size());
    return message;
}

std::string described(const std::string& key, const char* element) {
    const std::vector<std::uint8_t> bytes = messageHolding(key, element);
    DecodedMessage message;
    decodeMessage(ByteView{bytes.data(), bytes.data() + bytes.size()}, ProtocolTracker{}, message);
    const Field* field = message.find(key);
    if (field == nullptr) {
        return "<no " + key + ">";
    }
    return key == "bc" ? bearerDescription(message, *field) : causeDescription(message, *field);
}

class BearerDescription : public ::testing::TestWithParam<DescriptionCase> {};

TEST_P(BearerDescription, SaysTheServiceInWords) {
    EXPECT_EQ(described("bc", GetParam().element), GetParam().words);
}

const DescriptionCase bearerRows[] = {
    {"speech_A_law", "80 90 a3", "speech, 64 kbit/s, circuit mode, G.711 A-law"},
    {"audio_mu_law", "90 90 a2", "3.1 kHz audio, 64 kbit/s, circuit mode, G.711 mu-law"},
    {"unrestricted_digital", "88 90", "unrestricted digital information, 64 kbit/s, circuit mode"},
    {"multirate_v110", "88 98 85 21 48",
     "unrestricted digital information, multirate, circuit mode, V.110/X.30 rate adaption"},
    {"unnamed_values", "8f bb af",
     "information transfer capability 15, information transfer rate 27, transfer mode 1, "
     "user information layer 1 protocol 15"},
    {"capability_alone", "80", "speech"},
    {"nothing", "", ""},
};

INSTANTIATE_TEST_SUITE_P(Rows, BearerDescription, ::testing::ValuesIn(bearerRows),
                         testing::NamedByRow());

class CauseDescription : public ::testing::TestWithParam<DescriptionCase> {};

TEST_P(CauseDescription, SaysTheCauseAndWhereItArose) {
    EXPECT_EQ(described("infoElement", GetParam().element), GetParam().words);
}

const DescriptionCase causeRows[] = {
    {"user_busy_remote_network", "84 91",
     "user busy (cause 17), from the public network serving the remote user"},
    {"normal_clearing_user", "80 90", "normal call clearing (cause 16), from the user"},
    {"with_recommendation_and_diagnostics", "03 80 a2 01 02",
     "no circuit available (cause 34), from the transit network"},
    {"unnamed_cause", "82 80", "cause 0, from the public network serving the local user"},
    {"unnamed_location", "86 91", "user busy (cause 17), location 6"},
    {"no_cause_value", "84", ""},
};

INSTANTIATE_TEST_SUITE_P(Rows, CauseDescription, ::testing::ValuesIn(causeRows),
                         testing::NamedByRow());

}  // namespace
}  // namespace ambertap
