// CAPI 2.0 as this house speaks it: every command with the subcommands it
// has, the command words that follow from them, and each number that code
// decides by: the address layout, the Info classes, the Info numbers, the
// data window, the facility selectors, the B protocols and the driver's
// buffer. Every library names these facts from here and writes none of them
// again.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>

namespace ambertap {

// ---- Commands, subcommands and command words ----

// The command byte: the low byte of a command word.
enum class CapiCommand : std::uint8_t {
    alert = 0x01,
    connect = 0x02,
    connectActive = 0x03,
    disconnect = 0x04,
    listen = 0x05,
    info = 0x08,
    selectBProtocol = 0x41,
    facility = 0x80,
    connectB3 = 0x82,
    connectB3Active = 0x83,
    disconnectB3 = 0x84,
    dataB3 = 0x86,
    resetB3 = 0x87,
    connectB3T90Active = 0x88,
    manufacturer = 0xff,
};

// The subcommand: the high byte of a command word.
enum class Subcommand : std::uint8_t {
    request = 0x80,
    confirmation = 0x81,
    indication = 0x82,
    response = 0x83,
};

// How a subcommand ends its message's name.
struct SubcommandName {
    Subcommand subcommand;
    const char* suffix;
};
inline constexpr SubcommandName subcommandNames[] = {
    {Subcommand::request, "_REQ"},
    {Subcommand::confirmation, "_CONF"},
    {Subcommand::indication, "_IND"},
    {Subcommand::response, "_RESP"},
};

// Which of the four subcommands a command has.
class SubcommandSet {
  public:
    constexpr SubcommandSet(std::initializer_list<Subcommand> subcommands) {
        for (const Subcommand subcommand : subcommands) {
            bits_ = static_cast<std::uint8_t>(bits_ | bitOf(subcommand));
        }
    }
    constexpr bool has(Subcommand subcommand) const { return (bits_ & bitOf(subcommand)) != 0; }

  private:
    static constexpr unsigned bitOf(Subcommand subcommand) {
        for (std::size_t at = 0; at < std::size(subcommandNames); ++at) {
            if (subcommandNames[at].subcommand == subcommand) {
                return 1u << at;
            }
        }
        return 0;
    }

    std::uint8_t bits_ = 0;
};

inline constexpr SubcommandSet requestAndConfirmation{Subcommand::request,
                                                      Subcommand::confirmation};
inline constexpr SubcommandSet indicationAndResponse{Subcommand::indication, Subcommand::response};
inline constexpr SubcommandSet allFourSubcommands{Subcommand::request, Subcommand::confirmation,
                                                  Subcommand::indication, Subcommand::response};

// One command of CAPI 2.0: its byte, its name, and the subcommands it has.
// Every command word and every message name follows from these rows: the
// word is the subcommand byte above the command byte, the name the
// command's name and the subcommand's suffix ("CONNECT_REQ").
struct CapiCommandRow {
    CapiCommand command;
    const char* name;
    SubcommandSet subcommands;
};

inline constexpr CapiCommandRow capiCommands[] = {
    {CapiCommand::alert, "ALERT", requestAndConfirmation},
    {CapiCommand::connect, "CONNECT", allFourSubcommands},
    {CapiCommand::connectActive, "CONNECT_ACTIVE", indicationAndResponse},
    {CapiCommand::connectB3Active, "CONNECT_B3_ACTIVE", indicationAndResponse},
    {CapiCommand::connectB3, "CONNECT_B3", allFourSubcommands},
    {CapiCommand::connectB3T90Active, "CONNECT_B3_T90_ACTIVE", indicationAndResponse},
    {CapiCommand::dataB3, "DATA_B3", allFourSubcommands},
    {CapiCommand::disconnectB3, "DISCONNECT_B3", allFourSubcommands},
    {CapiCommand::disconnect, "DISCONNECT", allFourSubcommands},
    {CapiCommand::facility, "FACILITY", allFourSubcommands},
    {CapiCommand::info, "INFO", allFourSubcommands},
    {CapiCommand::listen, "LISTEN", requestAndConfirmation},
    {CapiCommand::manufacturer, "MANUFACTURER", allFourSubcommands},
    {CapiCommand::resetB3, "RESET_B3", allFourSubcommands},
    {CapiCommand::selectBProtocol, "SELECT_B_PROTOCOL", requestAndConfirmation},
};

constexpr std::uint16_t commandWordOf(CapiCommand command, Subcommand subcommand) {
    return static_cast<std::uint16_t>(static_cast<unsigned>(subcommand) << 8 |
                                      static_cast<unsigned>(command));
}
constexpr CapiCommand commandOf(std::uint16_t commandWord) {
    return static_cast<CapiCommand>(commandWord & 0xffu);
}
constexpr Subcommand subcommandOf(std::uint16_t commandWord) {
    return static_cast<Subcommand>(commandWord >> 8);
}

// Whether a command word is a message of CAPI 2.0.
constexpr bool isCapiMessage(std::uint16_t commandWord) {
    for (const CapiCommandRow& row : capiCommands) {
        if (row.command == commandOf(commandWord)) {
            return row.subcommands.has(subcommandOf(commandWord));
        }
    }
    return false;
}

// How many command words the rows give.
constexpr std::size_t capiMessageCount() {
    std::size_t count = 0;
    for (const CapiCommandRow& row : capiCommands) {
        for (const SubcommandName& subcommand : subcommandNames) {
            count += row.subcommands.has(subcommand.subcommand) ? 1u : 0u;
        }
    }
    return count;
}

// The word of a message that the rows give; naming one they lack does not
// compile.
consteval std::uint16_t capiWord(CapiCommand command, Subcommand subcommand) {
    if (!isCapiMessage(commandWordOf(command, subcommand))) {
        throw "CAPI 2.0 has no such message: its command's row lacks the subcommand";
    }
    return commandWordOf(command, subcommand);
}

// The command words, by the names the code uses for them.
enum CommandWord : std::uint16_t {
    alertReq = capiWord(CapiCommand::alert, Subcommand::request),
    alertConf = capiWord(CapiCommand::alert, Subcommand::confirmation),
    connectReq = capiWord(CapiCommand::connect, Subcommand::request),
    connectConf = capiWord(CapiCommand::connect, Subcommand::confirmation),
    connectInd = capiWord(CapiCommand::connect, Subcommand::indication),
    connectResp = capiWord(CapiCommand::connect, Subcommand::response),
    connectActiveInd = capiWord(CapiCommand::connectActive, Subcommand::indication),
    connectActiveResp = capiWord(CapiCommand::connectActive, Subcommand::response),
    connectB3ActiveInd = capiWord(CapiCommand::connectB3Active, Subcommand::indication),
    connectB3ActiveResp = capiWord(CapiCommand::connectB3Active, Subcommand::response),
    connectB3Req = capiWord(CapiCommand::connectB3, Subcommand::request),
    connectB3Conf = capiWord(CapiCommand::connectB3, Subcommand::confirmation),
    connectB3Ind = capiWord(CapiCommand::connectB3, Subcommand::indication),
    connectB3Resp = capiWord(CapiCommand::connectB3, Subcommand::response),
    connectB3T90ActiveInd = capiWord(CapiCommand::connectB3T90Active, Subcommand::indication),
    connectB3T90ActiveResp = capiWord(CapiCommand::connectB3T90Active, Subcommand::response),
    dataB3Req = capiWord(CapiCommand::dataB3, Subcommand::request),
    dataB3Conf = capiWord(CapiCommand::dataB3, Subcommand::confirmation),
    dataB3Ind = capiWord(CapiCommand::dataB3, Subcommand::indication),
    dataB3Resp = capiWord(CapiCommand::dataB3, Subcommand::response),
    disconnectB3Req = capiWord(CapiCommand::disconnectB3, Subcommand::request),
    disconnectB3Conf = capiWord(CapiCommand::disconnectB3, Subcommand::confirmation),
    disconnectB3Ind = capiWord(CapiCommand::disconnectB3, Subcommand::indication),
    disconnectB3Resp = capiWord(CapiCommand::disconnectB3, Subcommand::response),
    disconnectReq = capiWord(CapiCommand::disconnect, Subcommand::request),
    disconnectConf = capiWord(CapiCommand::disconnect, Subcommand::confirmation),
    disconnectInd = capiWord(CapiCommand::disconnect, Subcommand::indication),
    disconnectResp = capiWord(CapiCommand::disconnect, Subcommand::response),
    facilityReq = capiWord(CapiCommand::facility, Subcommand::request),
    facilityConf = capiWord(CapiCommand::facility, Subcommand::confirmation),
    facilityInd = capiWord(CapiCommand::facility, Subcommand::indication),
    facilityResp = capiWord(CapiCommand::facility, Subcommand::response),
    infoReq = capiWord(CapiCommand::info, Subcommand::request),
    infoConf = capiWord(CapiCommand::info, Subcommand::confirmation),
    infoInd = capiWord(CapiCommand::info, Subcommand::indication),
    infoResp = capiWord(CapiCommand::info, Subcommand::response),
    listenReq = capiWord(CapiCommand::listen, Subcommand::request),
    listenConf = capiWord(CapiCommand::listen, Subcommand::confirmation),
    manufacturerReq = capiWord(CapiCommand::manufacturer, Subcommand::request),
    manufacturerConf = capiWord(CapiCommand::manufacturer, Subcommand::confirmation),
    manufacturerInd = capiWord(CapiCommand::manufacturer, Subcommand::indication),
    manufacturerResp = capiWord(CapiCommand::manufacturer, Subcommand::response),
    resetB3Req = capiWord(CapiCommand::resetB3, Subcommand::request),
    resetB3Conf = capiWord(CapiCommand::resetB3, Subcommand::confirmation),
    resetB3Ind = capiWord(CapiCommand::resetB3, Subcommand::indication),
    resetB3Resp = capiWord(CapiCommand::resetB3, Subcommand::response),
    selectBProtocolReq = capiWord(CapiCommand::selectBProtocol, Subcommand::request),
    selectBProtocolConf = capiWord(CapiCommand::selectBProtocol, Subcommand::confirmation),
};

// The word that answers a message: the _CONF of a _REQ, the _RESP of an _IND.
constexpr std::uint16_t answerOf(std::uint16_t commandWord) {
    const Subcommand answer = subcommandOf(commandWord) == Subcommand::request
                                  ? Subcommand::confirmation
                                  : Subcommand::response;
    return commandWordOf(commandOf(commandWord), answer);
}

// ---- The address that most messages begin with ----

// Bits 0-6 the controller, bit 7 set for an external controller, bits 8-15
// the PLCI part, bits 16-31 the NCCI part. A PLCI is named by the controller
// and PLCI parts together, an NCCI by the whole address.
struct CapiAddress {
    static constexpr std::uint32_t controllerMask = 0x7fu;
    static constexpr std::uint32_t externalBit = 0x80u;
    static constexpr unsigned plciShift = 8;
    static constexpr unsigned ncciShift = 16;

    static constexpr std::uint32_t controllerOf(std::uint32_t address) {
        return address & controllerMask;
    }
    static constexpr bool isExternal(std::uint32_t address) { return (address & externalBit) != 0; }
    // The controller with its external bit, the address's low byte.
    static constexpr std::uint8_t controllerByteOf(std::uint32_t address) {
        return static_cast<std::uint8_t>(address & (controllerMask | externalBit));
    }
    static constexpr std::uint32_t plciPartOf(std::uint32_t address) {
        return (address >> plciShift) & 0xffu;
    }
    static constexpr std::uint32_t ncciPartOf(std::uint32_t address) {
        return address >> ncciShift;
    }
    // The controller and PLCI parts, which name a PLCI.
    static constexpr std::uint16_t plciOf(std::uint32_t address) {
        return static_cast<std::uint16_t>(address & ((1u << ncciShift) - 1));
    }
    static constexpr bool namesPlci(std::uint32_t address) { return plciPartOf(address) != 0; }
    static constexpr bool namesNcci(std::uint32_t address) { return ncciPartOf(address) != 0; }
};

// ---- Info, Reason and Reason_B3 values ----

// A class in the high byte, a value of the class in the low byte.
struct InfoValue {
    // From here on an Info says that a request was not carried out.
    static constexpr std::uint16_t firstError = 0x1000;
    static constexpr bool taken(std::uint16_t info) { return info < firstError; }

    enum Class : std::uint16_t {
        registrationError = 0x1000,
        messageExchangeError = 0x1100,
        invalidInState = 0x2000,
        notSupported = 0x3000,
        protocolError = 0x3300,
        networkCause = 0x3400,  // the network's Q.850 cause in the low byte
        modemFailure = 0x3500,
    };
    static constexpr std::uint16_t classOf(std::uint16_t info) {
        return static_cast<std::uint16_t>(info & 0xff00u);
    }

    // The values that the checks tell apart within their classes.
    enum Value : std::uint16_t {
        notInCurrentState = 0x2001,
        illegalAddress = 0x2002,
        outOfPlci = 0x2003,
        outOfNcci = 0x2004,
        outOfListen = 0x2005,
        outOfFaxResources = 0x2006,
        illegalParameterCoding = 0x2007,
        facilityNotSupported = 0x300b,
        firstFaxFailure = 0x3311,
        lastFaxFailure = 0x3319,
    };
};

// A Q.850 cause octet: the cause value below its extension bit.
constexpr std::uint8_t causeValueOf(std::uint32_t octet) {
    return static_cast<std::uint8_t>(octet & 0x7fu);
}

// ---- INFO_IND's Info number ----

struct InfoNumber {
    static constexpr std::uint16_t messageTypeBit = 0x8000;  // a network message type below
    static constexpr std::uint16_t chargeBit = 0x4000;       // a charge
    static constexpr std::uint32_t elementMask = 0x00ffu;    // the element or message type
    static constexpr std::uint16_t cause = 0x0008;           // the Q.931 cause element
    static constexpr std::uint16_t chargeInUnits = 0x4000;   // a dword of units
    static constexpr std::uint16_t chargeInCurrency = 0x4001;
};

// ---- DATA_B3 ----

// How many DATA_B3 messages may wait for their answer on one connection.
inline constexpr std::uint32_t dataB3Window = 7;

// ---- FACILITY ----

// The facility selectors whose parameters have a layout of their own.
struct FacilitySelector {
    enum : std::uint16_t {
        dtmf = 1,
        supplementaryServices = 3,
    };
};

// ---- B protocols ----

struct B1Protocol {
    enum : std::uint16_t {
        hdlc = 0,
        transparent = 1,
        v110Asynchronous = 2,
        v110Synchronous = 3,
        t30 = 4,
        hdlcInverted = 5,
        transparent56k = 6,
        modemNegotiated = 7,
        modemAsynchronous = 8,
        modemSynchronous = 9,
    };
};

struct B2Protocol {
    enum : std::uint16_t {
        iso7776 = 0,
        transparent = 1,
        sdlc = 2,
        lapdX25 = 3,
        t30 = 4,
        ppp = 5,
        transparentIgnoringFraming = 6,
        modemWithCorrection = 7,
        iso7776V42bis = 8,
        v120Asynchronous = 9,
        v120AsynchronousV42bis = 10,
        v120Transparent = 11,
        lapdFreeSapi = 12,
    };
};

struct B3Protocol {
    enum : std::uint16_t {
        transparent = 0,
        t90 = 1,
        iso8208 = 2,
        x25Dce = 3,
        t30 = 4,
        t30Extended = 5,
        modem = 7,
    };
};

// ---- The driver ----

// What one read request of the driver's trace can return: its buffer's size,
// and so the most record bytes that one saved trace holds.
inline constexpr std::size_t driverTraceBufferSize = 10000;

}  // namespace ambertap
