#include "message_table.h"

#include <algorithm>

namespace ambertap {

namespace {

using enum ParameterType;

constexpr ParameterSpec number(const char* key, const char* label, ParameterType type,
                               Meaning meaning = Meaning::plain, const ValueNames* names = nullptr,
                               const char* unit = nullptr) {
    return {key, label, type, meaning, names, unit};
}

constexpr ParameterSpec named(const char* key, const char* label, ParameterType type,
                              const ValueNames& names) {
    return number(key, label, type, Meaning::named, &names);
}

constexpr ParameterSpec structured(const char* key, const char* label,
                                   const Layout* layout = nullptr,
                                   LayoutChoice choice = LayoutChoice::fixed,
                                   bool optional = false) {
    return {key,    label,   ParameterType::structure, Meaning::plain, nullptr, nullptr, layout,
            choice, optional};
}

constexpr ParameterSpec rest(const char* key, const char* label, ParameterType type) {
    return {key, label, type};
}

// ---- Structures inside structures ----

constexpr ParameterSpec typeOfNumber =
    number("typeOfNumber", "type of number and numbering plan", byte);
constexpr ParameterSpec digits = rest("digits", "digits", text);

constexpr ParameterSpec calledNumberItems[] = {typeOfNumber, digits};
constexpr Layout calledNumberLayout{calledNumberItems};

constexpr ParameterSpec callingNumberItems[] = {
    typeOfNumber, number("presentation", "presentation and screening indicator", byte), digits};
constexpr Layout callingNumberLayout{callingNumberItems};

constexpr ParameterSpec subaddressItems[] = {number("typeOfSubaddress", "type of subaddress", byte),
                                             rest("information", "subaddress information", bytes)};
constexpr Layout subaddressLayout{subaddressItems};

constexpr ParameterSpec globalConfigurationItems[] = {
    named("bChannelOperation", "B channel operation", word, bChannelOperationNames)};
constexpr Layout globalConfigurationLayout{globalConfigurationItems};

constexpr ParameterSpec bProtocolItems[] = {
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

constexpr ParameterSpec bChannelItems[] = {named("channel", "Channel", word, channelNames),
                                           rest("description", "channel description", bytes)};
constexpr Layout bChannelLayout{bChannelItems};

constexpr ParameterSpec sendingCompleteItems[] = {
    named("mode", "mode", word, sendingCompleteNames)};
constexpr Layout sendingCompleteLayout{sendingCompleteItems};

constexpr ParameterSpec additionalInfoItems[] = {
    structured("bChannelInformation", "B channel information", &bChannelLayout),
    structured("keypadFacility", "Keypad facility"),
    structured("userUserData", "User-user data"),
    structured("facilityDataArray", "Facility data array"),
    structured("sendingComplete", "Sending complete", &sendingCompleteLayout, LayoutChoice::fixed,
               true),
};
constexpr Layout additionalInfoLayout{additionalInfoItems};

// ---- Configurations and NCPI of the common protocols ----

constexpr ParameterSpec rate = number("rate", "rate", word, Meaning::quantity, nullptr, "bit/s");
constexpr ParameterSpec bitsPerCharacter = number("bitsPerCharacter", "bits per character", word);
constexpr ParameterSpec parity = named("parity", "parity", word, parityNames);
constexpr ParameterSpec stopBits = named("stopBits", "stop bits", word, stopBitNames);

constexpr ParameterSpec v110Items[] = {rate, bitsPerCharacter, parity, stopBits};
constexpr Layout v110Layout{v110Items};

constexpr ParameterSpec t30B1Items[] = {
    rate, number("transmitLevel", "transmit level", word, Meaning::signedQuantity, nullptr, "dB"),
    number("reserved1", "reserved", word), number("reserved2", "reserved", word)};
constexpr Layout t30B1Layout{t30B1Items};

constexpr ParameterSpec modemB1Items[] = {rate,
                                          bitsPerCharacter,
                                          parity,
                                          stopBits,
                                          number("options", "options", word),
                                          number("speedNegotiation", "speed negotiation", word)};
constexpr Layout modemB1Layout{modemB1Items};

constexpr ParameterSpec hdlcB2Items[] = {
    number("addressA", "address A", byte),
    number("addressB", "address B", byte),
    number("moduloMode", "modulo mode", byte),
    number("windowSize", "window size", byte),
    structured("xid", "XID"),
};
constexpr Layout hdlcB2Layout{hdlcB2Items};

constexpr ParameterSpec x25B3Items[] = {
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

constexpr ParameterSpec t30B3Items[] = {
    named("resolution", "resolution", word, resolutionNames),
    number("format", "format", word),
    structured("stationId", "station ID"),
    structured("headLine", "head line"),
};
constexpr Layout t30B3Layout{t30B3Items};

constexpr ParameterSpec x25NcpiItems[] = {
    number("flags", "flags", byte),
    number("group", "group", byte),
    number("channel", "channel", byte),
    rest("contents", "contents (X.25 facilities and user data)", bytes),
};
constexpr Layout x25NcpiLayout{x25NcpiItems};

constexpr ParameterSpec t30NcpiItems[] = {
    rate,
    number("options", "options", word),
    number("format", "format", word),
    number("pages", "pages", word, Meaning::quantity, nullptr, "pages"),
    structured("receiveId", "receive ID"),
};
constexpr Layout t30NcpiLayout{t30NcpiItems};

constexpr ParameterSpec modemNcpiItems[] = {rate, number("protocol", "protocol", word)};
constexpr Layout modemNcpiLayout{modemNcpiItems};

// ---- Info elements and facilities ----

constexpr ParameterSpec causeElementItems[] = {
    number("location", "coding standard and location", byte),
    number("cause", "cause value", byte, Meaning::cause),
};
constexpr Layout causeElementLayout{causeElementItems};

constexpr ParameterSpec chargeUnitsItems[] = {
    number("chargeUnits", "charge", dword, Meaning::quantity, nullptr, "units")};
constexpr Layout chargeUnitsLayout{chargeUnitsItems};

constexpr ParameterSpec dtmfDigitsItems[] = {digits};
constexpr Layout dtmfDigitsLayout{dtmfDigitsItems};

constexpr ParameterSpec dtmfRequestItems[] = {
    named("function", "Function", word, dtmfFunctionNames),
    number("toneDuration", "tone duration", word, Meaning::quantity, nullptr, "ms"),
    number("gapDuration", "gap duration", word, Meaning::quantity, nullptr, "ms"),
    structured("dtmfDigits", "DTMF digits", &dtmfDigitsLayout),
    structured("dtmfCharacteristics", "DTMF characteristics"),
};
constexpr Layout dtmfRequestLayout{dtmfRequestItems};

constexpr ParameterSpec supplementaryFunction =
    named("function", "Function", word, supplementaryServiceFunctionNames);
constexpr ParameterSpec serviceParameters = structured("serviceParameters", "parameters");

constexpr ParameterSpec supplementaryItems[] = {supplementaryFunction, serviceParameters};
constexpr Layout supplementaryLayout{supplementaryItems};

constexpr ParameterSpec supplementaryConfirmationItems[] = {
    number("supplementaryServiceInfo", "Supplementary Service Info", word, Meaning::info),
    supplementaryFunction, serviceParameters};
constexpr Layout supplementaryConfirmationLayout{supplementaryConfirmationItems};

constexpr ParameterSpec manufacturerCommonItems[] = {
    number("class", "Class", dword),
    number("function", "Function", dword),
    structured("manuData", "Manufacturer data"),
};
constexpr ParameterSpec manufacturerBytesItems[] = {
    rest("manufacturerSpecific", "manufacturer-specific part", bytes)};

// ---- The parameters of the messages ----

constexpr ParameterSpec controller = number("controller", "Controller", dword, Meaning::address);
constexpr ParameterSpec plci = number("plci", "PLCI", dword, Meaning::address);
constexpr ParameterSpec ncci = number("ncci", "NCCI", dword, Meaning::address);
constexpr ParameterSpec address = number("address", "Address", dword, Meaning::address);

constexpr ParameterSpec info = number("info", "Info", word, Meaning::info);
constexpr ParameterSpec cipValue = named("cipValue", "CIP Value", word, cipValueNames);
constexpr ParameterSpec calledPartyNumber =
    structured("calledPartyNumber", "Called party number", &calledNumberLayout);
constexpr ParameterSpec callingPartyNumber =
    structured("callingPartyNumber", "Calling party number", &callingNumberLayout);
constexpr ParameterSpec calledPartySubaddress =
    structured("calledPartySubaddress", "Called party subaddress", &subaddressLayout);
constexpr ParameterSpec callingPartySubaddress =
    structured("callingPartySubaddress", "Calling party subaddress", &subaddressLayout);
constexpr ParameterSpec connectedNumber =
    structured("connectedNumber", "Connected number", &callingNumberLayout);
constexpr ParameterSpec connectedSubaddress =
    structured("connectedSubaddress", "Connected subaddress", &subaddressLayout);
constexpr ParameterSpec bProtocol = structured("bProtocol", "B protocol", &bProtocolLayout);
constexpr ParameterSpec bc = structured("bc", "BC");
constexpr ParameterSpec llc = structured("llc", "LLC");
constexpr ParameterSpec hlc = structured("hlc", "HLC");
constexpr ParameterSpec additionalInfo =
    structured("additionalInfo", "Additional Info", &additionalInfoLayout);
constexpr ParameterSpec reject = number("reject", "Reject", word, Meaning::reject, &rejectNames);
constexpr ParameterSpec rejectB3 = named("reject", "Reject", word, rejectB3Names);
constexpr ParameterSpec ncpi = structured("ncpi", "NCPI", nullptr, LayoutChoice::ncpi);
constexpr ParameterSpec dataHandle = number("dataHandle", "Data handle", word);
constexpr ParameterSpec facilitySelector =
    named("facilitySelector", "Facility selector", word, facilitySelectorNames);

constexpr ParameterSpec facilityParameter(const char* key, const char* label) {
    return structured(key, label, nullptr, LayoutChoice::facilityParameter);
}

constexpr ParameterSpec alertReq[] = {plci, additionalInfo};
constexpr ParameterSpec plciInfo[] = {plci, info};
constexpr ParameterSpec plciOnly[] = {plci};
constexpr ParameterSpec ncciInfo[] = {ncci, info};
constexpr ParameterSpec ncciNcpi[] = {ncci, ncpi};
constexpr ParameterSpec ncciOnly[] = {ncci};
constexpr ParameterSpec connectReq[] = {controller,
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
constexpr ParameterSpec connectInd[] = {plci,
                                        cipValue,
                                        calledPartyNumber,
                                        callingPartyNumber,
                                        calledPartySubaddress,
                                        callingPartySubaddress,
                                        bc,
                                        llc,
                                        hlc,
                                        additionalInfo};
constexpr ParameterSpec connectResp[] = {
    plci, reject, bProtocol, connectedNumber, connectedSubaddress, llc, additionalInfo};
constexpr ParameterSpec connectActiveInd[] = {plci, connectedNumber, connectedSubaddress, llc};
constexpr ParameterSpec connectB3Req[] = {plci, ncpi};
constexpr ParameterSpec connectB3Resp[] = {ncci, rejectB3, ncpi};
constexpr ParameterSpec dataB3[] = {
    ncci,
    number("data32", "Data", dword),
    number("dataLength", "Data length", word, Meaning::quantity, nullptr, "bytes"),
    dataHandle,
    number("flags", "Flags", word, Meaning::bits, &dataB3FlagBits),
    {"data64", "Data64", qword, Meaning::wideHex, nullptr, nullptr, nullptr, LayoutChoice::fixed,
     true},
};
constexpr ParameterSpec dataB3Conf[] = {ncci, dataHandle, info};
constexpr ParameterSpec dataB3Resp[] = {ncci, dataHandle};
constexpr ParameterSpec disconnectB3Ind[] = {
    ncci, number("reasonB3", "Reason_B3", word, Meaning::info), ncpi};
constexpr ParameterSpec disconnectReq[] = {plci, additionalInfo};
constexpr ParameterSpec disconnectInd[] = {plci, number("reason", "Reason", word, Meaning::info)};
constexpr ParameterSpec facilityReq[] = {
    address, facilitySelector,
    facilityParameter("facilityRequestParameter", "Facility request parameter")};
constexpr ParameterSpec facilityConf[] = {
    address, info, facilitySelector,
    facilityParameter("facilityConfirmationParameter", "Facility confirmation parameter")};
constexpr ParameterSpec facilityInd[] = {
    address, facilitySelector,
    facilityParameter("facilityIndicationParameter", "Facility indication parameter")};
constexpr ParameterSpec facilityResp[] = {
    address, facilitySelector,
    facilityParameter("facilityResponseParameters", "Facility response parameters")};
constexpr ParameterSpec infoReq[] = {address, calledPartyNumber, additionalInfo};
constexpr ParameterSpec addressInfo[] = {address, info};
constexpr ParameterSpec infoInd[] = {
    address, number("infoNumber", "Info number", word, Meaning::infoNumber),
    structured("infoElement", "Info element", nullptr, LayoutChoice::infoElement)};
constexpr ParameterSpec addressOnly[] = {address};
constexpr ParameterSpec listenReq[] = {
    controller,
    number("infoMask", "Info mask", dword, Meaning::bits, &infoMaskBits),
    number("cipMask", "CIP mask", dword, Meaning::bits, &cipMaskBits),
    number("cipMask2", "CIP mask 2", dword),
    callingPartyNumber,
    callingPartySubaddress};
constexpr ParameterSpec controllerInfo[] = {controller, info};
constexpr ParameterSpec manufacturer[] = {
    controller,
    number("manuId", "Manufacturer ID", dword),
    {"manufacturerPart", "manufacturer-specific part", variant, Meaning::plain, nullptr, nullptr,
     nullptr, LayoutChoice::manufacturerPart}};
constexpr ParameterSpec selectBProtocolReq[] = {plci, bProtocol};

constexpr MessageSpec messages[] = {
    {0x8001, alertReq},
    {0x8101, plciInfo},
    {0x8002, connectReq},
    {0x8102, plciInfo},
    {0x8202, connectInd},
    {0x8302, connectResp},
    {0x8203, connectActiveInd},
    {0x8303, plciOnly},
    {0x8082, connectB3Req},
    {0x8182, ncciInfo},
    {0x8282, ncciNcpi},
    {0x8382, connectB3Resp},
    {0x8283, ncciNcpi},
    {0x8383, ncciOnly},
    {0x8288, ncciNcpi},
    {0x8388, ncciOnly},
    {0x8086, dataB3},
    {0x8186, dataB3Conf},
    {0x8286, dataB3},
    {0x8386, dataB3Resp},
    {0x8084, ncciNcpi},
    {0x8184, ncciInfo},
    {0x8284, disconnectB3Ind},
    {0x8384, ncciOnly},
    {0x8004, disconnectReq},
    {0x8104, plciInfo},
    {0x8204, disconnectInd},
    {0x8304, plciOnly},
    {0x8080, facilityReq},
    {0x8180, facilityConf},
    {0x8280, facilityInd},
    {0x8380, facilityResp},
    {0x8008, infoReq},
    {0x8108, addressInfo},
    {0x8208, infoInd},
    {0x8308, addressOnly},
    {0x8005, listenReq},
    {0x8105, controllerInfo},
    {0x80ff, manufacturer},
    {0x81ff, manufacturer},
    {0x82ff, manufacturer},
    {0x83ff, manufacturer},
    {0x8087, ncciNcpi},
    {0x8187, ncciInfo},
    {0x8287, ncciNcpi},
    {0x8387, ncciOnly},
    {0x8041, selectBProtocolReq},
    {0x8141, plciInfo},
};

constexpr std::uint16_t subcommandOf(std::uint16_t commandWord) {
    return commandWord & 0xff00;
}

const Layout* facilityLayout(const ChoiceFacts& facts) {
    constexpr std::int64_t dtmf = 1;
    constexpr std::int64_t supplementaryServices = 3;
    const std::uint16_t subcommand = subcommandOf(facts.commandWord);
    if (facts.selector == dtmf) {
        if (subcommand == 0x8000) {
            return &dtmfRequestLayout;
        }
        // The digits received, as the contents of the indication parameter.
        return subcommand == 0x8200 ? &dtmfDigitsLayout : nullptr;
    }
    if (facts.selector == supplementaryServices) {
        return subcommand == 0x8100 ? &supplementaryConfirmationLayout : &supplementaryLayout;
    }
    return nullptr;
}

bool isOneOf(std::int64_t value, std::initializer_list<std::int64_t> values) {
    return std::find(values.begin(), values.end(), value) != values.end();
}

}  // namespace

constexpr ParameterSpec headerItems[] = {
    number("totalLength", "Total length", word),
    number("applId", "ApplID", word),
    number("commandWord", "Command", word),
    number("messageNumber", "Message number", word),
};

const Layout headerLayout{headerItems};
const ParameterSpec trailingBytes = rest("trailing", "trailing bytes", bytes);
const Layout manufacturerCommonLayout{manufacturerCommonItems};
const Layout manufacturerBytesLayout{manufacturerBytesItems};

const MessageSpec* messageSpec(std::uint16_t commandWord) {
    for (const MessageSpec& spec : messages) {
        if (spec.commandWord == commandWord) {
            return &spec;
        }
    }
    return nullptr;
}

std::span<const MessageSpec> messageSpecs() {
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
        case LayoutChoice::fixed:
        case LayoutChoice::ncpi:
        case LayoutChoice::manufacturerPart:
            return nullptr;
    }
    return nullptr;
}

const Layout* chosenLayout(LayoutChoice choice, const ChoiceFacts& facts) {
    const std::int64_t selector = facts.selector;
    switch (choice) {
        case LayoutChoice::b1Configuration:
            return isOneOf(selector, {2, 3})      ? &v110Layout
                   : selector == 4                ? &t30B1Layout
                   : isOneOf(selector, {7, 8, 9}) ? &modemB1Layout
                                                  : nullptr;
        case LayoutChoice::b2Configuration:
            return isOneOf(selector, {0, 2, 3, 12}) ? &hdlcB2Layout : nullptr;
        case LayoutChoice::b3Configuration:
            return isOneOf(selector, {1, 2, 3}) ? &x25B3Layout
                   : selector == 4              ? &t30B3Layout
                                                : nullptr;
        case LayoutChoice::ncpi:
            return isOneOf(facts.b3InForce, {1, 2, 3}) ? &x25NcpiLayout
                   : isOneOf(facts.b3InForce, {4, 5})  ? &t30NcpiLayout
                   : facts.b3InForce == 7              ? &modemNcpiLayout
                                                       : nullptr;
        case LayoutChoice::infoElement:
            return selector == 0x0008   ? &causeElementLayout
                   : selector == 0x4000 ? &chargeUnitsLayout
                                        : nullptr;
        case LayoutChoice::facilityParameter:
            return facilityLayout(facts);
        case LayoutChoice::fixed:
        case LayoutChoice::manufacturerPart:
            return nullptr;
    }
    return nullptr;
}

}  // namespace ambertap
