// Every table of names that the views show values by, written out whole and
// held against name_tables.golden, which was read line by line against the
// standard's lists: a name moved to another value, changed or lost fails
// here. Tables that are looked up through a function (Info values, causes,
// Info numbers) are written as the runs of values that share a meaning.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "case_files.h"
#include "code_names.h"
#include "element_names.h"
#include "element_table.h"
#include "value_names.h"

namespace ambertap {
namespace {

struct NamedTable {
    const char* title;
    const ValueNames& names;
};

const NamedTable tables[] = {
    {"B1 protocol (line)", lineB1ProtocolNames},
    {"B2 protocol (line)", lineB2ProtocolNames},
    {"B3 protocol (line)", lineB3ProtocolNames},
    {"B1 protocol", fullB1ProtocolNames},
    {"B2 protocol", fullB2ProtocolNames},
    {"B3 protocol", fullB3ProtocolNames},
    {"CIP Value", cipValueNames},
    {"CIP mask bits", cipMaskBits},
    {"Info mask bits", infoMaskBits},
    {"Reject", rejectNames},
    {"Reject (B3)", rejectB3Names},
    {"Facility selector", facilitySelectorNames},
    {"DTMF function", dtmfFunctionNames},
    {"Supplementary service function", supplementaryServiceFunctionNames},
    {"Supported services bits", supportedServiceBits},
    {"Call forwarding type", forwardingTypeNames},
    {"B channel information channel", channelNames},
    {"Channel allocation operation", channelAllocationOperationNames},
    {"Sending complete mode", sendingCompleteNames},
    {"B channel operation", bChannelOperationNames},
    {"Parity", parityNames},
    {"Stop bits", stopBitNames},
    {"Fax resolution", resolutionNames},
    {"Fax format", faxFormatNames},
    {"Fax option bits", faxOptionBits},
    {"DATA_B3 flag bits", dataB3FlagBits},
    {"Element identifier", elementIdentifierNames},
    {"Coding standard", codingStandardNames},
    {"Type of number", typeOfNumberNames},
    {"Numbering plan", numberingPlanNames},
    {"Presentation", presentationNames},
    {"Screening", screeningNames},
    {"Reason for redirection", redirectionReasonNames},
    {"Type of subaddress", subaddressTypeNames},
    {"Information transfer capability", transferCapabilityNames},
    {"Transfer mode", transferModeNames},
    {"Information transfer rate", transferRateNames},
    {"Layer 1 protocol", layer1ProtocolNames},
    {"User rate", userRateNames},
    {"Layer 2 protocol (BC)", bearerLayer2ProtocolNames},
    {"Layer 2 protocol (LLC)", lowLayerLayer2ProtocolNames},
    {"Layer 3 protocol (BC)", bearerLayer3ProtocolNames},
    {"Layer 3 protocol (LLC)", lowLayerLayer3ProtocolNames},
    {"Presentation method", presentationMethodNames},
    {"High layer characteristics", highLayerCharacteristicsNames},
    {"Location", locationNames},
    {"Progress description", progressDescriptionNames},
    {"Interface type", interfaceTypeNames},
    {"Channel selection (basic)", basicChannelSelectionNames},
    {"Channel selection (other)", otherChannelSelectionNames},
    {"Channel type", channelTypeNames},
    {"Signal", signalNames},
    {"Notification", notificationNames},
    {"Protocol discriminator", protocolDiscriminatorNames},
    {"Protocol profile", protocolProfileNames},
    {"Component type", componentTypeNames},
};

std::string hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04x", static_cast<unsigned>(value));
    return text;
}

// One line a run of values with the same meaning: "0x1000-0x10ff name".
class Runs {
  public:
    explicit Runs(std::string& out) : out_(out) {}

    void add(std::uint32_t value, const std::string& meaning) {
        if (!meaning.empty() && meaning == meaning_ && value == last_ + 1) {
            last_ = value;
            return;
        }
        flush();
        first_ = last_ = value;
        meaning_ = meaning;
    }

    void flush() {
        if (!meaning_.empty()) {
            out_ += "  " + hex(first_) + (first_ != last_ ? "-" + hex(last_) : "") + " " +
                    meaning_ + "\n";
        }
        meaning_.clear();
    }

  private:
    std::string& out_;
    std::uint32_t first_ = 0;
    std::uint32_t last_ = 0;
    std::string meaning_;
};

// A value that carries the network's cause in its low seven bits, named as
// the cause table names it, is one run; any other meaning is written out.
std::string infoMeaningText(std::uint16_t value) {
    const InfoMeaning meaning = infoMeaning(value);
    std::string text = meaning.name != nullptr ? meaning.name : "";
    if (meaning.cause >= 0) {
        const std::uint32_t cause = value & 0x7fu;
        const char* name = causeName(cause);
        if (meaning.cause == static_cast<int>(cause) && meaning.name == name) {
            return "the Q.850 cause of the low seven bits, by its name";
        }
        text += " (cause " + std::to_string(meaning.cause) + ")";
    }
    return text;
}

std::string infoNumberText(std::uint16_t value) {
    const InfoNumberMeaning meaning = infoNumberMeaning(value);
    if (meaning.name == nullptr) {
        return "";
    }
    return std::string(infoNumberKindText(meaning.kind)) + ": " + meaning.name;
}

std::string everyTable() {
    std::string out;
    for (const NamedTable& table : tables) {
        out += std::string("== ") + table.title + "\n";
        for (const ValueName& entry : table.names) {
            out += "  " + std::to_string(entry.value) + " " + entry.name + "\n";
        }
    }
    out += "== Q.850 cause\n";
    for (std::uint32_t cause = 0; cause <= 0x7f; ++cause) {
        if (const char* name = causeName(cause)) {
            out += "  " + std::to_string(cause) + " " + name + "\n";
        }
    }
    out += "== Info and Reason\n";
    Runs infos(out);
    for (std::uint32_t value = 0; value <= 0xffff; ++value) {
        infos.add(value, infoMeaningText(static_cast<std::uint16_t>(value)));
    }
    infos.flush();
    out += "== Info number\n";
    Runs numbers(out);
    // A message type's high byte but bit 15 is not looked at: one such byte
    // shows it.
    for (std::uint32_t value = 0; value <= 0x81ff; ++value) {
        numbers.add(value, infoNumberText(static_cast<std::uint16_t>(value)));
    }
    numbers.flush();
    return out;
}

TEST(NameTables, HoldTheStandardsNames) {
    const std::filesystem::path golden =
        std::filesystem::path(AMBERTAP_MESSAGE_CASES) / "../name_tables.golden";
    const std::string actual = everyTable();
    const std::string expected = testing::contentsOf(golden);
    if (actual != expected) {
        const std::filesystem::path written =
            std::filesystem::path(::testing::TempDir()) / "name_tables.golden";
        std::ofstream(written, std::ios::binary) << actual;
        ADD_FAILURE() << "the name tables differ from " << golden
                      << "; as they are now: " << written
                      << " (diff the two, check each change against the standard)";
    }
}

}  // namespace
}  // namespace ambertap
