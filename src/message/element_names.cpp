#include "element_names.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace ambertap {

namespace {

constexpr ValueName codingStandards[] = {
    {0, "ITU-T"}, {1, "ISO/IEC"}, {2, "national"}, {3, "network-specific"}};

constexpr ValueName typesOfNumber[] = {
    {0, "unknown"},          {1, "international"}, {2, "national"},
    {3, "network-specific"}, {4, "subscriber"},    {6, "abbreviated"},
};

constexpr ValueName numberingPlans[] = {
    {0, "unknown"},      {1, "ISDN/telephony (E.164)"}, {3, "data (X.121)"},
    {4, "telex (F.69)"}, {8, "national standard"},      {9, "private"},
};

constexpr ValueName presentations[] = {
    {0, "allowed"}, {1, "restricted"}, {2, "not available due to interworking"}};

constexpr ValueName screenings[] = {
    {0, "user-provided, not screened"},
    {1, "user-provided, verified and passed"},
    {2, "user-provided, verified and failed"},
    {3, "network provided"},
};

constexpr ValueName redirectionReasons[] = {
    {0, "unknown"},
    {1, "call forwarding busy"},
    {2, "call forwarding no reply"},
    {4, "call deflection"},
    {9, "called DTE out of order"},
    {10, "call forwarding by the called DTE"},
    {15, "call forwarding unconditional"},
};

constexpr ValueName subaddressTypes[] = {{0, "NSAP (X.213/ISO 8348 AD2)"}, {2, "user specified"}};

constexpr ValueName transferCapabilities[] = {
    {0x00, "speech"},
    {0x08, "unrestricted digital information"},
    {0x09, "restricted digital information"},
    {0x10, "3.1 kHz audio"},
    {0x11, "unrestricted digital information with tones/announcements"},
    {0x18, "video"},
};

constexpr ValueName transferModes[] = {{0, "circuit mode"}, {2, "packet mode"}};

constexpr ValueName transferRates[] = {
    {0x00, "packet mode"}, {0x10, "64 kbit/s"},   {0x11, "2x64 kbit/s"}, {0x13, "384 kbit/s"},
    {0x15, "1536 kbit/s"}, {0x17, "1920 kbit/s"}, {0x18, "multirate"},
};

constexpr ValueName layer1Protocols[] = {
    {1, "V.110/X.30 rate adaption"},
    {2, "G.711 mu-law"},
    {3, "G.711 A-law"},
    {4, "G.721 ADPCM"},
    {5, "H.221/H.242"},
    {6, "H.223/H.245"},
    {7, "non-ITU-T rate adaption"},
    {8, "V.120"},
    {9, "X.31 HDLC flag stuffing"},
};

constexpr ValueName userRates[] = {
    {0, "indicated by E-bits (I.460) or negotiated in-band"},
    {1, "0.6 kbit/s"},
    {2, "1.2 kbit/s"},
    {3, "2.4 kbit/s"},
    {4, "3.6 kbit/s"},
    {5, "4.8 kbit/s"},
    {6, "7.2 kbit/s"},
    {7, "8 kbit/s"},
    {8, "9.6 kbit/s"},
    {9, "14.4 kbit/s"},
    {10, "16 kbit/s"},
    {11, "19.2 kbit/s"},
    {12, "32 kbit/s"},
    {13, "38.4 kbit/s"},
    {14, "48 kbit/s"},
    {15, "56 kbit/s"},
    {18, "57.6 kbit/s"},
    {19, "28.8 kbit/s"},
    {20, "24 kbit/s"},
    {21, "0.1345 kbit/s"},
    {22, "0.100 kbit/s"},
    {23, "0.075/1.2 kbit/s"},
    {24, "1.2/0.075 kbit/s"},
    {25, "0.050 kbit/s"},
    {26, "0.075 kbit/s"},
    {27, "0.110 kbit/s"},
    {28, "0.150 kbit/s"},
    {29, "0.200 kbit/s"},
    {30, "0.300 kbit/s"},
    {31, "12 kbit/s"},
};

// The layer 2 and 3 protocols of a bearer; a low layer compatibility may name
// more.
constexpr ValueName bearerLayer2Protocols[] = {
    {2, "Q.921/I.441"},
    {6, "X.25 link layer"},
    {12, "LAN logical link control (ISO/IEC 8802-2)"},
};
constexpr ValueName lowLayerOnlyLayer2Protocols[] = {
    {1, "basic mode ISO 1745"},
    {7, "X.25 multilink"},
    {8, "extended LAPB (T.71)"},
    {9, "HDLC ARM"},
    {10, "HDLC NRM"},
    {11, "HDLC ABM"},
    {13, "X.75 SLP"},
    {14, "Q.922"},
    {16, "user specified"},
    {17, "ISO 7776 DTE-DTE"},
};
constexpr ValueName bearerLayer3Protocols[] = {
    {2, "Q.931"},
    {6, "X.25 packet layer"},
    {11, "ISO/IEC TR 9577"},
};
constexpr ValueName lowLayerOnlyLayer3Protocols[] = {
    {7, "ISO/IEC 8208"},    {8, "X.223/ISO 8878"},
    {9, "ISO/IEC 8473"},    {10, "T.70 minimum network layer"},
    {16, "user specified"},
};

template <std::size_t first, std::size_t second>
constexpr std::array<ValueName, first + second> joined(const ValueName (&a)[first],
                                                       const ValueName (&b)[second]) {
    std::array<ValueName, first + second> all{};
    std::copy(std::begin(a), std::end(a), all.begin());
    std::copy(std::begin(b), std::end(b), all.begin() + first);
    return all;
}
constexpr auto lowLayerLayer2Protocols = joined(bearerLayer2Protocols, lowLayerOnlyLayer2Protocols);
constexpr auto lowLayerLayer3Protocols = joined(bearerLayer3Protocols, lowLayerOnlyLayer3Protocols);

constexpr ValueName presentationMethods[] = {{1, "high layer protocol profile"}};

constexpr ValueName highLayerCharacteristics[] = {
    {0x01, "telephony"},
    {0x04, "fax group 2/3"},
    {0x21, "fax group 4 class I"},
    {0x24, "teletex mixed mode / fax group 4 classes II and III"},
    {0x28, "teletex processable mode"},
    {0x31, "teletex basic mode"},
    {0x32, "syntax-based videotex"},
    {0x33, "international videotex interworking"},
    {0x35, "telex"},
    {0x38, "message handling (X.400)"},
    {0x41, "OSI application (X.200)"},
    {0x42, "FTAM"},
    {0x5e, "maintenance"},
    {0x5f, "management"},
    {0x60, "videotelephony"},
    {0x61, "videoconferencing"},
    {0x62, "audiographic conferencing"},
    {0x68, "multimedia"},
};

constexpr ValueName locations[] = {
    {0, "user"},
    {1, "private network serving the local user"},
    {2, "public network serving the local user"},
    {3, "transit network"},
    {4, "public network serving the remote user"},
    {5, "private network serving the remote user"},
    {7, "international network"},
    {10, "network beyond the interworking point"},
};

constexpr ValueName progressDescriptions[] = {
    {1, "call is not end-to-end ISDN"},     {2, "destination address is non-ISDN"},
    {3, "origination address is non-ISDN"}, {4, "call has returned to the ISDN"},
    {5, "interworking has occurred"},       {8, "in-band information is now available"},
};

constexpr ValueName interfaceTypes[] = {{0, "basic"}, {1, "other (primary rate)"}};
constexpr ValueName basicChannelSelections[] = {
    {0, "no channel"}, {1, "B1"}, {2, "B2"}, {3, "any"}};
constexpr ValueName otherChannelSelections[] = {{0, "no channel"}, {1, "as indicated"}, {3, "any"}};
constexpr ValueName channelTypes[] = {{3, "B-channel units"},
                                      {6, "H0-channel units"},
                                      {8, "H11-channel units"},
                                      {9, "H12-channel units"}};

constexpr ValueName signals[] = {
    {0x00, "dial tone on"},
    {0x01, "ring back tone on"},
    {0x02, "intercept tone on"},
    {0x03, "network congestion tone on"},
    {0x04, "busy tone on"},
    {0x05, "confirm tone on"},
    {0x06, "answer tone on"},
    {0x07, "call waiting tone on"},
    {0x08, "off-hook warning tone on"},
    {0x3f, "tones off"},
    {0x40, "alerting on pattern 0"},
    {0x41, "alerting on pattern 1"},
    {0x42, "alerting on pattern 2"},
    {0x43, "alerting on pattern 3"},
    {0x44, "alerting on pattern 4"},
    {0x45, "alerting on pattern 5"},
    {0x46, "alerting on pattern 6"},
    {0x47, "alerting on pattern 7"},
    {0x4f, "alerting off"},
};

constexpr ValueName notifications[] = {
    {0x00, "user suspended"}, {0x01, "user resumed"},     {0x02, "bearer service change"},
    {0x79, "remote hold"},    {0x7a, "remote retrieval"}, {0x7b, "call is diverting"},
};

constexpr ValueName protocolDiscriminators[] = {
    {0, "user-specific"},      {1, "OSI high layer"}, {2, "X.244"},
    {4, "IA5 characters"},     {5, "X.208/X.209"},    {7, "V.120 rate adaption"},
    {8, "Q.931 call control"},
};

constexpr ValueName protocolProfiles[] = {
    {0x11, "remote operations"}, {0x12, "CMIP"}, {0x13, "ACSE"}, {0x1f, "networking extensions"}};

constexpr ValueName componentTypes[] = {
    {0xa1, "invoke"}, {0xa2, "returnResult"}, {0xa3, "returnError"}, {0xa4, "reject"}};

}  // namespace

const ValueNames codingStandardNames{codingStandards};
const ValueNames typeOfNumberNames{typesOfNumber};
const ValueNames numberingPlanNames{numberingPlans};
const ValueNames presentationNames{presentations};
const ValueNames screeningNames{screenings};
const ValueNames redirectionReasonNames{redirectionReasons};
const ValueNames subaddressTypeNames{subaddressTypes};
const ValueNames transferCapabilityNames{transferCapabilities};
const ValueNames transferModeNames{transferModes};
const ValueNames transferRateNames{transferRates};
const ValueNames layer1ProtocolNames{layer1Protocols};
const ValueNames userRateNames{userRates};
const ValueNames bearerLayer2ProtocolNames{bearerLayer2Protocols};
const ValueNames lowLayerLayer2ProtocolNames{lowLayerLayer2Protocols};
const ValueNames bearerLayer3ProtocolNames{bearerLayer3Protocols};
const ValueNames lowLayerLayer3ProtocolNames{lowLayerLayer3Protocols};
const ValueNames presentationMethodNames{presentationMethods};
const ValueNames highLayerCharacteristicsNames{highLayerCharacteristics};
const ValueNames locationNames{locations};
const ValueNames progressDescriptionNames{progressDescriptions};
const ValueNames interfaceTypeNames{interfaceTypes};
const ValueNames basicChannelSelectionNames{basicChannelSelections};
const ValueNames otherChannelSelectionNames{otherChannelSelections};
const ValueNames channelTypeNames{channelTypes};
const ValueNames signalNames{signals};
const ValueNames notificationNames{notifications};
const ValueNames protocolDiscriminatorNames{protocolDiscriminators};
const ValueNames protocolProfileNames{protocolProfiles};
const ValueNames componentTypeNames{componentTypes};

}  // namespace ambertap
