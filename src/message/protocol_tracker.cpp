#include "protocol_tracker.h"

#include <optional>

#include "capi_vocabulary.h"
#include "decoded_message.h"

namespace ambertap {

namespace {

constexpr auto plciOf = CapiAddress::plciOf;

// The B protocols of a message's whole B protocol structure; an empty one
// means the defaults, which are protocol 0 in each layer.
std::optional<BProtocols> bProtocolsOf(const DecodedMessage& message) {
    const Field* structure = message.find("bProtocol");
    if (structure == nullptr || structure->cut) {
        return std::nullopt;
    }
    auto layer = [&](std::string_view key) {
        return static_cast<std::uint16_t>(
            DecodedMessage::numberOr(message.find(*structure, key), 0));
    };
    return BProtocols{layer("b1Protocol"), layer("b2Protocol"), layer("b3Protocol")};
}

}  // namespace

const BProtocols* ProtocolTracker::inForce(std::uint16_t applId, std::uint32_t address) const {
    for (const PlciProtocols& entry : plcis_) {
        if (entry.used && entry.applId == applId && entry.plci == plciOf(address)) {
            return &entry.protocols;
        }
    }
    return nullptr;
}

void ProtocolTracker::put(std::uint16_t applId, std::uint32_t address, BProtocols protocols) {
    lastPut_ = protocols;
    for (PlciProtocols& entry : plcis_) {
        if (entry.used && entry.applId == applId && entry.plci == plciOf(address)) {
            entry.protocols = protocols;
            return;
        }
    }
    plcis_[nextPlci_] = PlciProtocols{true, applId, plciOf(address), protocols};
    nextPlci_ = (nextPlci_ + 1) % plciCapacity;
}

void ProtocolTracker::expect(std::uint16_t applId, std::uint16_t messageNumber,
                             BProtocols protocols) {
    const PendingRequest request{true, applId, messageNumber, protocols};
    for (PendingRequest& pending : requests_) {
        if (pending.used && pending.applId == applId && pending.messageNumber == messageNumber) {
            pending = request;
            return;
        }
    }
    requests_[nextRequest_] = request;
    nextRequest_ = (nextRequest_ + 1) % requestCapacity;
}

void ProtocolTracker::confirm(std::uint16_t applId, std::uint16_t messageNumber,
                              std::uint32_t address, bool taken) {
    for (PendingRequest& request : requests_) {
        if (request.used && request.applId == applId && request.messageNumber == messageNumber) {
            request.used = false;
            if (taken) {
                put(applId, address, request.protocols);
            }
            return;
        }
    }
}

void ProtocolTracker::takeNote(const DecodedMessage& message) {
    lastPut_.reset();
    if (message.header(HeaderField::messageNumber) == nullptr) {
        return;
    }
    const std::uint16_t applId = message.headerWord(HeaderField::applId);
    const std::uint16_t messageNumber = message.headerWord(HeaderField::messageNumber);
    switch (message.commandWord()) {
        case connectReq:
            if (const auto protocols = bProtocolsOf(message)) {
                expect(applId, messageNumber, *protocols);
            }
            break;
        case connectConf:
            if (const Field* plci = message.find("plci"); plci != nullptr) {
                const Field* info = message.find("info");
                confirm(
                    applId, messageNumber, static_cast<std::uint32_t>(plci->value),
                    info != nullptr && InfoValue::taken(static_cast<std::uint16_t>(info->value)));
            }
            break;
        case connectResp:
        case selectBProtocolReq:
            if (const Field* plci = message.find("plci"); plci != nullptr) {
                if (const auto protocols = bProtocolsOf(message)) {
                    put(applId, static_cast<std::uint32_t>(plci->value), *protocols);
                }
            }
            break;
        default:
            break;
    }
}

}  // namespace ambertap
