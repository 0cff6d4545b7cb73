#include "value_names.h"

#include <array>
#include <cstddef>

#include "capi_vocabulary.h"
#include "element_table.h"

namespace ambertap {

namespace {

constexpr ValueName cipValues[] = {
    {0, "no profile"},
    {1, "speech"},
    {2, "unrestricted digital information"},
    {3, "restricted digital information"},
    {4, "3.1 kHz audio"},
    {5, "7 kHz audio"},
    {6, "video"},
    {7, "packet mode"},
    {8, "56 kbit/s rate adaptation"},
    {9, "unrestricted digital information with tones and announcements"},
    {16, "telephony"},
    {17, "fax group 2/3"},
    {18, "fax group 4 class 1"},
    {19, "teletex basic and mixed mode or fax group 4 classes II and III"},
    {20, "teletex basic and processable"},
    {21, "teletex basic"},
    {22, "videotex interworking"},
    {23, "telex"},
    {24, "message handling (X.400)"},
    {25, "OSI application (X.200)"},
    {26, "7 kHz telephony"},
    {27, "video telephony first connection"},
    {28, "video telephony second connection"},
};

// A CIP mask has bit n for CIP Value n, except bit 0, which alone takes every call.
constexpr auto cipMaskBitNames = [] {
    std::array<ValueName, std::size(cipValues)> bits{};
    for (std::size_t i = 0; i < bits.size(); ++i) {
        bits[i] = cipValues[i].value == 0 ? ValueName{0, "every call"} : cipValues[i];
    }
    return bits;
}();

constexpr ValueName rejects[] = {
    {0, "accept"},
    {1, "ignore"},
    {2, "reject with normal clearing"},
    {3, "user busy"},
    {4, "no channel"},
    {5, "facility rejected"},
    {6, "channel unacceptable"},
    {7, "incompatible destination"},
    {8, "destination out of order"},
};

constexpr ValueName rejectsB3[] = {{0, "accept"}, {2, "reject"}};

constexpr ValueName facilitySelectors[] = {
    {0, "handset"},
    {1, "DTMF"},
    {2, "V.42 bis"},
    {3, "supplementary services"},
    {4, "power management wake-up"},
    {5, "line interconnect"},
    {6, "broadband extensions"},
    {7, "controller events"},
    {8, "echo cancellation"},
};

constexpr ValueName dtmfFunctions[] = {
    {1, "start listening"},
    {2, "stop listening"},
    {3, "send digits"},
};

constexpr ValueName supplementaryServiceFunctions[] = {
    {0, "get supported services"},
    {1, "listen"},
    {2, "hold"},
    {3, "retrieve"},
    {4, "suspend"},
    {5, "resume"},
    {6, "explicit call transfer"},
    {7, "three-party conference begin"},
    {8, "three-party conference end"},
    {9, "call forwarding activate"},
    {10, "call forwarding deactivate"},
    {11, "interrogate parameters"},
    {12, "interrogate numbers"},
    {13, "call deflection"},
    {14, "malicious call identification"},
    {15, "CCBS request"},
    // The network's notifications.
    {0x8000, "hold notification"},
    {0x8001, "retrieve notification"},
    {0x8002, "suspend notification"},
    {0x8003, "resume notification"},
    {0x8004, "call is diverting notification"},
    {0x8005, "diversion activated notification"},
    {0x800d, "CCBS erase call linkage ID"},
    {0x800e, "CCBS status"},
    {0x800f, "CCBS remote user free"},
    {0x8010, "CCBS B-free"},
    {0x8011, "CCBS erase"},
    {0x8012, "CCBS stop alerting"},
    {0x8013, "CCBS info retain"},
};

constexpr ValueName supportedServiceBitNames[] = {
    {0, "hold/retrieve"},
    {1, "terminal portability"},
    {2, "explicit call transfer"},
    {3, "three-party conference"},
    {4, "call forwarding"},
    {5, "call deflection"},
    {6, "malicious call identification"},
    {7, "CCBS"},
};

constexpr ValueName forwardingTypes[] = {{0, "unconditional"}, {1, "busy"}, {2, "no reply"}};

constexpr ValueName channels[] = {{0, "B channel"},
                                  {1, "D channel"},
                                  {2, "neither"},
                                  {3, "channel allocation"},
                                  {4, "channel identification"}};
constexpr ValueName channelAllocationOperations[] = {{0, "DTE"}, {1, "DCE"}};
constexpr ValueName sendingCompleteModes[] = {{0, "not complete"}, {1, "complete"}};
constexpr ValueName bChannelOperations[] = {{0, "default"}, {1, "DTE mode"}, {2, "DCE mode"}};
constexpr ValueName parities[] = {{0, "none"}, {1, "odd"}, {2, "even"}};
constexpr ValueName stopBitValues[] = {{0, "one"}, {1, "two"}};
constexpr ValueName resolutions[] = {{0, "standard"}, {1, "high"}};
constexpr ValueName faxFormats[] = {
    {0, "SFF"},           {1, "plain fax format (modified Huffman)"},
    {2, "PCX"},           {3, "DCX"},
    {4, "TIFF"},          {5, "ASCII"},
    {6, "extended ANSI"}, {7, "binary file transfer"},
};
constexpr ValueName faxOptionBitNames[] = {{0, "high resolution"}, {1, "polling"}};

constexpr ValueName infoMaskBitNames[] = {
    {0, "cause"},
    {1, "date and time"},
    {2, "display"},
    {3, "user-user data"},
    {4, "call progression"},
    {5, "facility"},
    {6, "charging"},
    {7, "called party number"},
    {8, "channel identification"},
    {9, "early B3 connect"},
    {10, "redirecting and redirection information"},
    {12, "sending complete"},
};

constexpr ValueName dataB3FlagBitNames[] = {
    {0, "qualifier"},      {1, "more data"},        {2, "delivery confirmation"},
    {3, "expedited data"}, {4, "break / UI frame"}, {15, "framing error"},
};

// Info and Reason values that have a name of their own.
constexpr ValueName infoValues[] = {
    {0x0000, "no error"},
    {0x0001, "NCPI ignored"},
    {0x0002, "flags ignored"},
    {0x0003, "alert already sent"},
    {0x2001, "not supported in the current state"},
    {0x2002, "illegal Controller/PLCI/NCCI"},
    {0x2003, "out of PLCI"},
    {0x2004, "out of NCCI"},
    {0x2005, "out of LISTEN"},
    {0x2006, "out of fax resources"},
    {0x2007, "illegal message parameter coding"},
    {0x3001, "B1 protocol not supported"},
    {0x3002, "B2 protocol not supported"},
    {0x3003, "B3 protocol not supported"},
    {0x3004, "B1 protocol parameter not supported"},
    {0x3005, "B2 protocol parameter not supported"},
    {0x3006, "B3 protocol parameter not supported"},
    {0x3007, "B protocol combination not supported"},
    {0x3008, "NCPI not supported"},
    {0x3009, "CIP Value unknown"},
    {0x300a, "flags not supported"},
    {0x300b, "facility not supported"},
    {0x300c, "data length not supported"},
    {0x300d, "reset procedure not supported"},
    {0x3301, "protocol error layer 1"},
    {0x3302, "protocol error layer 2"},
    {0x3303, "protocol error layer 3"},
    {0x3304, "another application got the call"},
    {0x3500, "normal end"},
    {0x3501, "carrier lost"},
};

// Q.850 causes; 16, 17, 18 and 34 in the words of CAPI's own list.
constexpr ValueName causes[] = {
    {1, "unallocated (unassigned) number"},
    {2, "no route to specified transit network"},
    {3, "no route to destination"},
    {4, "send special information tone"},
    {5, "misdialled trunk prefix"},
    {6, "channel unacceptable"},
    {7, "call awarded and being delivered in an established channel"},
    {8, "preemption"},
    {9, "preemption - circuit reserved for reuse"},
    {16, "normal call clearing"},
    {17, "user busy"},
    {18, "no user responding"},
    {19, "no answer from user (user alerted)"},
    {20, "subscriber absent"},
    {21, "call rejected"},
    {22, "number changed"},
    {23, "redirection to new destination"},
    {25, "exchange routing error"},
    {26, "non-selected user clearing"},
    {27, "destination out of order"},
    {28, "invalid number format (address incomplete)"},
    {29, "facility rejected"},
    {30, "response to STATUS ENQUIRY"},
    {31, "normal, unspecified"},
    {34, "no circuit available"},
    {38, "network out of order"},
    {39, "permanent frame mode connection out of service"},
    {40, "permanent frame mode connection operational"},
    {41, "temporary failure"},
    {42, "switching equipment congestion"},
    {43, "access information discarded"},
    {44, "requested circuit/channel not available"},
    {46, "precedence call blocked"},
    {47, "resource unavailable, unspecified"},
    {49, "quality of service not available"},
    {50, "requested facility not subscribed"},
    {53, "outgoing calls barred within CUG"},
    {55, "incoming calls barred within CUG"},
    {57, "bearer capability not authorized"},
    {58, "bearer capability not presently available"},
    {62, "inconsistency in designated outgoing access information and subscriber class"},
    {63, "service or option not available, unspecified"},
    {65, "bearer capability not implemented"},
    {66, "channel type not implemented"},
    {69, "requested facility not implemented"},
    {70, "only restricted digital information bearer capability is available"},
    {79, "service or option not implemented, unspecified"},
    {81, "invalid call reference value"},
    {82, "identified channel does not exist"},
    {83, "a suspended call exists, but this call identity does not"},
    {84, "call identity in use"},
    {85, "no call suspended"},
    {86, "call having the requested call identity has been cleared"},
    {87, "user not member of CUG"},
    {88, "incompatible destination"},
    {90, "non-existent CUG"},
    {91, "invalid transit network selection"},
    {95, "invalid message, unspecified"},
    {96, "mandatory information element is missing"},
    {97, "message type non-existent or not implemented"},
    {98, "message not compatible with call state or message type non-existent or not implemented"},
    {99, "information element/parameter non-existent or not implemented"},
    {100, "invalid information element contents"},
    {101, "message not compatible with call state"},
    {102, "recovery on timer expiry"},
    {103, "parameter non-existent or not implemented - passed on"},
    {110, "message with unrecognized parameter discarded"},
    {111, "protocol error, unspecified"},
    {127, "interworking, unspecified"},
};

constexpr ValueName messageTypes[] = {
    {0x01, "ALERTING"},
    {0x02, "CALL PROCEEDING"},
    {0x03, "PROGRESS"},
    {0x05, "SETUP"},
    {0x07, "CONNECT"},
    {0x0d, "SETUP ACKNOWLEDGE"},
    {0x0f, "CONNECT ACKNOWLEDGE"},
    {0x45, "DISCONNECT"},
    {0x4d, "RELEASE"},
    {0x5a, "RELEASE COMPLETE"},
};

constexpr ValueName charges[] = {{InfoNumber::chargeInUnits, "charge in units"},
                                 {InfoNumber::chargeInCurrency, "charge in currency"}};

// The classes of Info values whose members the standard names only as a class.
const char* infoClassName(std::uint16_t value) {
    switch (InfoValue::classOf(value)) {
        case InfoValue::registrationError:
            return "registration error";
        case InfoValue::messageExchangeError:
            return "message exchange error";
        case InfoValue::modemFailure:
            return "modem failure";
        default:
            break;
    }
    if (value >= InfoValue::firstFaxFailure && value <= InfoValue::lastFaxFailure) {
        return "fax (T.30) failure";
    }
    return nullptr;
}

}  // namespace

const ValueNames cipValueNames{cipValues};
const ValueNames rejectNames{rejects};
const ValueNames rejectB3Names{rejectsB3};
const ValueNames facilitySelectorNames{facilitySelectors};
const ValueNames dtmfFunctionNames{dtmfFunctions};
const ValueNames supplementaryServiceFunctionNames{supplementaryServiceFunctions};
const ValueNames channelNames{channels};
const ValueNames channelAllocationOperationNames{channelAllocationOperations};
const ValueNames supportedServiceBits{supportedServiceBitNames};
const ValueNames forwardingTypeNames{forwardingTypes};
const ValueNames faxFormatNames{faxFormats};
const ValueNames faxOptionBits{faxOptionBitNames};
const ValueNames sendingCompleteNames{sendingCompleteModes};
const ValueNames bChannelOperationNames{bChannelOperations};
const ValueNames parityNames{parities};
const ValueNames stopBitNames{stopBitValues};
const ValueNames resolutionNames{resolutions};
const ValueNames infoMaskBits{infoMaskBitNames};
const ValueNames cipMaskBits{cipMaskBitNames};
const ValueNames dataB3FlagBits{dataB3FlagBitNames};

const char* causeName(std::uint32_t cause) {
    return nameOf(causes, cause);
}

int networkCauseOf(std::uint32_t value) {
    return InfoValue::classOf(static_cast<std::uint16_t>(value)) == InfoValue::networkCause
               ? causeValueOf(value)
               : -1;
}

InfoMeaning infoMeaning(std::uint16_t info) {
    if (const int cause = networkCauseOf(info); cause >= 0) {
        return {causeName(static_cast<std::uint32_t>(cause)), cause};
    }
    if (const char* name = nameOf(infoValues, info)) {
        return {name, -1};
    }
    return {infoClassName(info), -1};
}

InfoNumberMeaning infoNumberMeaning(std::uint16_t infoNumber) {
    if ((infoNumber & InfoNumber::messageTypeBit) != 0) {
        return {InfoNumberKind::messageType,
                nameOf(messageTypes, infoNumber & InfoNumber::elementMask)};
    }
    if ((infoNumber & InfoNumber::chargeBit) != 0) {
        return {InfoNumberKind::charge, nameOf(charges, infoNumber)};
    }
    return {InfoNumberKind::element, (infoNumber & ~InfoNumber::elementMask) == 0
                                         ? nameOf(elementIdentifierNames, infoNumber)
                                         : nullptr};
}

const char* infoNumberKindText(InfoNumberKind kind) {
    switch (kind) {
        case InfoNumberKind::messageType:
            return "message type";
        case InfoNumberKind::charge:
            return "charge";
        case InfoNumberKind::element:
            return "element";
    }
    return "element";
}

}  // namespace ambertap
