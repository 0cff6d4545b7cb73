#include "message_table.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <string_view>

#include "capi_message.h"
#include "capi_vocabulary.h"
#include "element_table.h"

namespace ambertap {

namespace {

using enum ParameterType;

constexpr ParameterDefinition number(JsonKey key, const char* label, ParameterType type,
                                     Meaning meaning = Meaning::plain,
                                     const ValueNames* names = nullptr,
                                     const char* unit = nullptr) {
    return {key, label, type, meaning, names, unit};
}

constexpr ParameterDefinition named(JsonKey key, const char* label, ParameterType type,
                                    const ValueNames& names) {
    return number(key, label, type, Meaning::named, &names);
}

constexpr ParameterDefinition structured(JsonKey key, const char* label,
                                         const Layout* layout = nullptr,
                                         LayoutChoice choice = LayoutChoice::fixed,
                                         bool optional = false) {
    return {key,    label,   ParameterType::structure, Meaning::plain, nullptr, nullptr, layout,
            choice, optional};
}

constexpr ParameterDefinition rest(JsonKey key, const char* label, ParameterType type) {
    return {key, label, type};
}

constexpr ParameterDefinition elementStructure(JsonKey key, const char* label,
                                               const ElementDefinition& element) {
    return {key,     label,   ParameterType::structure, Meaning::plain, nullptr,
            nullptr, nullptr, LayoutChoice::fixed,      false,          &element};
}

// Characters, shown as text beside the structure's bytes.
constexpr ParameterDefinition textItems[] = {rest("text", "text", text)};
constexpr Layout textLayout{textItems};

// ---- Structures inside structures ----

constexpr ParameterDefinition globalConfigurationItems[] = {
    named("bChannelOperation", "B channel operation", word, bChannelOperationNames)};
constexpr Layout globalConfigurationLayout{globalConfigurationItems};

constexpr ParameterDefinition bProtocolItems[] = {
    named("b1Protocol", "B1 protocol", word, fullB1ProtocolNames),
    named("b2Protocol", "B2 protocol", word, fullB2ProtocolNames),
    named("b3Protocol", "B3 protocol", word, fullB3ProtocolNames),
    structured("b1Configuration", "B1 configuration", nullptr, LayoutChoice::b1Configuration),
    structured("b2Configuration", "B2 configuration", nullptr, LayoutChoice::b2Configuration),
    structured("b3Configuration", "B3 configuration", nullptr, LayoutChoice::b3Configuration),
    structured("globalConfiguration", "Global configuration", &globalConfigurationLayout,
               LayoutChoice::fixed, true),
};
constexpr Layout bProtocolLayout{bProtocolItems};

constexpr ParameterDefinition channelAllocationItems[] = {
    named("operation", "operation", word, channelAllocationOperationNames),
    rest("channelMaskArray", "channel mask array", bytes)};
constexpr Layout channelAllocationLayout{channelAllocationItems};

constexpr ParameterDefinition channelIdentificationItems[] = {elementStructure(
    "channelIdentification", "channel identification", channelIdentificationElement)};
constexpr Layout channelIdentificationLayout{channelIdentificationItems};

constexpr ParameterDefinition bChannelItems[] = {
    named("channel", "Channel", word, channelNames),
    {"channelDetails", "what the channel brings", variant, Meaning::plain, nullptr, nullptr,
     nullptr, LayoutChoice::bChannel}};
constexpr Layout bChannelLayout{bChannelItems};

constexpr ParameterDefinition sendingCompleteItems[] = {
    named("mode", "mode", word, sendingCompleteNames)};
constexpr Layout sendingCompleteLayout{sendingCompleteItems};

// Whole elements one after another, each with its identifier and length.
constexpr ParameterDefinition identifiedElementItems[] = {
    named("identifier", "element identifier", byte, elementIdentifierNames),
    structured("contents", "contents", nullptr, LayoutChoice::identifiedElement)};
constexpr Layout identifiedElementLayout{identifiedElementItems};
constexpr ParameterDefinition identifiedElementItem[] = {
    {"element", "element", group, Meaning::plain, nullptr, nullptr, &identifiedElementLayout}};
constexpr Layout identifiedElementListLayout{identifiedElementItem};
constexpr ParameterDefinition facilityDataArrayItems[] = {
    {"elements", "elements", list, Meaning::plain, nullptr, nullptr, &identifiedElementListLayout}};
constexpr Layout facilityDataArrayLayout{facilityDataArrayItems};

constexpr ParameterDefinition additionalInfoItems[] = {
    structured("bChannelInformation", "B channel information", &bChannelLayout),
    elementStructure("keypadFacility", "Keypad facility", keypadFacilityElement),
    elementStructure("userUserData", "User-user data", userUserElement),
    structured("facilityDataArray", "Facility data array", &facilityDataArrayLayout),
    structured("sendingComplete", "Sending complete", &sendingCompleteLayout, LayoutChoice::fixed,
               true),
};
constexpr Layout additionalInfoLayout{additionalInfoItems};

// ---- Configurations and NCPI of the common protocols ----

constexpr ParameterDefinition rate =
    number("rate", "rate", word, Meaning::quantity, nullptr, "bit/s");
constexpr ParameterDefinition bitsPerCharacter =
    number("bitsPerCharacter", "bits per character", word);
constexpr ParameterDefinition parity = named("parity", "parity", word, parityNames);
constexpr ParameterDefinition stopBits = named("stopBits", "stop bits", word, stopBitNames);

constexpr ParameterDefinition v110Items[] = {rate, bitsPerCharacter, parity, stopBits};
constexpr Layout v110Layout{v110Items};

constexpr ParameterDefinition t30B1Items[] = {
    rate, number("transmitLevel", "transmit level", word, Meaning::signedQuantity, nullptr, "dB"),
    number("reserved1", "reserved", word), number("reserved2", "reserved", word)};
constexpr Layout t30B1Layout{t30B1Items};

constexpr ParameterDefinition modemB1Items[] = {
    rate,
    bitsPerCharacter,
    parity,
    stopBits,
    number("options", "options", word),
    number("speedNegotiation", "speed negotiation", word)};
constexpr Layout modemB1Layout{modemB1Items};

constexpr ParameterDefinition hdlcB2Items[] = {
    number("addressA", "address A", byte),
    number("addressB", "address B", byte),
    number("moduloMode", "modulo mode", byte),
    number("windowSize", "window size", byte),
    structured("xid", "XID"),
};
constexpr Layout hdlcB2Layout{hdlcB2Items};

constexpr ParameterDefinition x25B3Items[] = {
    number("lic", "LIC (lowest incoming channel)", word),
    number("hic", "HIC (highest incoming channel)", word),
    number("ltc", "LTC (lowest two-way channel)", word),
    number("htc", "HTC (highest two-way channel)", word),
    number("loc", "LOC (lowest outgoing channel)", word),
    number("hoc", "HOC (highest outgoing channel)", word),
    number("moduloMode", "modulo mode", word),
    number("windowSize", "window size", word),
};
constexpr Layout x25B3Layout{x25B3Items};

constexpr ParameterDefinition faxFormat = named("format", "format", word, faxFormatNames);

constexpr ParameterDefinition t30B3Items[] = {
    named("resolution", "resolution", word, resolutionNames),
    faxFormat,
    structured("stationId", "station ID", &textLayout),
    structured("headLine", "head line", &textLayout),
};
constexpr Layout t30B3Layout{t30B3Items};

constexpr ParameterDefinition x25NcpiItems[] = {
    number("flags", "flags", byte),
    number("group", "group", byte),
    number("channel", "channel", byte),
    rest("contents", "contents (X.25 facilities and user data)", bytes),
};
constexpr Layout x25NcpiLayout{x25NcpiItems};

constexpr ParameterDefinition t30NcpiItems[] = {
    rate,
    number("options", "options", word, Meaning::bits, &faxOptionBits),
    faxFormat,
    number("pages", "pages", word, Meaning::quantity, nullptr, "pages"),
    structured("receiveId", "receive ID", &textLayout),
};
constexpr Layout t30NcpiLayout{t30NcpiItems};

constexpr ParameterDefinition modemNcpiItems[] = {rate, number("protocol", "protocol", word)};
constexpr Layout modemNcpiLayout{modemNcpiItems};

// ---- Info elements and facilities ----

constexpr ParameterDefinition chargeUnitsItems[] = {
    number("chargeUnits", "charge", dword, Meaning::quantity, nullptr, "units")};
constexpr Layout chargeUnitsLayout{chargeUnitsItems};

constexpr ParameterDefinition dtmfDigitsItems[] = {rest("digits", "digits", text)};
constexpr Layout dtmfDigitsLayout{dtmfDigitsItems};

constexpr ParameterDefinition dtmfRequestItems[] = {
    named("function", "Function", word, dtmfFunctionNames),
    number("toneDuration", "tone duration", word, Meaning::quantity, nullptr, "ms"),
    number("gapDuration", "gap duration", word, Meaning::quantity, nullptr, "ms"),
    structured("dtmfDigits", "DTMF digits", &dtmfDigitsLayout),
    structured("dtmfCharacteristics", "DTMF characteristics"),
};
constexpr Layout dtmfRequestLayout{dtmfRequestItems};

// Every parameter of the supplementary services: the Function, then a
// structure of what the function and the subcommand bring.
constexpr ParameterDefinition supplementaryItems[] = {
    named("function", "Function", word, supplementaryServiceFunctionNames),
    structured("serviceParameters", "parameters", nullptr, LayoutChoice::serviceParameters)};
constexpr Layout supplementaryLayout{supplementaryItems};

constexpr ParameterDefinition manufacturerCommonItems[] = {
    number("class", "Class", dword),
    number("function", "Function", dword),
    structured("manuData", "Manufacturer data"),
};
constexpr ParameterDefinition manufacturerBytesItems[] = {
    rest("manufacturerSpecific", "manufacturer-specific part", bytes)};

// ---- The parameters of the messages ----

constexpr ParameterDefinition controller =
    number("controller", "Controller", dword, Meaning::address);
constexpr ParameterDefinition plci = number("plci", "PLCI", dword, Meaning::address);
constexpr ParameterDefinition ncci = number("ncci", "NCCI", dword, Meaning::address);
constexpr ParameterDefinition address = number("address", "Address", dword, Meaning::address);

constexpr ParameterDefinition info = number("info", "Info", word, Meaning::info);
constexpr ParameterDefinition cipValue = named("cipValue", "CIP Value", word, cipValueNames);
constexpr ParameterDefinition calledPartyNumber =
    elementStructure("calledPartyNumber", "Called party number", calledPartyNumberElement);
constexpr ParameterDefinition callingPartyNumber =
    elementStructure("callingPartyNumber", "Calling party number", structureCallingNumberElement);
constexpr ParameterDefinition calledPartySubaddress =
    elementStructure("calledPartySubaddress", "Called party subaddress", subaddressElement);
constexpr ParameterDefinition callingPartySubaddress =
    elementStructure("callingPartySubaddress", "Calling party subaddress", subaddressElement);
constexpr ParameterDefinition connectedNumber =
    elementStructure("connectedNumber", "Connected number", structureCallingNumberElement);
constexpr ParameterDefinition connectedSubaddress =
    elementStructure("connectedSubaddress", "Connected subaddress", subaddressElement);
constexpr ParameterDefinition bProtocol = structured("bProtocol", "B protocol", &bProtocolLayout);
constexpr ParameterDefinition bc = elementStructure("bc", "BC", bearerCapabilityElement);
constexpr ParameterDefinition llc = elementStructure("llc", "LLC", lowLayerCompatibilityElement);
constexpr ParameterDefinition hlc = elementStructure("hlc", "HLC", highLayerCompatibilityElement);
constexpr ParameterDefinition additionalInfo =
    structured("additionalInfo", "Additional Info", &additionalInfoLayout);
constexpr ParameterDefinition reject =
    number("reject", "Reject", word, Meaning::reject, &rejectNames);
constexpr ParameterDefinition rejectB3 = named("reject", "Reject", word, rejectB3Names);
constexpr ParameterDefinition ncpi = structured("ncpi", "NCPI", nullptr, LayoutChoice::ncpi);
constexpr ParameterDefinition dataHandle = number("dataHandle", "Data handle", word);
constexpr ParameterDefinition facilitySelector =
    named("facilitySelector", "Facility selector", word, facilitySelectorNames);

// ---- The parameters of each supplementary service ----

constexpr Layout noParameters{};

constexpr ParameterDefinition notificationMaskItems[] = {
    number("notificationMask", "notification mask", dword)};
constexpr ParameterDefinition callIdentityItems[] = {
    structured("callIdentity", "call identity", &textLayout)};
constexpr ParameterDefinition otherCallItems[] = {plci};

constexpr ParameterDefinition handle = number("handle", "handle", dword);
constexpr ParameterDefinition forwardingType = named("type", "type", word, forwardingTypeNames);
constexpr ParameterDefinition basicService = number("basicService", "basic service", word);
constexpr ParameterDefinition servedUserNumber =
    structured("servedUserNumber", "served user number");
constexpr ParameterDefinition forwardingActivateItems[] = {
    handle,
    forwardingType,
    basicService,
    servedUserNumber,
    structured("forwardedToNumber", "forwarded-to number"),
    structured("forwardedToSubaddress", "forwarded-to subaddress")};
constexpr ParameterDefinition forwardingItems[] = {handle, forwardingType, basicService,
                                                   servedUserNumber};
constexpr ParameterDefinition handleItems[] = {handle};
constexpr ParameterDefinition deflectionItems[] = {
    number("presentationAllowed", "presentation allowed", word),
    structured("deflectedToNumber", "deflected-to number"),
    structured("deflectedToSubaddress", "deflected-to subaddress")};

constexpr ParameterDefinition serviceInfo =
    number("supplementaryServiceInfo", "Supplementary Service Info", word, Meaning::info);
constexpr ParameterDefinition serviceInfoItems[] = {serviceInfo};
constexpr ParameterDefinition supportedServicesItems[] = {
    serviceInfo,
    number("supportedServices", "Supported services", dword, Meaning::bits, &supportedServiceBits)};
constexpr ParameterDefinition serviceReasonItems[] = {
    number("supplementaryServiceReason", "Supplementary Service Reason", word, Meaning::info)};

struct FunctionLayout {
    std::int64_t function;
    Layout layout;
};

constexpr std::int64_t getSupportedServices = 0;

constexpr FunctionLayout serviceRequests[] = {
    {getSupportedServices, noParameters},
    {1, notificationMaskItems},
    {2, noParameters},
    {3, noParameters},
    {4, callIdentityItems},
    {5, callIdentityItems},
    {6, otherCallItems},
    {7, otherCallItems},
    {8, otherCallItems},
    {9, forwardingActivateItems},
    {10, forwardingItems},
    {11, forwardingItems},
    {12, handleItems},
    {13, deflectionItems},
};

// Hold, retrieve, suspend, resume, transfer and conference indicate how they
// went.
constexpr FunctionLayout serviceIndications[] = {
    {2, serviceReasonItems}, {3, serviceReasonItems}, {4, serviceReasonItems},
    {5, serviceReasonItems}, {6, serviceReasonItems}, {7, serviceReasonItems},
    {8, serviceReasonItems},
};

const Layout* layoutOfFunction(std::span<const FunctionLayout> rows, std::int64_t function) {
    for (const FunctionLayout& row : rows) {
        if (row.function == function) {
            return &row.layout;
        }
    }
    return nullptr;
}

const Layout* serviceParametersLayout(const ChoiceFacts& facts) {
    switch (subcommandOf(facts.commandWord)) {
        case Subcommand::request:
            return layoutOfFunction(serviceRequests, facts.selector);
        case Subcommand::confirmation: {
            static constexpr Layout supportedServicesLayout{supportedServicesItems};
            static constexpr Layout serviceInfoLayout{serviceInfoItems};
            return facts.selector == getSupportedServices ? &supportedServicesLayout
                                                          : &serviceInfoLayout;
        }
        case Subcommand::indication:
            return layoutOfFunction(serviceIndications, facts.selector);
        default:
            return nullptr;
    }
}

constexpr ParameterDefinition facilityParameter(JsonKey key, const char* label) {
    return structured(key, label, nullptr, LayoutChoice::facilityParameter);
}

constexpr ParameterDefinition alertReqParameters[] = {plci, additionalInfo};
constexpr ParameterDefinition plciInfo[] = {plci, info};
constexpr ParameterDefinition plciOnly[] = {plci};
constexpr ParameterDefinition ncciInfo[] = {ncci, info};
constexpr ParameterDefinition ncciNcpi[] = {ncci, ncpi};
constexpr ParameterDefinition ncciOnly[] = {ncci};
constexpr ParameterDefinition connectReqParameters[] = {controller,
                                                        cipValue,
                                                        calledPartyNumber,
                                                        callingPartyNumber,
                                                        calledPartySubaddress,
                                                        callingPartySubaddress,
                                                        bProtocol,
                                                        bc,
                                                        llc,
                                                        hlc,
                                                        additionalInfo};
constexpr ParameterDefinition connectIndParameters[] = {plci,
                                                        cipValue,
                                                        calledPartyNumber,
                                                        callingPartyNumber,
                                                        calledPartySubaddress,
                                                        callingPartySubaddress,
                                                        bc,
                                                        llc,
                                                        hlc,
                                                        additionalInfo};
constexpr ParameterDefinition connectRespParameters[] = {
    plci, reject, bProtocol, connectedNumber, connectedSubaddress, llc, additionalInfo};
constexpr ParameterDefinition connectActiveIndParameters[] = {plci, connectedNumber,
                                                              connectedSubaddress, llc};
constexpr ParameterDefinition connectB3ReqParameters[] = {plci, ncpi};
constexpr ParameterDefinition connectB3RespParameters[] = {ncci, rejectB3, ncpi};
constexpr ParameterDefinition dataB3Parameters[] = {
    ncci,
    number("data32", "Data", dword),
    number("dataLength", "Data length", word, Meaning::quantity, nullptr, "bytes"),
    dataHandle,
    number("flags", "Flags", word, Meaning::bits, &dataB3FlagBits),
    {"data64", "Data64", qword, Meaning::wideHex, nullptr, nullptr, nullptr, LayoutChoice::fixed,
     true},
};
constexpr ParameterDefinition dataB3ConfParameters[] = {ncci, dataHandle, info};
constexpr ParameterDefinition dataB3RespParameters[] = {ncci, dataHandle};
constexpr ParameterDefinition disconnectB3IndParameters[] = {
    ncci, number("reasonB3", "Reason_B3", word, Meaning::info), ncpi};
constexpr ParameterDefinition disconnectReqParameters[] = {plci, additionalInfo};
constexpr ParameterDefinition disconnectIndParameters[] = {
    plci, number("reason", "Reason", word, Meaning::info)};
constexpr ParameterDefinition facilityReqParameters[] = {
    address, facilitySelector,
    facilityParameter("facilityRequestParameter", "Facility request parameter")};
constexpr ParameterDefinition facilityConfParameters[] = {
    address, info, facilitySelector,
    facilityParameter("facilityConfirmationParameter", "Facility confirmation parameter")};
constexpr ParameterDefinition facilityIndParameters[] = {
    address, facilitySelector,
    facilityParameter("facilityIndicationParameter", "Facility indication parameter")};
constexpr ParameterDefinition facilityRespParameters[] = {
    address, facilitySelector,
    facilityParameter("facilityResponseParameters", "Facility response parameters")};
constexpr ParameterDefinition infoReqParameters[] = {address, calledPartyNumber, additionalInfo};
constexpr ParameterDefinition addressInfo[] = {address, info};
constexpr ParameterDefinition infoIndParameters[] = {
    address, number("infoNumber", "Info number", word, Meaning::infoNumber),
    structured("infoElement", "Info element", nullptr, LayoutChoice::infoElement)};
constexpr ParameterDefinition addressOnly[] = {address};
constexpr ParameterDefinition listenReqParameters[] = {
    controller,
    number("infoMask", "Info mask", dword, Meaning::bits, &infoMaskBits),
    number("cipMask", "CIP mask", dword, Meaning::bits, &cipMaskBits),
    number("cipMask2", "CIP mask 2", dword),
    callingPartyNumber,
    callingPartySubaddress};
constexpr ParameterDefinition controllerInfo[] = {controller, info};
constexpr ParameterDefinition manufacturerParameters[] = {
    controller,
    number("manuId", "Manufacturer ID", dword),
    {"manufacturerPart", "manufacturer-specific part", variant, Meaning::plain, nullptr, nullptr,
     nullptr, LayoutChoice::manufacturerPart}};
constexpr ParameterDefinition selectBProtocolReqParameters[] = {plci, bProtocol};

constexpr MessageDefinition messages[] = {
    {alertReq, alertReqParameters},
    {alertConf, plciInfo},
    {connectReq, connectReqParameters},
    {connectConf, plciInfo},
    {connectInd, connectIndParameters},
    {connectResp, connectRespParameters},
    {connectActiveInd, connectActiveIndParameters},
    {connectActiveResp, plciOnly},
    {connectB3Req, connectB3ReqParameters},
    {connectB3Conf, ncciInfo},
    {connectB3Ind, ncciNcpi},
    {connectB3Resp, connectB3RespParameters},
    {connectB3ActiveInd, ncciNcpi},
    {connectB3ActiveResp, ncciOnly},
    {connectB3T90ActiveInd, ncciNcpi},
    {connectB3T90ActiveResp, ncciOnly},
    {dataB3Req, dataB3Parameters},
    {dataB3Conf, dataB3ConfParameters},
    {dataB3Ind, dataB3Parameters},
    {dataB3Resp, dataB3RespParameters},
    {disconnectB3Req, ncciNcpi},
    {disconnectB3Conf, ncciInfo},
    {disconnectB3Ind, disconnectB3IndParameters},
    {disconnectB3Resp, ncciOnly},
    {disconnectReq, disconnectReqParameters},
    {disconnectConf, plciInfo},
    {disconnectInd, disconnectIndParameters},
    {disconnectResp, plciOnly},
    {facilityReq, facilityReqParameters},
    {facilityConf, facilityConfParameters},
    {facilityInd, facilityIndParameters},
    {facilityResp, facilityRespParameters},
    {infoReq, infoReqParameters},
    {infoConf, addressInfo},
    {infoInd, infoIndParameters},
    {infoResp, addressOnly},
    {listenReq, listenReqParameters},
    {listenConf, controllerInfo},
    {manufacturerReq, manufacturerParameters},
    {manufacturerConf, manufacturerParameters},
    {manufacturerInd, manufacturerParameters},
    {manufacturerResp, manufacturerParameters},
    {resetB3Req, ncciNcpi},
    {resetB3Conf, ncciInfo},
    {resetB3Ind, ncciNcpi},
    {resetB3Resp, ncciOnly},
    {selectBProtocolReq, selectBProtocolReqParameters},
    {selectBProtocolConf, plciInfo},
};

// Every message of the vocabulary has its row, once, and every row is a
// message of the vocabulary.
constexpr bool rowsMatchTheVocabulary() {
    for (std::size_t row = 0; row < std::size(messages); ++row) {
        if (!isCapiMessage(messages[row].commandWord)) {
            return false;
        }
        for (std::size_t other = 0; other < row; ++other) {
            if (messages[other].commandWord == messages[row].commandWord) {
                return false;
            }
        }
    }
    return std::size(messages) == capiMessageCount();
}
static_assert(rowsMatchTheVocabulary(),
              "the message table needs one row for each message of capi_vocabulary.h");

const Layout* facilityLayout(const ChoiceFacts& facts) {
    const Subcommand subcommand = subcommandOf(facts.commandWord);
    if (facts.selector == FacilitySelector::dtmf) {
        if (subcommand == Subcommand::request) {
            return &dtmfRequestLayout;
        }
        // The digits received, as the contents of the indication parameter.
        return subcommand == Subcommand::indication ? &dtmfDigitsLayout : nullptr;
    }
    if (facts.selector == FacilitySelector::supplementaryServices) {
        return &supplementaryLayout;
    }
    return nullptr;
}

// The protocols that share a layout.
constexpr std::int64_t v110B1[] = {B1Protocol::v110Asynchronous, B1Protocol::v110Synchronous};
constexpr std::int64_t modemB1[] = {B1Protocol::modemNegotiated, B1Protocol::modemAsynchronous,
                                    B1Protocol::modemSynchronous};
constexpr std::int64_t hdlcB2[] = {B2Protocol::iso7776, B2Protocol::sdlc, B2Protocol::lapdX25,
                                   B2Protocol::lapdFreeSapi};
constexpr std::int64_t x25B3[] = {B3Protocol::t90, B3Protocol::iso8208, B3Protocol::x25Dce};
constexpr std::int64_t t30B3[] = {B3Protocol::t30, B3Protocol::t30Extended};

bool isOneOf(std::int64_t value, std::span<const std::int64_t> values) {
    return std::find(values.begin(), values.end(), value) != values.end();
}

}  // namespace

constexpr ParameterDefinition headerItems[] = {
    number("totalLength", "Total length", word),
    number("applId", "ApplID", word),
    number("commandWord", "Command", word),
    number("messageNumber", "Message number", word),
};
static_assert(std::size(headerItems) == headerFieldCount);
static_assert(std::all_of(std::begin(headerItems), std::end(headerItems),
                          [](const ParameterDefinition& item) { return item.type == word; }) &&
              headerFieldCount * 2 == CapiMessage::headerSize);
constexpr bool headerKeyIs(HeaderField field, std::string_view key) {
    return headerItems[static_cast<std::size_t>(field)].key.text() == key;
}
static_assert(headerKeyIs(HeaderField::totalLength, "totalLength") &&
              headerKeyIs(HeaderField::applId, "applId") &&
              headerKeyIs(HeaderField::commandWord, "commandWord") &&
              headerKeyIs(HeaderField::messageNumber, "messageNumber"));

const Layout headerLayout{headerItems};
const ParameterDefinition trailingBytes = rest("trailing", "trailing bytes", bytes);
const Layout manufacturerCommonLayout{manufacturerCommonItems};
const Layout manufacturerBytesLayout{manufacturerBytesItems};

namespace {

// Where a command word's row would be among all the words that a command
// byte and the four subcommands make; past them for any other subcommand.
constexpr std::size_t commandWordPlace(std::uint16_t commandWord) {
    std::size_t subcommand = 0;
    while (subcommand < std::size(subcommandNames) &&
           subcommandNames[subcommand].subcommand != subcommandOf(commandWord)) {
        ++subcommand;
    }
    if (subcommand == std::size(subcommandNames)) {
        return 256 * std::size(subcommandNames);
    }
    return static_cast<std::size_t>(commandOf(commandWord)) * std::size(subcommandNames) +
           subcommand;
}

// Each row's place plus one, and 0 for a word that has no row: every message
// is found without a search.
constexpr auto rowPlaces = [] {
    std::array<std::uint8_t, 256 * std::size(subcommandNames)> places{};
    for (std::size_t row = 0; row < std::size(messages); ++row) {
        places[commandWordPlace(messages[row].commandWord)] = static_cast<std::uint8_t>(row + 1);
    }
    return places;
}();
static_assert(std::size(messages) < 256);
static_assert(std::count_if(rowPlaces.begin(), rowPlaces.end(),
                            [](std::uint8_t place) { return place != 0; }) == std::size(messages));

}  // namespace

const MessageDefinition* messageDefinition(std::uint16_t commandWord) {
    const std::size_t place = commandWordPlace(commandWord);
    if (place >= rowPlaces.size() || rowPlaces[place] == 0) {
        return nullptr;
    }
    return &messages[rowPlaces[place] - 1];
}

std::span<const MessageDefinition> messageDefinitions() {
    return messages;
}

const char* selectorKeyOf(LayoutChoice choice) {
    switch (choice) {
        case LayoutChoice::b1Configuration:
            return "b1Protocol";
        case LayoutChoice::b2Configuration:
            return "b2Protocol";
        case LayoutChoice::b3Configuration:
            return "b3Protocol";
        case LayoutChoice::infoElement:
            return "infoNumber";
        case LayoutChoice::facilityParameter:
            return "facilitySelector";
        case LayoutChoice::bChannel:
            return "channel";
        case LayoutChoice::serviceParameters:
            return "function";
        case LayoutChoice::identifiedElement:
            return "identifier";
        case LayoutChoice::fixed:
        case LayoutChoice::ncpi:
        case LayoutChoice::manufacturerPart:
        case LayoutChoice::components:
            return nullptr;
    }
    return nullptr;
}

const Layout* chosenLayout(LayoutChoice choice, const ChoiceFacts& facts) {
    const std::int64_t selector = facts.selector;
    switch (choice) {
        case LayoutChoice::b1Configuration:
            return isOneOf(selector, v110B1)     ? &v110Layout
                   : selector == B1Protocol::t30 ? &t30B1Layout
                   : isOneOf(selector, modemB1)  ? &modemB1Layout
                                                 : nullptr;
        case LayoutChoice::b2Configuration:
            return isOneOf(selector, hdlcB2) ? &hdlcB2Layout : nullptr;
        case LayoutChoice::b3Configuration:
            return isOneOf(selector, x25B3)      ? &x25B3Layout
                   : selector == B3Protocol::t30 ? &t30B3Layout
                                                 : nullptr;
        case LayoutChoice::ncpi:
            return isOneOf(facts.b3InForce, x25B3)        ? &x25NcpiLayout
                   : isOneOf(facts.b3InForce, t30B3)      ? &t30NcpiLayout
                   : facts.b3InForce == B3Protocol::modem ? &modemNcpiLayout
                                                          : nullptr;
        case LayoutChoice::infoElement:
            return selector == InfoNumber::chargeInUnits ? &chargeUnitsLayout : nullptr;
        case LayoutChoice::facilityParameter:
            return facilityLayout(facts);
        case LayoutChoice::bChannel:
            return selector == 3   ? &channelAllocationLayout
                   : selector == 4 ? &channelIdentificationLayout
                                   : nullptr;
        case LayoutChoice::serviceParameters:
            return serviceParametersLayout(facts);
        case LayoutChoice::fixed:
        case LayoutChoice::manufacturerPart:
        case LayoutChoice::identifiedElement:
        case LayoutChoice::components:
            return nullptr;
    }
    return nullptr;
}

}  // namespace ambertap
