#include "call_model.h"

#include <algorithm>
#include <optional>

#include "capi_vocabulary.h"

namespace ambertap {

namespace {

constexpr auto plciOf = CapiAddress::plciOf;
constexpr auto addressesPlci = CapiAddress::namesPlci;
constexpr auto addressesNcci = CapiAddress::namesNcci;

// Requests and confirmations, indications and responses pair up by these.
std::uint64_t exchangeKey(std::uint16_t applId, std::uint16_t commandWord,
                          std::uint16_t messageNumber) {
    return std::uint64_t{applId} << 24 |
           std::uint64_t{static_cast<std::uint8_t>(commandOf(commandWord))} << 16 | messageNumber;
}
std::uint32_t callKey(std::uint16_t applId, std::uint16_t plci) {
    return std::uint32_t{applId} << 16 | plci;
}

std::uint16_t wordOf(const DecodedMessage& message, std::string_view key) {
    return static_cast<std::uint16_t>(DecodedMessage::numberOr(message.find(key), 0));
}

// The address that the message's first parameter holds.
const Field* addressField(const DecodedMessage& message) {
    for (const Field& field : message.fields()) {
        if (field.depth == 0 && !isHeaderField(field) &&
            field.definition->meaning == Meaning::address) {
            return &field;
        }
    }
    return nullptr;
}

std::string digitsOf(const DecodedMessage& message, std::string_view key) {
    const Field* number = message.find(key);
    const Field* digits = number != nullptr ? message.find(*number, "digits") : nullptr;
    if (digits == nullptr) {
        return {};
    }
    const auto bytes = message.bytesOf(*digits);
    return std::string(bytes.begin(), bytes.end());
}

// The charge in units that an INFO_IND's element holds, or null.
const Field* chargeUnitsOf(const DecodedMessage& message) {
    const Field* element = message.find("infoElement");
    return element != nullptr ? message.find(*element, "chargeUnits") : nullptr;
}

// The pages that a T.30 NCPI counts, when the message holds one laid out.
Shown faxPagesOf(const DecodedMessage& message, std::uint64_t record) {
    const Field* ncpi = message.find("ncpi");
    const Field* pages = ncpi != nullptr ? message.find(*ncpi, "pages") : nullptr;
    if (pages == nullptr) {
        return {};
    }
    return Shown{true, static_cast<std::uint16_t>(pages->value), record};
}

}  // namespace

Severity severityOf(FindingKind kind) {
    switch (kind) {
        case FindingKind::neverAnswered:
        case FindingKind::answeredWithOtherAddress:
        case FindingKind::answeredWithOtherHandle:
        case FindingKind::usedAfterEnd:
        case FindingKind::errorInfo:
            return Severity::error;
        case FindingKind::neverConfirmed:
        case FindingKind::sendWindowExceeded:
        case FindingKind::receiveWindowExceeded:
        case FindingKind::clearedBeforeB3Down:
            return Severity::warning;
        case FindingKind::errorInfoAfterClearing:
        case FindingKind::facilityNotSupported:
        case FindingKind::listenWithoutCip:
        case FindingKind::callGivenUp:
        case FindingKind::openIndication:
        case FindingKind::openRequest:
        case FindingKind::messageCut:
            return Severity::note;
    }
    return Severity::note;
}

CheckCounts CallModel::counts() const {
    CheckCounts counts;
    for (const Finding& finding : findings_) {
        switch (severityOf(finding.kind)) {
            case Severity::error:
                ++counts.errors;
                break;
            case Severity::warning:
                ++counts.warnings;
                break;
            case Severity::note:
                ++counts.notes;
                break;
        }
    }
    return counts;
}

void CallModel::add(const TracedRecord& record) {
    if (record.message == nullptr) {
        return;
    }
    record_ = &record;
    if (!decoded().hasCommandWord() || decoded().cut()) {
        noteCut(record.index);
        return;
    }
    const Field* address = addressField(decoded());
    if (!decoded().known() || address == nullptr) {
        return;
    }
    const MessageRef message{record.index, decoded().commandWord(),
                             wordOf(decoded(), "messageNumber"),
                             static_cast<std::uint32_t>(address->value)};
    take(message, wordOf(decoded(), "applId"));
}

void CallModel::noteCut(std::uint64_t index) {
    MessageRef message;
    message.record = index;
    message.commandWord = decoded().commandWord();
    addFinding(FindingKind::messageCut, wordOf(decoded(), "applId"), message);
}

void CallModel::take(const MessageRef& message, std::uint16_t applId) {
    switch (subcommandOf(message.commandWord)) {
        case Subcommand::request:
            onRequest(message, applId);
            break;
        case Subcommand::confirmation:
            onConfirmation(message, applId);
            break;
        case Subcommand::indication:
            onIndication(message, applId);
            break;
        case Subcommand::response:
            onResponse(message, applId);
            break;
        default:
            break;
    }
}

// ---- Who a message belongs to ----

CallModel::Owner CallModel::ownerOf(const MessageRef& message, std::uint16_t applId,
                                    bool newCallAfterEnd) {
    Owner owner;
    // LISTEN and MANUFACTURER address a controller, whatever bits the
    // application sets above it.
    const CapiCommand command = commandOf(message.commandWord);
    if (command == CapiCommand::listen || command == CapiCommand::manufacturer ||
        !addressesPlci(message.address)) {
        owner.noCall = noCallOf(applId, CapiAddress::controllerByteOf(message.address));
        return owner;
    }
    const std::uint16_t plci = plciOf(message.address);
    const auto current = currentCall_.find(callKey(applId, plci));
    if (current != currentCall_.end() &&
        (!newCallAfterEnd || calls_[current->second].state != PlciState::ended)) {
        owner.call = current->second;
    } else {
        // A PLCI first seen otherwise than by its beginning: a call begun before
        // the trace, or one that a facility resumed.
        owner.call = beginCall(applId, plci, CallDirection::unknown, message.record);
        calls_[owner.call].begunBeforeTrace = true;
    }
    if (addressesNcci(message.address)) {
        const std::vector<Connection>& connections = calls_[owner.call].connections;
        for (std::size_t i = connections.size(); i-- > 0;) {
            if (connections[i].ncci == message.address) {
                owner.connection = static_cast<std::uint32_t>(i);
                return owner;
            }
        }
        owner.connection =
            beginConnection(calls_[owner.call], message.address, false, message.record);
        calls_[owner.call].connections[owner.connection].begunBeforeTrace = true;
    }
    return owner;
}

std::uint32_t CallModel::beginCall(std::uint16_t applId, std::uint16_t plci,
                                   CallDirection direction, std::uint64_t record) {
    Call call;
    call.applId = applId;
    call.plci = plci;
    call.direction = direction;
    call.firstRecord = record;
    call.lastRecord = record;
    const auto index = static_cast<std::uint32_t>(calls_.size());
    calls_.push_back(std::move(call));
    currentCall_[callKey(applId, plci)] = index;
    return index;
}

std::uint32_t CallModel::beginConnection(Call& call, std::uint32_t ncci, bool outgoing,
                                         std::uint64_t record) {
    Connection connection;
    connection.ncci = ncci;
    connection.outgoing = outgoing;
    connection.firstRecord = record;
    call.connections.push_back(connection);
    return static_cast<std::uint32_t>(call.connections.size() - 1);
}

std::uint32_t CallModel::noCallOf(std::uint16_t applId, std::uint8_t controller) {
    const std::uint32_t key = std::uint32_t{applId} << 8 | controller;
    const auto [entry, added] =
        noCallGroup_.try_emplace(key, static_cast<std::uint32_t>(noCall_.size()));
    if (added) {
        NoCallMessages group;
        group.applId = applId;
        group.controller = controller;
        noCall_.push_back(group);
    }
    return entry->second;
}

void CallModel::countNoCall(std::uint32_t group, const MessageRef& message) {
    NoCallMessages& messages = noCall_[group];
    if (messages.firstRecord == 0) {
        messages.firstRecord = message.record;
    }
    messages.lastRecord = message.record;
    for (NoCallMessages::Kind& kind : messages.kinds) {
        if (kind.commandWord == message.commandWord) {
            ++kind.count;
            kind.lastRecord = message.record;
            return;
        }
    }
    messages.kinds.push_back({message.commandWord, 1, message.record, message.record});
}

Call* CallModel::callOf(const Owner& owner) {
    return owner.call != Owner::none ? &calls_[owner.call] : nullptr;
}

Connection* CallModel::connectionOf(const Owner& owner) {
    Call* call = callOf(owner);
    return call != nullptr && owner.connection != Owner::none ? &call->connections[owner.connection]
                                                              : nullptr;
}

MessageRef& CallModel::lastConfirmedRequestOf(const Owner& owner) {
    if (Connection* connection = connectionOf(owner)) {
        return connection->lastConfirmedRequest;
    }
    if (Call* call = callOf(owner)) {
        return call->lastConfirmedRequest;
    }
    return noCall_[owner.noCall].lastConfirmedRequest;
}

// An application's message on a PLCI or NCCI whose end it has answered,
// unless a new call got the PLCI since.
bool CallModel::usesEndedAddress(const MessageRef& message, std::uint16_t applId, Owner& owner) {
    owner = ownerOf(message, applId, false);
    const Call* call = callOf(owner);
    if (call == nullptr) {
        return false;
    }
    MessageRef end;
    if (call->state == PlciState::ended) {
        end = MessageRef{call->endRecord, disconnectResp, 0, call->plci};
    } else if (const Connection* connection = connectionOf(owner);
               connection != nullptr && connection->state == NcciState::ended) {
        end = MessageRef{connection->endRecord, disconnectB3Resp, 0, connection->ncci};
    } else {
        return false;
    }
    addFinding(FindingKind::usedAfterEnd, applId, message, end);
    return true;
}

// ---- Open requests and indications ----

void CallModel::registerRequest(const Pending& request) {
    const std::uint64_t key =
        exchangeKey(request.applId, request.message.commandWord, request.message.messageNumber);
    const auto [entry, added] = requests_.try_emplace(key, request);
    if (!added) {
        // The same number again before its confirmation: the earlier request
        // can no longer be told from this one, so it is left out.
        releaseRequest(entry->second);
        entry->second = request;
    }
    if (Connection* connection = connectionOf(request.owner);
        connection != nullptr && commandOf(request.message.commandWord) == CapiCommand::dataB3) {
        ++connection->unconfirmedData;
    }
}

void CallModel::releaseRequest(const Pending& request) {
    if (Connection* connection = connectionOf(request.owner);
        connection != nullptr && commandOf(request.message.commandWord) == CapiCommand::dataB3) {
        --connection->unconfirmedData;
        connection->sendWindowWarned = connection->unconfirmedData > dataB3Window;
    }
}

void CallModel::registerIndication(const Pending& indication) {
    const std::uint64_t key = exchangeKey(indication.applId, indication.message.commandWord,
                                          indication.message.messageNumber);
    const auto [entry, added] = indications_.try_emplace(key, indication);
    if (!added) {
        // The same number again before its answer: the earlier indication can
        // no longer be told from this one, so it is left out.
        releaseIndication(entry->second);
        entry->second = indication;
    }
    if (Call* call = callOf(indication.owner)) {
        ++call->openIndications;
    }
    if (Connection* connection = connectionOf(indication.owner)) {
        ++connection->openIndications;
        if (commandOf(indication.message.commandWord) == CapiCommand::dataB3) {
            ++connection->unansweredData;
        }
    }
}

void CallModel::releaseIndication(const Pending& indication) {
    if (Call* call = callOf(indication.owner)) {
        --call->openIndications;
    }
    if (Connection* connection = connectionOf(indication.owner)) {
        --connection->openIndications;
        if (commandOf(indication.message.commandWord) == CapiCommand::dataB3) {
            --connection->unansweredData;
            connection->receiveWindowWarned = connection->unansweredData > dataB3Window;
        }
    }
}

void CallModel::checkDataWindow(Connection& connection, const MessageRef& message,
                                std::uint16_t applId, bool sending) {
    const std::uint32_t waiting = sending ? connection.unconfirmedData : connection.unansweredData;
    bool& warned = sending ? connection.sendWindowWarned : connection.receiveWindowWarned;
    if (waiting > dataB3Window && !warned) {
        warned = true;
        addFinding(sending ? FindingKind::sendWindowExceeded : FindingKind::receiveWindowExceeded,
                   applId, message, {}, waiting);
    }
}

// ---- Requests and confirmations ----

void CallModel::onRequest(const MessageRef& message, std::uint16_t applId) {
    const CapiCommand command = commandOf(message.commandWord);
    Owner owner;
    const bool afterEnd = usesEndedAddress(message, applId, owner);
    if (command == CapiCommand::connect) {
        // Its call begins with the confirmation that gives the PLCI.
        connectRequests_[exchangeKey(applId, message.commandWord, message.messageNumber)] =
            detailsOf();
    } else if (owner.noCall != Owner::none) {
        countNoCall(owner.noCall, message);
    }
    if (const Field* cipMask = decoded().find("cipMask");
        command == CapiCommand::listen && cipMask != nullptr && cipMask->value == 0) {
        addFinding(FindingKind::listenWithoutCip, applId, message);
    }
    registerRequest(Pending{message, applId, owner, wordOf(decoded(), "dataHandle")});

    Call* call = callOf(owner);
    if (call == nullptr || afterEnd) {
        return;
    }
    call->lastRecord = message.record;
    Connection* connection = connectionOf(owner);
    switch (command) {
        case CapiCommand::alert:
            if (call->alertRecord == 0) {
                call->alertRecord = message.record;
            }
            break;
        case CapiCommand::disconnect:
            if (call->clearedBy == ClearedBy::notCleared) {
                call->clearedBy = ClearedBy::application;
            }
            if (call->state != PlciState::disconnected) {
                call->state = PlciState::disconnecting;
            }
            break;
        case CapiCommand::selectBProtocol:
            call->bProtocolsShown = takeBProtocolsPutInForce(*call);
            break;
        default:
            break;
    }
    if (connection == nullptr) {
        return;
    }
    switch (command) {
        case CapiCommand::disconnectB3:
            if (connection->clearedBy == ClearedBy::notCleared) {
                connection->clearedBy = ClearedBy::application;
            }
            if (connection->state != NcciState::disconnected) {
                connection->state = NcciState::disconnecting;
            }
            break;
        case CapiCommand::dataB3:
            ++connection->sent.blocks;
            connection->sent.bytes += wordOf(decoded(), "dataLength");
            checkDataWindow(*connection, message, applId, true);
            break;
        default:
            break;
    }
}

void CallModel::onConfirmation(const MessageRef& message, std::uint16_t applId) {
    const CapiCommand command = commandOf(message.commandWord);
    const std::uint64_t key = exchangeKey(applId, message.commandWord, message.messageNumber);
    const bool taken = InfoValue::taken(wordOf(decoded(), "info"));

    Pending request;
    const auto open = requests_.find(key);
    const bool paired = open != requests_.end();
    if (paired) {
        request = open->second;
        requests_.erase(open);
        releaseRequest(request);
        if (MessageRef& last = lastConfirmedRequestOf(request.owner);
            last.record < request.message.record) {
            last = request.message;
        }
    }
    const std::uint64_t firstRecord = paired ? request.message.record : message.record;

    Owner owner = paired ? request.owner : Owner{};
    if (command == CapiCommand::connect) {
        owner = Owner{};
        const auto details = connectRequests_.find(key);
        if (taken && addressesPlci(message.address)) {
            owner.call =
                beginCall(applId, plciOf(message.address), CallDirection::outgoing, firstRecord);
            Call& call = calls_[owner.call];
            call.begunBeforeTrace = !paired;
            call.state = PlciState::outgoing;
            if (details != connectRequests_.end()) {
                setCallDetails(call, details->second);
                call.bProtocolsShown = takeBProtocolsPutInForce(call);
            }
        } else {
            // No PLCI: the attempt belongs to no call.
            owner.noCall = noCallOf(applId, CapiAddress::controllerByteOf(
                                                (paired ? request.message : message).address));
            if (paired) {
                countNoCall(owner.noCall, request.message);
            }
        }
        if (details != connectRequests_.end()) {
            connectRequests_.erase(details);
        }
    } else if (!paired) {
        // A CONNECT_B3_CONF begins its connection below, on its PLCI's call.
        MessageRef addressed = message;
        if (command == CapiCommand::connectB3) {
            addressed.address = plciOf(message.address);
        }
        owner = ownerOf(addressed, applId, false);
    }

    if (owner.noCall != Owner::none) {
        countNoCall(owner.noCall, message);
    }
    if (Call* call = callOf(owner); call != nullptr && call->state != PlciState::ended) {
        call->lastRecord = message.record;
        if (command == CapiCommand::connectB3 && taken && addressesNcci(message.address)) {
            const std::uint32_t index = beginConnection(*call, message.address, true, firstRecord);
            call->connections[index].begunBeforeTrace = !paired;
            call->connections[index].state = NcciState::connecting;
        }
    }
    if (!taken) {
        checkErrorInfo(message, paired ? &request : nullptr, owner, applId);
    }
}

void CallModel::checkErrorInfo(const MessageRef& confirmation, const Pending* request,
                               const Owner& owner, std::uint16_t applId) {
    const std::uint16_t infoValue = wordOf(decoded(), "info");
    const MessageRef asked = request != nullptr ? request->message : MessageRef{};
    if (commandOf(confirmation.commandWord) == CapiCommand::facility &&
        infoValue == InfoValue::facilityNotSupported) {
        // Applications ask whether a facility is there.
        addFinding(FindingKind::facilityNotSupported, applId, confirmation, asked, infoValue);
        return;
    }
    const Call* call = callOf(owner);
    if (call == nullptr) {
        addFinding(FindingKind::errorInfo, applId, confirmation, asked, infoValue);
        return;
    }
    // A clearing indication for the same PLCI or NCCI between the request and
    // its confirmation: the two crossed, which is no fault. Without the
    // request in the trace, that cannot be ruled out.
    std::uint64_t clearing = call->clearingRecord;
    if (const Connection* connection = connectionOf(owner)) {
        clearing = std::max(clearing, connection->clearingRecord);
    }
    if (request == nullptr || clearing > asked.record) {
        addFinding(FindingKind::errorInfoAfterClearing, applId, confirmation, asked, infoValue,
                   request != nullptr ? clearing : 0);
        return;
    }
    addFinding(FindingKind::errorInfo, applId, confirmation, asked, infoValue);
}

// ---- Indications and responses ----

void CallModel::onIndication(const MessageRef& message, std::uint16_t applId) {
    const CapiCommand command = commandOf(message.commandWord);
    Owner owner;
    if (command == CapiCommand::connect && addressesPlci(message.address)) {
        owner.call =
            beginCall(applId, plciOf(message.address), CallDirection::incoming, message.record);
        calls_[owner.call].state = PlciState::incoming;
        setCallDetails(calls_[owner.call], detailsOf());
    } else if (command == CapiCommand::connectB3 && addressesNcci(message.address) &&
               addressesPlci(message.address)) {
        MessageRef plciMessage = message;
        plciMessage.address = plciOf(message.address);
        owner = ownerOf(plciMessage, applId, true);
        owner.connection =
            beginConnection(calls_[owner.call], message.address, false, message.record);
        calls_[owner.call].connections[owner.connection].state = NcciState::incoming;
    } else {
        owner = ownerOf(message, applId, true);
    }
    if (owner.noCall != Owner::none) {
        countNoCall(owner.noCall, message);
        registerIndication(Pending{message, applId, owner, 0});
        return;
    }

    Call& call = calls_[owner.call];
    call.lastRecord = message.record;
    switch (command) {
        case CapiCommand::connectActive:
            if (call.connectedRecord == 0) {
                call.connectedRecord = message.record;
            }
            call.connectedNumber = digitsOf(decoded(), "connectedNumber");
            call.state = PlciState::active;
            break;
        case CapiCommand::disconnect:
            call.reason = Shown{true, wordOf(decoded(), "reason"), message.record};
            call.clearingRecord = message.record;
            if (call.clearedBy == ClearedBy::notCleared) {
                call.clearedBy = ClearedBy::network;
            }
            call.state = PlciState::disconnected;
            markCallGivenUp(owner.call);
            break;
        case CapiCommand::info:
            if (const Field* units = chargeUnitsOf(decoded());
                units != nullptr && wordOf(decoded(), "infoNumber") == InfoNumber::chargeInUnits) {
                call.charge = {true, static_cast<std::uint32_t>(units->value), message.record};
            }
            break;
        default:
            break;
    }
    registerIndication(Pending{message, applId, owner, wordOf(decoded(), "dataHandle")});
    Connection* connection = connectionOf(owner);
    if (connection == nullptr) {
        return;
    }
    switch (command) {
        case CapiCommand::connectB3Active:
        case CapiCommand::connectB3T90Active:
            if (connection->connectedRecord == 0) {
                connection->connectedRecord = message.record;
            }
            connection->state = NcciState::active;
            break;
        case CapiCommand::dataB3:
            ++connection->received.blocks;
            connection->received.bytes += wordOf(decoded(), "dataLength");
            checkDataWindow(*connection, message, applId, false);
            break;
        case CapiCommand::disconnectB3:
            connection->reasonB3 = Shown{true, wordOf(decoded(), "reasonB3"), message.record};
            connection->clearingRecord = message.record;
            if (connection->clearedBy == ClearedBy::notCleared) {
                connection->clearedBy = ClearedBy::network;
            }
            connection->state = NcciState::disconnected;
            break;
        default:
            break;
    }
    if (const Shown pages = faxPagesOf(decoded(), message.record); pages.shown) {
        connection->faxPages = pages;
    }
}

// A CONNECT_IND still waiting when its call's DISCONNECT_IND comes: the caller
// gave up, or another application got the call. The trace cannot tell a
// forgotten answer from a phone left ringing.
void CallModel::markCallGivenUp(std::uint32_t call) {
    if (calls_[call].openIndications == 0) {
        return;
    }
    for (auto& [key, indication] : indications_) {
        if (indication.owner.call == call &&
            commandOf(indication.message.commandWord) == CapiCommand::connect) {
            indication.givenUp = true;
        }
    }
}

void CallModel::onResponse(const MessageRef& message, std::uint16_t applId) {
    const CapiCommand command = commandOf(message.commandWord);
    Owner owner;
    const bool afterEnd = usesEndedAddress(message, applId, owner);

    const auto open =
        indications_.find(exchangeKey(applId, message.commandWord, message.messageNumber));
    if (open != indications_.end()) {
        const Pending indication = open->second;
        indications_.erase(open);
        releaseIndication(indication);
        const std::uint16_t handle = wordOf(decoded(), "dataHandle");
        if (message.address != indication.message.address) {
            addFinding(FindingKind::answeredWithOtherAddress, applId, message, indication.message,
                       message.address, indication.message.address);
        } else if (command == CapiCommand::dataB3 && handle != indication.dataHandle) {
            addFinding(FindingKind::answeredWithOtherHandle, applId, message, indication.message,
                       handle, indication.dataHandle);
        }
    }

    if (owner.noCall != Owner::none) {
        countNoCall(owner.noCall, message);
        return;
    }
    if (afterEnd) {
        return;
    }
    Call& call = calls_[owner.call];
    call.lastRecord = message.record;
    switch (command) {
        case CapiCommand::connect: {
            const std::uint16_t reject = wordOf(decoded(), "reject");
            call.reject = Shown{true, reject, message.record};
            if (takeBProtocolsPutInForce(call)) {
                call.bProtocolsShown = true;
            }
            call.state = reject == 0 ? PlciState::answered : PlciState::rejected;
            if (reject != 0) {
                call.clearedBy = ClearedBy::application;
            }
            break;
        }
        case CapiCommand::connectActive:
            // CONNECT_ACTIVE_IND comes only once CONNECT_IND is answered.
            closeSkippedIndications(owner, true, message, applId, CapiCommand::connect);
            break;
        case CapiCommand::disconnect:
            endCall(owner, message, applId);
            return;
        default:
            break;
    }
    Connection* connection = connectionOf(owner);
    if (connection == nullptr) {
        return;
    }
    switch (command) {
        case CapiCommand::connectB3:
            if (wordOf(decoded(), "reject") == 0) {
                connection->state = NcciState::connecting;
            } else {
                connection->state = NcciState::rejected;
                connection->clearedBy = ClearedBy::application;
            }
            break;
        case CapiCommand::connectB3Active:
        case CapiCommand::connectB3T90Active:
            // CONNECT_B3_ACTIVE_IND comes only once CONNECT_B3_IND is answered.
            closeSkippedIndications(owner, false, message, applId, CapiCommand::connectB3);
            break;
        case CapiCommand::disconnectB3:
            closeSkippedIndications(owner, false, message, applId, std::nullopt);
            connection->state = NcciState::ended;
            connection->endRecord = message.record;
            break;
        default:
            break;
    }
}

// The end of a PLCI ends its B3 connections too: a DISCONNECT_B3_IND still
// waiting shows that the call was cleared before they were answered down, and
// every other indication still waiting on the call was skipped.
void CallModel::endCall(const Owner& owner, const MessageRef& end, std::uint16_t applId) {
    Call& call = calls_[owner.call];
    if (call.openIndications > 0) {
        for (const auto& [key, indication] :
             waitingIndications(owner, true, CapiCommand::disconnectB3)) {
            indications_.erase(key);
            releaseIndication(indication);
            addFinding(FindingKind::clearedBeforeB3Down, applId, end, indication.message);
        }
        closeSkippedIndications(owner, true, end, applId, std::nullopt);
    }
    for (Connection& connection : call.connections) {
        if (connection.state != NcciState::ended) {
            connection.state = NcciState::ended;
            connection.endRecord = end.record;
        }
    }
    call.state = PlciState::ended;
    call.endRecord = end.record;
}

std::vector<std::pair<std::uint64_t, CallModel::Pending>> CallModel::waitingIndications(
    const Owner& scope, bool wholeCall, std::optional<CapiCommand> onlyCommand) const {
    std::vector<std::pair<std::uint64_t, Pending>> found;
    for (const auto& [key, indication] : indications_) {
        if (indication.owner.call == scope.call &&
            (wholeCall || indication.owner.connection == scope.connection) &&
            (!onlyCommand || commandOf(indication.message.commandWord) == *onlyCommand)) {
            found.emplace_back(key, indication);
        }
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        return a.second.message.record < b.second.message.record;
    });
    return found;
}

void CallModel::closeSkippedIndications(const Owner& scope, bool wholeCall, const MessageRef& proof,
                                        std::uint16_t applId,
                                        std::optional<CapiCommand> onlyCommand) {
    const Call& call = calls_[scope.call];
    const Connection* connection = wholeCall ? nullptr : connectionOf(scope);
    if (call.openIndications == 0 || (connection != nullptr && connection->openIndications == 0)) {
        return;
    }
    for (const auto& [key, indication] : waitingIndications(scope, wholeCall, onlyCommand)) {
        indications_.erase(key);
        releaseIndication(indication);
        if (indication.givenUp) {
            addFinding(FindingKind::callGivenUp, applId, indication.message,
                       MessageRef{call.clearingRecord, disconnectInd, 0, call.plci},
                       call.reason.value);
        } else {
            addFinding(FindingKind::neverAnswered, applId, indication.message, proof);
        }
    }
}

// ---- What a message says about its call ----

CallModel::CallDetails CallModel::detailsOf() const {
    CallDetails details;
    if (const Field* cip = decoded().find("cipValue")) {
        details.cipValue = Shown{true, static_cast<std::uint16_t>(cip->value), 0};
    }
    details.calledNumber = digitsOf(decoded(), "calledPartyNumber");
    details.callingNumber = digitsOf(decoded(), "callingPartyNumber");
    return details;
}

void CallModel::setCallDetails(Call& call, const CallDetails& details) {
    call.cipValue = details.cipValue;
    call.numbersShown = true;
    call.calledNumber = details.calledNumber;
    call.callingNumber = details.callingNumber;
}

// The B protocols that the message just taken put in force on its PLCI, as
// the protocol tracker read them.
bool CallModel::takeBProtocolsPutInForce(Call& call) const {
    const BProtocols* protocols = record_->putInForce;
    if (protocols == nullptr) {
        return false;
    }
    call.bProtocols = *protocols;
    return true;
}

// ---- The end of the trace ----

void CallModel::finish() {
    reportOpenExchanges();
    std::stable_sort(findings_.begin(), findings_.end(), [](const Finding& a, const Finding& b) {
        return a.subject.record < b.subject.record;
    });
}

// What the trace leaves open is a note, unless a later confirmation of the
// same application on the same address proves a request skipped.
void CallModel::reportOpenExchanges() {
    auto byRecord = [](const Pending& a, const Pending& b) {
        return a.message.record < b.message.record;
    };
    std::vector<Pending> open;
    open.reserve(indications_.size());
    for (const auto& [key, indication] : indications_) {
        open.push_back(indication);
    }
    std::sort(open.begin(), open.end(), byRecord);
    for (const Pending& indication : open) {
        if (const Call* call = callOf(indication.owner); call != nullptr && indication.givenUp) {
            addFinding(FindingKind::callGivenUp, indication.applId, indication.message,
                       MessageRef{call->clearingRecord, disconnectInd, 0, call->plci},
                       call->reason.value);
        } else {
            addFinding(FindingKind::openIndication, indication.applId, indication.message);
        }
    }
    open.clear();
    for (const auto& [key, request] : requests_) {
        open.push_back(request);
    }
    std::sort(open.begin(), open.end(), byRecord);
    for (const Pending& request : open) {
        const MessageRef& laterConfirmed = lastConfirmedRequestOf(request.owner);
        if (laterConfirmed.record > request.message.record) {
            addFinding(FindingKind::neverConfirmed, request.applId, request.message,
                       laterConfirmed);
        } else {
            addFinding(FindingKind::openRequest, request.applId, request.message);
        }
    }
    indications_.clear();
    requests_.clear();
    connectRequests_.clear();
}

void CallModel::addFinding(FindingKind kind, std::uint16_t applId, const MessageRef& subject,
                           const MessageRef& related, std::uint64_t value, std::uint64_t expected) {
    findings_.push_back(Finding{kind, applId, subject, related, value, expected});
}

}  // namespace ambertap
