// Layouts of the bytes that the driver's trace holds: trace records, each
// carrying one CAPI 2.0 message. All multi-byte fields are little-endian.
// What the numbers in them mean is in capi_vocabulary.h.
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

// INFO_IND: the Info element follows the Info number.
struct InfoIndication {
    static constexpr std::size_t infoNumber = 12;     // 2 bytes
    static constexpr std::size_t elementLength = 14;  // 1 byte, not consulted
    static constexpr std::size_t elementContent = 15;
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
