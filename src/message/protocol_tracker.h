// The B protocols in force on each PLCI, as far as one trace shows them: what
// the walk of a later message needs to lay out its NCPI.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace ambertap {

class DecodedMessage;

struct BProtocols {
    std::uint16_t b1 = 0;
    std::uint16_t b2 = 0;
    std::uint16_t b3 = 0;
};

// Keep one for each trace and pass it every message in trace order. A call
// belongs to an application and a PLCI together, so protocols are kept by
// ApplID and PLCI. CONNECT_RESP and SELECT_B_PROTOCOL_REQ set a PLCI's
// protocols; a CONNECT_REQ's set them once its CONNECT_CONF, with the same
// ApplID and message number, gives the PLCI (a request whose number comes
// again before its confirmation gives way to the later one). The tracker
// holds a bounded number of PLCIs and unconfirmed requests, forgetting the
// oldest first.
class ProtocolTracker {
  public:
    // The protocols in force for the PLCI of `address` (a PLCI or NCCI), or
    // null when the trace has not shown them.
    const BProtocols* inForce(std::uint16_t applId, std::uint32_t address) const;

    // Takes what the message shows about B protocols.
    void takeNote(const DecodedMessage& message);

    // The protocols that the message last noted put in force on its PLCI, or
    // null when it put none there.
    const BProtocols* putInForceByLastNote() const {
        return lastPut_.has_value() ? &*lastPut_ : nullptr;
    }

  private:
    static constexpr std::size_t plciCapacity = 256;
    static constexpr std::size_t requestCapacity = 64;

    struct PlciProtocols {
        bool used = false;
        std::uint16_t applId = 0;
        std::uint16_t plci = 0;  // controller and PLCI parts of the address
        BProtocols protocols;
    };
    struct PendingRequest {
        bool used = false;
        std::uint16_t applId = 0;
        std::uint16_t messageNumber = 0;
        BProtocols protocols;
    };

    void put(std::uint16_t applId, std::uint32_t address, BProtocols protocols);
    void expect(std::uint16_t applId, std::uint16_t messageNumber, BProtocols protocols);
    void confirm(std::uint16_t applId, std::uint16_t messageNumber, std::uint32_t address,
                 bool taken);

    std::array<PlciProtocols, plciCapacity> plcis_{};
    std::size_t nextPlci_ = 0;
    std::array<PendingRequest, requestCapacity> requests_{};
    std::size_t nextRequest_ = 0;
    std::optional<BProtocols> lastPut_;
};

}  // namespace ambertap
