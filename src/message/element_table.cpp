#include "element_table.h"

#include <array>
#include <cstddef>

#include "capi_vocabulary.h"
#include "element_names.h"

namespace ambertap {

namespace {

using enum ParameterType;

constexpr ParameterDefinition named(JsonKey key, const char* label, const ValueNames& names) {
    return {key, label, byte, Meaning::named, &names};
}
constexpr ParameterDefinition plain(JsonKey key, const char* label) {
    return {key, label, byte};
}
// A number that is a count, shown in decimal too.
constexpr ParameterDefinition counted(JsonKey key, const char* label) {
    return {key, label, byte, Meaning::quantity};
}
constexpr ParameterDefinition further(JsonKey key, const char* label) {
    return {key, label, bytes};
}

// ---- Fields that more than one element has ----

constexpr ParameterDefinition codingStandard =
    named("codingStandard", "coding standard", codingStandardNames);
constexpr ParameterDefinition location = named("location", "location", locationNames);
constexpr ParameterDefinition typeOfNumber =
    named("typeOfNumber", "type of number", typeOfNumberNames);
constexpr ParameterDefinition numberingPlan =
    named("numberingPlan", "numbering plan", numberingPlanNames);
constexpr ParameterDefinition presentation =
    named("presentation", "presentation", presentationNames);
constexpr ParameterDefinition screening = named("screening", "screening", screeningNames);

constexpr ElementRest digitsRest[] = {{{"digits", "digits", text}}};
constexpr ElementRest characters[] = {{{"text", "text", text}}};

constexpr OctetGroup octet3[] = {{"3"}};

// ---- Party numbers ----

constexpr ElementField numberOctet3[] = {
    {"3", 0x70, typeOfNumber},
    {"3", 0x0f, numberingPlan},
};
constexpr ElementDefinition calledNumber{octet3, numberOctet3, digitsRest};

constexpr ElementField numberOctets3And3a[] = {
    {"3", 0x70, typeOfNumber},
    {"3", 0x0f, numberingPlan},
    {"3a", 0x60, presentation},
    {"3a", 0x03, screening},
};

// A CAPI structure always gives octet 3a, whatever octet 3's extension bit.
constexpr OctetGroup octets3And3aAlways[] = {{"3"}, {"3a"}};
constexpr ElementDefinition structureCallingNumber{octets3And3aAlways, numberOctets3And3a,
                                                   digitsRest};

constexpr ParameterDefinition octets3b = further("octets3b", "octets 3b on");
constexpr OctetGroup extendedNumberOctet3[] = {{"3", true, {}, &octets3b}};
constexpr ElementDefinition extendedNumber{extendedNumberOctet3, numberOctets3And3a, digitsRest};

constexpr ElementField redirectingNumberFields[] = {
    {"3", 0x70, typeOfNumber},
    {"3", 0x0f, numberingPlan},
    {"3a", 0x60, presentation},
    {"3a", 0x03, screening},
    {"3b", 0x0f, named("reason", "reason for redirection", redirectionReasonNames)},
};
constexpr ParameterDefinition octets3c = further("octets3c", "octets 3c on");
constexpr OctetGroup redirectingNumberOctet3[] = {{"3", true, {}, &octets3c}};
constexpr ElementDefinition redirectingNumber{redirectingNumberOctet3, redirectingNumberFields,
                                              digitsRest};

// ---- Subaddresses ----

constexpr ElementField subaddressFields[] = {
    {"3", 0x70, named("typeOfSubaddress", "type of subaddress", subaddressTypeNames)},
    {"3", 0x08, plain("oddEven", "odd/even indicator")},
};
constexpr ElementRest subaddressInformation[] = {
    {{"information", "subaddress information", bytes}}};
constexpr ElementDefinition subaddress{octet3, subaddressFields, subaddressInformation};

// ---- Bearer capability and low layer compatibility ----

constexpr ParameterDefinition octets3a = further("octets3a", "octets 3a on");
constexpr ParameterDefinition octets4a = further("octets4a", "octets 4a on");
constexpr ParameterDefinition octets5b = further("octets5b", "octets 5b on");
constexpr ParameterDefinition octets6a = further("octets6a", "octets 6a on");
constexpr ParameterDefinition octets7a = further("octets7a", "octets 7a on");

// The layer octets tell themselves apart by bits 7-6.
constexpr ElementCondition layer1[] = {{nullptr, 0x60, 0x20}};
constexpr ElementCondition layer2[] = {{nullptr, 0x60, 0x40}};
constexpr ElementCondition layer3[] = {{nullptr, 0x60, 0x60}};
constexpr std::uint8_t multirate = 0x18;
constexpr ElementCondition multirateOnly[] = {{"transferRate", 0x1f, multirate}};

constexpr OctetGroup bearerGroups[] = {
    {"3", true, {}, &octets3a},     {"4", true, {}, &octets4a},     {"4.1", false, multirateOnly},
    {"5", true, layer1, &octets5b}, {"6", true, layer2, &octets6a}, {"7", true, layer3, &octets7a},
};
constexpr OctetGroup lowLayerGroups[] = {
    {"3", true, {}, &octets3b},     {"4", true, {}, &octets4a},     {"4.1", false, multirateOnly},
    {"5", true, layer1, &octets5b}, {"6", true, layer2, &octets6a}, {"7", true, layer3, &octets7a},
};

constexpr ElementField capability{
    "3", 0x1f,
    named("informationTransferCapability", "information transfer capability",
          transferCapabilityNames)};
constexpr ElementField transferMode{"4", 0x60,
                                    named("transferMode", "transfer mode", transferModeNames)};
constexpr ElementField transferRate{
    "4", 0x1f, named("transferRate", "information transfer rate", transferRateNames)};
constexpr ElementField rateMultiplier{"4.1", 0x7f, counted("rateMultiplier", "rate multiplier")};
constexpr ElementField layer1Protocol{
    "5", 0x1f, named("layer1Protocol", "user information layer 1 protocol", layer1ProtocolNames)};
constexpr ElementField asynchronous{"5a", 0x40, plain("asynchronous", "synchronous/asynchronous")};
constexpr ElementField userRate{"5a", 0x1f, named("userRate", "user rate", userRateNames)};

constexpr ElementField bearerFields[] = {
    {"3", 0x60, codingStandard},
    capability,
    transferMode,
    transferRate,
    rateMultiplier,
    layer1Protocol,
    asynchronous,
    userRate,
    {"6", 0x1f,
     named("layer2Protocol", "user information layer 2 protocol", bearerLayer2ProtocolNames)},
    {"7", 0x1f,
     named("layer3Protocol", "user information layer 3 protocol", bearerLayer3ProtocolNames)},
};
constexpr ElementDefinition bearerCapability{bearerGroups, bearerFields, {}};

constexpr ElementField lowLayerFields[] = {
    {"3", 0x60, codingStandard},
    capability,
    {"3a", 0x40, plain("negotiation", "negotiation indicator")},
    transferMode,
    transferRate,
    rateMultiplier,
    layer1Protocol,
    asynchronous,
    userRate,
    {"6", 0x1f,
     named("layer2Protocol", "user information layer 2 protocol", lowLayerLayer2ProtocolNames)},
    {"7", 0x1f,
     named("layer3Protocol", "user information layer 3 protocol", lowLayerLayer3ProtocolNames)},
};
constexpr ElementDefinition lowLayerCompatibility{lowLayerGroups, lowLayerFields, {}};

// ---- High layer compatibility ----

constexpr ParameterDefinition octets4b = further("octets4b", "octets 4b on");
constexpr OctetGroup highLayerGroups[] = {{"3", true, {}, &octets3a}, {"4", true, {}, &octets4b}};
constexpr ElementField highLayerFields[] = {
    {"3", 0x60, codingStandard},
    {"3", 0x1c, plain("interpretation", "interpretation")},
    {"3", 0x03, named("presentationMethod", "presentation method", presentationMethodNames)},
    {"4", 0x7f,
     named("characteristics", "high layer characteristics identification",
           highLayerCharacteristicsNames)},
    {"4a", 0x7f,
     named("extendedCharacteristics", "extended high layer characteristics identification",
           highLayerCharacteristicsNames)},
};
constexpr ElementDefinition highLayerCompatibility{highLayerGroups, highLayerFields, {}};

// ---- Cause and progress indicator ----

constexpr OctetGroup causeGroups[] = {{"3", true, {}, &octets3b}, {"4"}};
constexpr ElementField causeFields[] = {
    {"3", 0x60, codingStandard},
    {"3", 0x0f, location},
    {"3a", 0x7f, plain("recommendation", "recommendation")},
    {"4", 0x7f, {"cause", "cause value", byte, Meaning::cause}},
};
constexpr ElementRest diagnostics[] = {{{"diagnostics", "diagnostics", bytes}}};
constexpr ElementDefinition causeElement{causeGroups, causeFields, diagnostics};

constexpr OctetGroup progressGroups[] = {{"3"}, {"4"}};
constexpr ElementField progressFields[] = {
    {"3", 0x60, codingStandard},
    {"3", 0x0f, location},
    {"4", 0x7f, named("description", "progress description", progressDescriptionNames)},
};
constexpr ElementDefinition progressIndicator{progressGroups, progressFields, {}};

// ---- Channel identification ----

constexpr std::uint8_t basicInterface = 0;
constexpr std::uint8_t otherInterface = 1;
constexpr std::uint8_t asIndicated = 1;
constexpr ElementCondition onBasicInterface[] = {{"interfaceType", 0x01, basicInterface}};
constexpr ElementCondition onOtherInterface[] = {{"interfaceType", 0x01, otherInterface}};
constexpr ElementCondition interfaceIdentified[] = {{"interfaceIdentifierPresent", 0x01, 1}};
constexpr ElementCondition channelIndicated[] = {{"interfaceType", 0x01, otherInterface},
                                                 {"channelSelection", 0x03, asIndicated}};
constexpr ElementCondition channelNumbered[] = {{"numberMap", 0x01, 0}};

constexpr ParameterDefinition interfaceIdentifier =
    further("interfaceIdentifier", "interface identifier");
constexpr ParameterDefinition furtherChannelNumbers =
    further("furtherChannelNumbers", "further channel numbers");
constexpr OctetGroup channelGroups[] = {
    {"3"},
    {"3.1", true, interfaceIdentified, &interfaceIdentifier},
    {"3.2", false, channelIndicated},
    {"3.3", true, channelNumbered, &furtherChannelNumbers},
};
constexpr ElementField channelFields[] = {
    {"3", 0x40, plain("interfaceIdentifierPresent", "interface identifier present")},
    {"3", 0x20, named("interfaceType", "interface type", interfaceTypeNames)},
    {"3", 0x08, plain("exclusive", "preferred/exclusive")},
    {"3", 0x04, plain("dChannel", "D-channel indicator")},
    {"3", 0x03,
     named("channelSelection", "information channel selection", basicChannelSelectionNames),
     onBasicInterface},
    {"3", 0x03,
     named("channelSelection", "information channel selection", otherChannelSelectionNames),
     onOtherInterface},
    {"3.2", 0x60, codingStandard},
    {"3.2", 0x10, plain("numberMap", "number/map")},
    {"3.2", 0x0f, named("channelType", "channel type", channelTypeNames)},
    {"3.3", 0x7f, plain("channelNumber", "channel number")},
};
constexpr ElementDefinition channelIdentification{channelGroups, channelFields, {}};

// ---- Characters, date and time, signal, notification ----

constexpr ElementDefinition characterElement{{}, {}, characters};

constexpr OctetGroup dateTimeGroups[] = {{"3"}, {"4"}, {"5"}, {"6"}, {"7"}, {"8"}};
constexpr ElementField dateTimeFields[] = {
    {"3", 0xff, counted("year", "year")},     {"4", 0xff, counted("month", "month")},
    {"5", 0xff, counted("day", "day")},       {"6", 0xff, counted("hour", "hour")},
    {"7", 0xff, counted("minute", "minute")}, {"8", 0xff, counted("second", "second")},
};
constexpr ElementDefinition dateTime{dateTimeGroups, dateTimeFields, {}};

constexpr ElementField signalFields[] = {{"3", 0xff, named("signal", "signal value", signalNames)}};
constexpr ElementDefinition signal{octet3, signalFields, {}};

constexpr ElementField notificationFields[] = {
    {"3", 0x7f, named("notification", "notification description", notificationNames)}};
constexpr ElementDefinition notificationIndicator{octet3, notificationFields, {}};

// ---- User-user and facility ----

constexpr std::uint8_t ia5Characters = 4;
constexpr ElementCondition ia5Only[] = {{"protocolDiscriminator", 0xff, ia5Characters}};
constexpr ElementField userUserFields[] = {
    {"3", 0xff,
     named("protocolDiscriminator", "protocol discriminator", protocolDiscriminatorNames)}};
constexpr ElementRest userInformation[] = {
    {{"information", "user information", bytes}},
    {{"text", "text", text}, ia5Only},
};
constexpr ElementDefinition userUser{octet3, userUserFields, userInformation};

constexpr ElementField facilityFields[] = {
    {"3", 0x1f, named("protocolProfile", "protocol profile", protocolProfileNames)}};
constexpr ElementRest facilityComponents[] = {
    {{"components", "components", list, Meaning::plain, nullptr, nullptr, nullptr,
      LayoutChoice::components}}};
constexpr ElementDefinition facility{octet3, facilityFields, facilityComponents};

// ---- Elements by identifier ----

struct IdentifiedElement {
    std::uint8_t identifier;
    const char* name;
    const ElementDefinition* element;
};

constexpr IdentifiedElement identifiedElements[] = {
    {0x08, "cause", &causeElement},
    {0x18, "channel identification", &channelIdentification},
    {0x1c, "facility", &facility},
    {0x1e, "progress indicator", &progressIndicator},
    {0x27, "notification indicator", &notificationIndicator},
    {0x28, "display", &characterElement},
    {0x29, "date and time", &dateTime},
    {0x2c, "keypad facility", &characterElement},
    {0x34, "signal", &signal},
    {0x6c, "calling party number", &extendedNumber},
    {0x70, "called party number", &calledNumber},
    {0x74, "redirecting number", &redirectingNumber},
    {0x76, "redirection number", &extendedNumber},
    {0x7d, "high layer compatibility", &highLayerCompatibility},
    {0x7e, "user-user", &userUser},
};

constexpr auto identifierNames = [] {
    std::array<ValueName, std::size(identifiedElements)> names{};
    for (std::size_t i = 0; i < names.size(); ++i) {
        names[i] = {identifiedElements[i].identifier, identifiedElements[i].name};
    }
    return names;
}();

}  // namespace

const ElementDefinition calledPartyNumberElement = calledNumber;
const ElementDefinition structureCallingNumberElement = structureCallingNumber;
const ElementDefinition subaddressElement = subaddress;
const ElementDefinition bearerCapabilityElement = bearerCapability;
const ElementDefinition lowLayerCompatibilityElement = lowLayerCompatibility;
const ElementDefinition highLayerCompatibilityElement = highLayerCompatibility;
const ElementDefinition keypadFacilityElement = characterElement;
const ElementDefinition userUserElement = userUser;
const ElementDefinition channelIdentificationElement = channelIdentification;

const ValueNames elementIdentifierNames{identifierNames};

const ElementDefinition* elementOfIdentifier(std::uint32_t identifier) {
    for (const IdentifiedElement& row : identifiedElements) {
        if (row.identifier == identifier) {
            return row.element;
        }
    }
    return nullptr;
}

const ElementDefinition* elementOfInfoNumber(std::uint32_t infoNumber) {
    // Bits 15 and 14 announce a message type or a charge; an element's Info
    // number is its identifier alone.
    return (infoNumber & ~InfoNumber::elementMask) == 0 ? elementOfIdentifier(infoNumber) : nullptr;
}

const ParameterDefinition componentType{"type", "component type", byte, Meaning::named,
                                        &componentTypeNames};
const ParameterDefinition componentInvokeId{"invokeId", "invoke ID", word};
const ParameterDefinition componentOperation{"operation", "operation value", word};
const ParameterDefinition facilityComponent{"component", "component", group};

}  // namespace ambertap
