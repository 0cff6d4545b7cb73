// Layouts of the bytes that the driver's trace holds: trace records, each
// carrying one CAPI 2.0 message. All multi-byte fields are little-endian.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ambertap {

// One CAPI 2.0 message as it lies in the trace: an 8-byte header, then the
// parameters of its kind.
struct CapiMessage {
    static constexpr std::size_t totalLength = 0;    // 2 bytes, header included
    static constexpr std::size_t applId = 2;         // 2 bytes
    static constexpr std::size_t commandWord = 4;    // command byte, then subcommand byte
    static constexpr std::size_t messageNumber = 6;  // 2 bytes
    static constexpr std::size_t headerSize = 8;

    // Plain parameters shared by most message kinds.
    static constexpr std::size_t firstParameter = 8;    // 4 bytes: PLCI, NCCI or Controller
    static constexpr std::size_t secondParameter = 12;  // 2 bytes: Info, Reason, Reject, ...
};

// Subcommands sit in the high byte of the command word.
enum Subcommand : std::uint16_t {
    request = 0x8000,
    confirmation = 0x8100,
    indication = 0x8200,
    response = 0x8300,
};

// The command words that have parameters of their own on the line.
enum CommandWord : std::uint16_t {
    connectReq = 0x8002,
    disconnectReq = 0x8004,
    listenReq = 0x8005,
    connectB3Req = 0x8082,
    connectConf = 0x8102,
    disconnectConf = 0x8104,
    listenConf = 0x8105,
    connectB3Conf = 0x8182,
    connectInd = 0x8202,
    connectActiveInd = 0x8203,
    disconnectInd = 0x8204,
    infoInd = 0x8208,
    disconnectB3Ind = 0x8284,
    connectResp = 0x8302,
    selectBProtocolReq = 0x8041,
    connectActiveResp = 0x8303,
    disconnectResp = 0x8304,
    infoResp = 0x8308,
    disconnectB3Resp = 0x8384,
};

// The address that most messages begin with: bits 0-6 the controller, bit 7
// set for an external controller, bits 8-15 the PLCI part, bits 16-31 the
// NCCI part.
struct MessageAddress {
    // The controller and PLCI parts, which name a PLCI.
    static constexpr std::uint16_t plciOf(std::uint32_t address) {
        return static_cast<std::uint16_t>(address & 0xffffu);
    }
    static constexpr bool namesPlci(std::uint32_t address) { return (address & 0xff00u) != 0; }
    static constexpr bool namesNcci(std::uint32_t address) { return (address >> 16) != 0; }
    static constexpr unsigned controllerOf(std::uint32_t address) { return address & 0x7fu; }
    static constexpr bool namesExternalController(std::uint32_t address) {
        return (address & 0x80u) != 0;
    }
};

// INFO_IND: the Info element follows the Info number.
struct InfoIndication {
    static constexpr std::size_t infoNumber = 12;     // 2 bytes
    static constexpr std::size_t elementLength = 14;  // 1 byte, not consulted
    static constexpr std::size_t elementContent = 15;

    static constexpr std::uint16_t cause = 0x0008;
    static constexpr std::uint16_t chargeUnits = 0x4000;
    static constexpr std::uint16_t chargeUnitsAlternative = 0x4001;
};

// CONNECT_REQ: Controller, CIP Value, then nine structures in this order.
struct ConnectRequest {
    static constexpr std::size_t controller = 8;  // 4 bytes, signed
    static constexpr std::size_t cipValue = 12;   // 2 bytes
    static constexpr std::size_t firstStructure = 14;
};

// LISTEN_REQ: Controller, three masks, then the calling party number.
struct ListenRequest {
    static constexpr std::size_t controller = 8;  // 4 bytes, signed
    static constexpr std::size_t infoMask = 12;
    static constexpr std::size_t cipMask = 16;
    static constexpr std::size_t cipMask2 = 20;
    static constexpr std::size_t callingPartyNumber = 24;
};

// CONNECT_ACTIVE_IND: PLCI, then the connected number.
struct ConnectActiveIndication {
    static constexpr std::size_t plci = 8;
    static constexpr std::size_t connectedNumber = 12;
};

// One record of the trace: direction, length of the message, the message.
// Records follow each other with no gap, header or end marker.
struct TraceRecord {
    static constexpr std::size_t direction = 0;
    static constexpr std::size_t messageLength = 1;
    static constexpr std::size_t message = 2;
    static constexpr std::size_t headerSize = 2;

    static constexpr std::uint8_t put = 1;  // an application put the message to CAPI
    static constexpr std::uint8_t get = 2;  // an application got the message from CAPI
};

}  // namespace ambertap
