#include "call_model.h"

#include <algorithm>

#include "capi_vocabulary.h"
#include "element_descriptions.h"
#include "field_meaning.h"
#include "value_names.h"

namespace ambertap {

namespace {

constexpr auto plciOf = CapiAddress::plciOf;
constexpr auto addressesPlci = CapiAddress::namesPlci;
constexpr auto addressesNcci = CapiAddress::namesNcci;

// Requests and confirmations, indications and responses pair up by these.
std::uint64_t exchangeKey(std::uint16_t applId, const MessageRef& message) {
    return std::uint64_t{applId} << 24 |
           std::uint64_t{static_cast<std::uint8_t>(commandOf(message.commandWord))} << 16 |
           message.messageNumber;
}
std::uint32_t callKey(std::uint16_t applId, std::uint16_t plci) {
    return std::uint32_t{applId} << 16 | plci;
}

std::uint16_t wordOf(const DecodedMessage& message, std::string_view key) {
    return static_cast<std::uint16_t>(DecodedMessage::numberOr(message.find(key), 0));
}

// The address that the message's first parameter holds.
const Field* addressField(const DecodedMessage& message) {
    for (const Field& field : message.parameters()) {
        if (field.depth == 0 && field.definition->meaning == Meaning::address) {
            return &field;
        }
    }
    return nullptr;
}

// Whether a confirmation's Info says its request was taken, and a response's
// Reject that it accepts; other messages have neither.
bool acceptedBy(const DecodedMessage& message) {
    switch (subcommandOf(message.commandWord())) {
        case Subcommand::confirmation:
            return InfoValue::taken(wordOf(message, "info"));
        case Subcommand::response:
            return wordOf(message, "reject") == 0;
        default:
            return true;
    }
}

bool takes(Outcome outcome, bool accepted) {
    return outcome == Outcome::any || (outcome == Outcome::accepted) == accepted;
}

template <typename State, std::size_t count>
StepTaken<State> stepBy(const Step<State> (&table)[count], State from, std::uint16_t commandWord,
                        bool accepted) {
    StepTaken<State> taken;
    for (const Step<State>& step : table) {
        if (step.commandWord != commandWord || step.from.empty()) {
            continue;
        }
        taken.kind = StepTaken<State>::outOfStep;
        if (step.from.has(from) && takes(step.outcome, accepted)) {
            return {StepTaken<State>::moved, step.to};
        }
    }
    return taken;
}

template <typename State, std::size_t count>
std::optional<State> beginningBy(const Step<State> (&table)[count], std::uint16_t commandWord,
                                 bool accepted) {
    for (const Step<State>& step : table) {
        if (step.commandWord == commandWord && step.from.empty() && takes(step.outcome, accepted)) {
            return step.to;
        }
    }
    return std::nullopt;
}

template <typename State, std::size_t count>
constexpr bool rowsInOrder(const StateRow<State> (&rows)[count]) {
    for (std::size_t at = 0; at < count; ++at) {
        if (rows[at].state != static_cast<State>(at)) {
            return false;
        }
    }
    return true;
}
static_assert(rowsInOrder(plciStates) && std::size(plciStates) == 9);
static_assert(rowsInOrder(ncciStates) && std::size(ncciStates) == 8);

constexpr bool kindsInOrder() {
    for (std::size_t at = 0; at < std::size(findingKinds); ++at) {
        if (findingKinds[at].kind != static_cast<FindingKind>(at)) {
            return false;
        }
    }
    return std::size(findingKinds) == std::variant_size_v<FindingDetails>;
}
static_assert(kindsInOrder(), "one row a kind of finding, in the order of FindingKind");

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

void clearedBy(ClearedBy& side, ClearedBy first) {
    if (side == ClearedBy::notCleared) {
        side = first;
    }
}

// The bearer that a CONNECT_REQ's or CONNECT_IND's BC says.
Bearer bearerOf(const DecodedMessage& message, const MessageRef& from) {
    Bearer bearer;
    const Field* bc = message.find("bc");
    if (bc == nullptr) {
        return bearer;
    }
    bearer.description = bearerDescription(message, *bc);
    bearer.shown = !bearer.description.empty();
    if (const Field* capability = message.find(*bc, "informationTransferCapability")) {
        bearer.capabilityShown = true;
        bearer.capability = static_cast<std::uint8_t>(capability->value);
        bearer.capabilityName = numberMeaning(*capability).name;
    }
    bearer.from = from;
    return bearer;
}

// The cause element that an INFO_IND brings; not shown when it brings none.
NetworkCause causeOf(const DecodedMessage& message, std::uint64_t record) {
    NetworkCause cause;
    const Field* element = message.find("infoElement");
    const Field* value = element != nullptr ? message.find(*element, "cause") : nullptr;
    if (value == nullptr || wordOf(message, "infoNumber") != InfoNumber::cause) {
        return cause;
    }
    cause.shown = true;
    cause.cause = static_cast<std::uint8_t>(value->value);
    cause.name = numberMeaning(*value).name;
    if (const Field* location = message.find(*element, "location")) {
        cause.locationShown = true;
        cause.location = static_cast<std::uint8_t>(location->value);
        cause.locationName = numberMeaning(*location).name;
    }
    cause.description = causeDescription(message, *element);
    cause.record = record;
    return cause;
}

// Keeps the last element of each cause value.
void keepCause(std::vector<NetworkCause>& causes, NetworkCause cause) {
    for (NetworkCause& kept : causes) {
        if (kept.cause == cause.cause) {
            kept = std::move(cause);
            return;
        }
    }
    causes.push_back(std::move(cause));
}

// The cause element of the cause that a DISCONNECT_IND's Reason carries.
NetworkCause causeOfReason(const std::vector<NetworkCause>& causes, std::uint16_t reason) {
    const int carried = networkCauseOf(reason);
    for (const NetworkCause& cause : causes) {
        if (cause.cause == carried) {
            return cause;
        }
    }
    return {};
}

CallDetails callDetailsOf(const DecodedMessage& message, const MessageRef& from) {
    CallDetails details;
    details.bearer = bearerOf(message, from);
    if (const Field* cip = message.find("cipValue")) {
        details.cipValue = Shown{true, static_cast<std::uint16_t>(cip->value), 0};
    }
    details.calledNumber = digitsOf(message, "calledPartyNumber");
    details.callingNumber = digitsOf(message, "callingPartyNumber");
    return details;
}

void setCallDetails(Call& call, const CallDetails& details) {
    call.cipValue = details.cipValue;
    call.numbersShown = true;
    call.calledNumber = details.calledNumber;
    call.callingNumber = details.callingNumber;
    call.bearer = details.bearer;
}

}  // namespace

// ---- The rules' lookups ----

const char* shownAs(PlciState state) {
    return plciStates[static_cast<std::size_t>(state)].shownAs;
}
const char* shownAs(NcciState state) {
    return ncciStates[static_cast<std::size_t>(state)].shownAs;
}
StepTaken<PlciState> plciStep(PlciState from, std::uint16_t commandWord, bool accepted) {
    return stepBy(plci_steps::table, from, commandWord, accepted);
}
StepTaken<NcciState> ncciStep(NcciState from, std::uint16_t commandWord, bool accepted) {
    return stepBy(ncci_steps::table, from, commandWord, accepted);
}
std::optional<PlciState> plciBeginning(std::uint16_t commandWord, bool accepted) {
    return beginningBy(plci_steps::table, commandWord, accepted);
}
std::optional<NcciState> ncciBeginning(std::uint16_t commandWord, bool accepted) {
    return beginningBy(ncci_steps::table, commandWord, accepted);
}

bool b1UnfitForBearer(std::uint8_t capability, std::uint16_t b1) {
    for (const BearerContent& bearer : bearerContents) {
        for (const B1Content& protocol : b1Contents) {
            if (bearer.capability == capability && protocol.b1 == b1) {
                return bearer.content != protocol.content;
            }
        }
    }
    return false;
}

// ---- The one entry ----

void CallModel::add(const TracedRecord& record) {
    if (record.message != nullptr) {
        take(*record.message, record.index, record.putInForce);
    }
}

void CallModel::take(const DecodedMessage& decoded, std::uint64_t index,
                     const BProtocols* protocolsPutInForce) {
    lastRecord_ = index;
    if (!decoded.hasCommandWord() || decoded.cut()) {
        const MessageRef cut{index, decoded.commandWord(), 0, 0};
        report(decoded.headerWord(HeaderField::applId), cut, MessageCut{});
        place(cut, decoded.headerWord(HeaderField::applId), Owner{});
        return;
    }
    const Field* address = addressField(decoded);
    if (!decoded.known() || address == nullptr) {
        place(MessageRef{index, decoded.commandWord(), 0, 0},
              decoded.headerWord(HeaderField::applId), Owner{});
        return;
    }
    const Message message{
        MessageRef{index, decoded.commandWord(), decoded.headerWord(HeaderField::messageNumber),
                   static_cast<std::uint32_t>(address->value)},
        decoded.headerWord(HeaderField::applId), decoded, protocolsPutInForce, acceptedBy(decoded)};
    switch (subcommandOf(message.ref.commandWord)) {
        case Subcommand::request:
            return onRequest(message);
        case Subcommand::confirmation:
            return onConfirmation(message);
        case Subcommand::indication:
            return onIndication(message);
        case Subcommand::response:
            return onResponse(message);
    }
}

void CallModel::addGap(const CaptureGap& gap) {
    const bool certain = gap.kind != static_cast<std::uint32_t>(GapKind::possible);
    gaps_.push_back(TraceGap{certain, gap.from, gap.to, lastRecord_});
    // What waited before the gap may have been answered in it.
    for (auto& [number, call] : openCalls_) {
        call.steppedSinceGap = false;
        for (Connection& connection : call.connections) {
            connection.steppedSinceGap = false;
            connection.sending.restart();
            connection.receiving.restart();
        }
    }
    for (PendingMap* exchanges : {&requests_, &indications_}) {
        for (auto& [key, pending] : *exchanges) {
            pending.inWindow = false;
        }
    }
}

std::uint64_t CallModel::settledBefore() const {
    const std::uint64_t next = lastRecord_ + 1;
    return openRecords_.empty() ? next : std::min(next, *openRecords_.begin());
}

// ---- The four kinds of message ----

void CallModel::onRequest(const Message& message) {
    bool afterEnd = false;
    const Owner owner = ownerOfApplicationMessage(message, afterEnd);
    if (commandOf(message.ref.commandWord) == CapiCommand::connect) {
        // Its call begins with the confirmation that gives the PLCI.
        noteConnectRequest(message);
    } else {
        countNoCall(owner, message.ref);
    }
    checkListen(message);
    // A request after the end belongs to nothing that its fate could prove.
    Pending& request = open(requests_,
                            Pending{message.ref, message.applId, afterEnd ? Owner{} : owner,
                                    wordOf(message.decoded, "dataHandle")},
                            true);
    if (commandOf(message.ref.commandWord) != CapiCommand::connect) {
        place(message.ref, message.applId, request.owner);
    }
    if (afterEnd) {
        return;
    }
    takeIntoWindow(request, message, true);
    follow(owner, message);
}

void CallModel::onConfirmation(const Message& message) {
    Pending request;
    const bool paired = close(requests_, message, request);
    Owner owner = paired ? request.owner : Owner{};
    const CapiCommand command = commandOf(message.ref.commandWord);
    if (command == CapiCommand::connect) {
        beginOutgoingCall(message, paired ? &request : nullptr, owner);
        if (paired) {
            place(request.message, request.applId, owner);
        }
    } else if (!paired) {
        // A CONNECT_B3_CONF begins its connection below, on its PLCI's call.
        owner = command == CapiCommand::connectB3
                    ? ownerOfAddress(message, plciOf(message.ref.address), false)
                    : ownerOf(message, false);
    }
    countNoCall(owner, message.ref);
    place(message.ref, message.applId, owner, paired ? request.message.record : 0);
    if (paired) {
        proveByConfirmation(message, request);
    }
    if (Call* call = callOf(owner)) {
        call->lastRecord = message.ref.record;
        if (const auto state = ncciBeginning(message.ref.commandWord, message.accepted);
            state && addressesNcci(message.ref.address)) {
            const std::uint32_t index = beginConnection(
                *call, message, *state, true, paired ? request.message.record : message.ref.record);
            call->connections[index].begunBeforeTrace = !paired;
        }
    }
    if (!message.accepted) {
        checkRefusal(message, paired ? &request : nullptr, owner);
    }
}

void CallModel::onIndication(const Message& message) {
    const Owner owner = ownerOfIndication(message);
    countNoCall(owner, message.ref);
    Pending& indication = open(
        indications_,
        Pending{message.ref, message.applId, owner, wordOf(message.decoded, "dataHandle")}, false);
    place(message.ref, message.applId, owner);
    takeIntoWindow(indication, message, false);
    follow(owner, message);
    if (commandOf(message.ref.commandWord) == CapiCommand::disconnect) {
        markCallGivenUp(owner);
    }
}

void CallModel::onResponse(const Message& message) {
    bool afterEnd = false;
    const Owner owner = ownerOfApplicationMessage(message, afterEnd);
    place(message.ref, message.applId, owner, answerIndication(message));
    countNoCall(owner, message.ref);
    if (afterEnd) {
        return;
    }
    if (const Call* call = callOf(owner)) {
        checkBearer(*call, message);
    }
    proveByResponse(message, owner);
    follow(owner, message);
}

// ---- Who a message belongs to ----

CallModel::Owner CallModel::ownerOf(const Message& message, bool newCallAfterEnd) {
    return ownerOfAddress(message, message.ref.address, newCallAfterEnd);
}

// The call (and connection) of `address`, or its messages of no call. A PLCI
// or NCCI not seen before begins a call or connection begun before the trace;
// so does a PLCI whose call has ended, when `newCallAfterEnd`, and otherwise
// the message has no owner.
CallModel::Owner CallModel::ownerOfAddress(const Message& message, std::uint32_t address,
                                           bool newCallAfterEnd) {
    Owner owner;
    // LISTEN and MANUFACTURER address a controller, whatever bits the
    // application sets above it.
    const CapiCommand command = commandOf(message.ref.commandWord);
    if (command == CapiCommand::listen || command == CapiCommand::manufacturer ||
        !addressesPlci(address)) {
        owner.noCall = noCallOf(message.applId, CapiAddress::controllerByteOf(address));
        return owner;
    }
    const std::uint32_t key = callKey(message.applId, plciOf(address));
    if (const auto current = currentCall_.find(key); current != currentCall_.end()) {
        owner.call = current->second;
    } else if (!newCallAfterEnd && endedPlcis_.contains(key)) {
        return owner;
    } else {
        // A PLCI first seen otherwise than by its beginning: a call begun before
        // the trace, or one that a facility resumed.
        owner = beginCall(message, PlciState::unknown, CallDirection::unknown, message.ref.record);
        openCalls_.at(owner.call).begunBeforeTrace = true;
    }
    if (addressesNcci(address)) {
        Call& call = openCalls_.at(owner.call);
        for (std::size_t i = call.connections.size(); i-- > 0;) {
            if (call.connections[i].ncci == address) {
                owner.connection = static_cast<std::uint32_t>(i);
                return owner;
            }
        }
        owner.connection =
            beginConnection(call, message, NcciState::unknown, false, message.ref.record);
        call.connections[owner.connection].begunBeforeTrace = true;
    }
    return owner;
}

// An application's message on a PLCI or NCCI whose end it has answered is a
// fault, unless a gap since the end may hold the beginning of a new call or
// connection that it belongs to.
CallModel::Owner CallModel::ownerOfApplicationMessage(const Message& message, bool& afterEnd) {
    afterEnd = false;
    Owner owner = ownerOf(message, false);
    if (owner.noCall != Owner::none) {
        return owner;
    }
    MessageRef end;
    std::size_t gapsBefore = 0;
    if (owner.call == 0) {
        const EndedPlci& ended =
            endedPlcis_.at(callKey(message.applId, plciOf(message.ref.address)));
        end = ended.end;
        gapsBefore = ended.gapsBefore;
    } else if (const Connection* connection = connectionOf(owner);
               connection != nullptr && connection->state == NcciState::ended) {
        end = connection->end;
        gapsBefore = connection->gapsBeforeEnd;
    } else {
        return owner;
    }
    const std::optional<TraceGap> gap = gapSince(gapsBefore);
    report(message, UsedAfterEnd{end}, gap);
    if (!gap) {
        afterEnd = true;
        return owner;
    }
    if (owner.call == 0) {
        return ownerOf(message, true);
    }
    Call& call = openCalls_.at(owner.call);
    owner.connection =
        beginConnection(call, message, NcciState::unknown, false, message.ref.record);
    call.connections[owner.connection].begunBeforeTrace = true;
    return owner;
}

CallModel::Owner CallModel::ownerOfIndication(const Message& message) {
    const std::uint32_t address = message.ref.address;
    if (const auto state = plciBeginning(message.ref.commandWord, message.accepted);
        state && addressesPlci(address)) {
        return beginCall(message, *state, CallDirection::incoming, message.ref.record);
    }
    if (const auto state = ncciBeginning(message.ref.commandWord, message.accepted);
        state && addressesNcci(address) && addressesPlci(address)) {
        Owner owner = ownerOfAddress(message, plciOf(address), true);
        owner.connection =
            beginConnection(openCalls_.at(owner.call), message, *state, false, message.ref.record);
        return owner;
    }
    return ownerOf(message, true);
}

CallModel::Owner CallModel::beginCall(const Message& message, PlciState state,
                                      CallDirection direction, std::uint64_t firstRecord) {
    const std::uint32_t key = callKey(message.applId, plciOf(message.ref.address));
    if (const auto replaced = currentCall_.find(key); replaced != currentCall_.end()) {
        // A call that the trace never showed ending: no message can reach it now.
        handOut(openCalls_.at(replaced->second));
    }
    endedPlcis_.erase(key);
    Call call;
    call.number = ++callsBegun_;
    call.applId = message.applId;
    call.plci = plciOf(message.ref.address);
    call.direction = direction;
    call.state = state;
    if (state != PlciState::unknown) {
        call.stateSince = message.ref;
    }
    call.firstRecord = firstRecord;
    call.lastRecord = message.ref.record;
    currentCall_[key] = call.number;
    Owner owner;
    owner.call = call.number;
    openCalls_.emplace(call.number, std::move(call));
    return owner;
}

std::uint32_t CallModel::beginConnection(Call& call, const Message& message, NcciState state,
                                         bool outgoing, std::uint64_t firstRecord) {
    Connection connection;
    connection.ncci = message.ref.address;
    connection.outgoing = outgoing;
    connection.state = state;
    if (state != NcciState::unknown) {
        connection.stateSince = message.ref;
    }
    connection.firstRecord = firstRecord;
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

void CallModel::countNoCall(const Owner& owner, const MessageRef& message) {
    if (owner.noCall == Owner::none) {
        return;
    }
    NoCallMessages& messages = noCall_[owner.noCall];
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
    const auto call = openCalls_.find(owner.call);
    return call != openCalls_.end() ? &call->second : nullptr;
}

Connection* CallModel::connectionOf(const Owner& owner) {
    Call* call = callOf(owner);
    return call != nullptr && owner.connection != Owner::none ? &call->connections[owner.connection]
                                                              : nullptr;
}

OpenExchanges* CallModel::openExchangesOf(const Owner& owner) {
    if (owner.noCall != Owner::none) {
        return &noCall_[owner.noCall].open;
    }
    return callOf(owner) != nullptr ? &callOf(owner)->open : nullptr;
}

// ---- Open requests and indications ----

CallModel::Pending& CallModel::open(PendingMap& exchanges, Pending pending, bool isRequest) {
    pending.gapsBefore = gaps_.size();
    const auto [entry, added] =
        exchanges.try_emplace(exchangeKey(pending.applId, pending.message), pending);
    if (!added) {
        // The same number again before its answer: the earlier message can no
        // longer be told from this one, so it is left out.
        forget(entry->second, isRequest);
        if (isRequest && commandOf(entry->second.message.commandWord) == CapiCommand::connect) {
            placeUnconfirmed(entry->second);
        }
        entry->second = pending;
    }
    openRecords_.insert(pending.message.record);
    if (OpenExchanges* open = openExchangesOf(pending.owner)) {
        ++(isRequest ? open->requests : open->indications);
    }
    if (Connection* connection = connectionOf(pending.owner)) {
        ++(isRequest ? connection->open.requests : connection->open.indications);
    }
    return entry->second;
}

// Finds and removes the exchange that `answer` answers.
bool CallModel::close(PendingMap& exchanges, const Message& answer, Pending& closed) {
    const auto found = exchanges.find(exchangeKey(answer.applId, answer.ref));
    if (found == exchanges.end()) {
        return false;
    }
    closed = found->second;
    exchanges.erase(found);
    forget(closed, &exchanges == &requests_);
    return true;
}

// Takes what an exchange counts off its owner, once it is answered or left out.
void CallModel::forget(const Pending& pending, bool isRequest) {
    openRecords_.erase(pending.message.record);
    if (OpenExchanges* open = openExchangesOf(pending.owner)) {
        --(isRequest ? open->requests : open->indications);
    }
    if (Connection* connection = connectionOf(pending.owner)) {
        --(isRequest ? connection->open.requests : connection->open.indications);
        if (pending.inWindow) {
            (isRequest ? connection->sending : connection->receiving).release();
        }
    }
}

// An exchange that can no longer be answered, or told from a later one.
void CallModel::leaveOut(PendingMap& exchanges, const Pending& pending) {
    const bool isRequest = &exchanges == &requests_;
    const std::uint64_t key = exchangeKey(pending.applId, pending.message);
    forget(pending, isRequest);
    exchanges.erase(key);
    if (isRequest && commandOf(pending.message.commandWord) == CapiCommand::connect) {
        connectRequests_.erase(key);
        placeUnconfirmed(pending);
    }
}

void CallModel::takeIntoWindow(Pending& pending, const Message& message, bool sending) {
    Connection* connection = connectionOf(pending.owner);
    if (connection == nullptr || commandOf(message.ref.commandWord) != CapiCommand::dataB3) {
        return;
    }
    DataWindow& window = sending ? connection->sending : connection->receiving;
    pending.inWindow = true;
    if (!window.take()) {
        return;
    }
    WindowExceeded exceeded{window.waiting(), dataB3Window, {}};
    for (const Pending& earlier : waiting(sending ? requests_ : indications_, pending.owner, false,
                                          CapiCommand::dataB3, message.ref.record)) {
        if (earlier.inWindow) {
            exceeded.earlier.push_back(earlier.message);
        }
    }
    if (sending) {
        report(message, SendWindowExceeded{exceeded});
    } else {
        report(message, ReceiveWindowExceeded{exceeded});
    }
}

std::uint64_t CallModel::answerIndication(const Message& response) {
    Pending indication;
    if (!close(indications_, response, indication)) {
        return 0;
    }
    const std::optional<TraceGap> gap = gapSince(indication.gapsBefore);
    const std::uint16_t handle = wordOf(response.decoded, "dataHandle");
    if (response.ref.address != indication.message.address) {
        report(response, AnsweredWithOtherAddress{indication.message}, gap);
    } else if (commandOf(response.ref.commandWord) == CapiCommand::dataB3 &&
               handle != indication.dataHandle) {
        report(response, AnsweredWithOtherHandle{indication.message, handle, indication.dataHandle},
               gap);
    }
    return indication.message.record;
}

// A CONNECT_IND still waiting when its call's DISCONNECT_IND comes: the caller
// gave up, or another application got the call.
void CallModel::markCallGivenUp(const Owner& owner) {
    const Call* call = callOf(owner);
    if (call == nullptr || call->open.indications == 0) {
        return;
    }
    for (auto& [key, indication] : indications_) {
        if (indication.owner.call == owner.call &&
            commandOf(indication.message.commandWord) == CapiCommand::connect) {
            indication.givenUp = true;
        }
    }
}

std::vector<CallModel::Pending> CallModel::waiting(const PendingMap& exchanges, const Owner& scope,
                                                   bool wholeCall, std::optional<CapiCommand> only,
                                                   std::uint64_t beforeRecord) const {
    std::vector<Pending> found;
    for (const auto& [key, pending] : exchanges) {
        const bool inScope = wholeCall ? pending.owner.call == scope.call && scope.call != 0
                                       : pending.owner.sameAs(scope);
        if (inScope && pending.message.record < beforeRecord &&
            (!only || commandOf(pending.message.commandWord) == *only)) {
            found.push_back(pending);
        }
    }
    std::sort(found.begin(), found.end(), [](const Pending& a, const Pending& b) {
        return a.message.record < b.message.record;
    });
    return found;
}

// ---- What a later message proves ----

void CallModel::proveByResponse(const Message& response, const Owner& owner) {
    const Call* call = callOf(owner);
    if (call == nullptr) {
        return;
    }
    const CapiCommand command = commandOf(response.ref.commandWord);
    for (const ProofRule& rule : proofRules) {
        if (rule.subcommand != Subcommand::response || (rule.command && *rule.command != command)) {
            continue;
        }
        const bool wholeCall = rule.scope == ProofScope::call;
        if (!wholeCall && owner.connection == Owner::none) {
            continue;
        }
        const OpenExchanges& open = wholeCall ? call->open : connectionOf(owner)->open;
        const bool indications = rule.proves == Proves::indicationsSkipped;
        if ((indications ? open.indications : open.requests) == 0) {
            continue;
        }
        PendingMap& exchanges = indications ? indications_ : requests_;
        for (const Pending& skipped :
             waiting(exchanges, owner, wholeCall, rule.only, response.ref.record)) {
            leaveOut(exchanges, skipped);
            if (indications) {
                reportSkippedIndication(skipped, response.ref, rule.by);
            } else {
                reportUnconfirmedRequest(skipped, response.ref, {}, rule.by);
            }
        }
    }
}

void CallModel::proveByConfirmation(const Message& confirmation, const Pending& request) {
    const Connection* connection = connectionOf(request.owner);
    const OpenExchanges* open =
        connection != nullptr ? &connection->open : openExchangesOf(request.owner);
    if (open == nullptr || open->requests == 0) {
        return;
    }
    for (const ProofRule& rule : proofRules) {
        if (rule.subcommand != Subcommand::confirmation) {
            continue;
        }
        for (const Pending& skipped :
             waiting(requests_, request.owner, false, rule.only, request.message.record)) {
            leaveOut(requests_, skipped);
            reportUnconfirmedRequest(skipped, request.message, confirmation.ref, rule.by);
        }
    }
}

void CallModel::reportSkippedIndication(const Pending& indication, const MessageRef& proof,
                                        ProofBy by) {
    if (const Call* call = callOf(indication.owner); call != nullptr && indication.givenUp) {
        report(indication.applId, indication.message,
               CallGivenUp{call->clearing, call->reason.value});
        return;
    }
    report(indication.applId, indication.message, NeverAnswered{proof, by},
           gapSince(indication.gapsBefore));
}

void CallModel::reportUnconfirmedRequest(const Pending& request, const MessageRef& proof,
                                         const MessageRef& confirmation, ProofBy by) {
    report(request.applId, request.message, NeverConfirmed{proof, confirmation, by},
           gapSince(request.gapsBefore));
}

// ---- States and what the calls view shows ----

// What a message does to its call and connection: the steps of their states,
// and what the calls view shows of them.
void CallModel::follow(const Owner& owner, const Message& message) {
    Call* call = callOf(owner);
    if (call == nullptr) {
        return;
    }
    call->lastRecord = message.ref.record;
    stepCall(*call, message);
    noteCall(*call, message);
    if (Connection* connection = connectionOf(owner)) {
        stepConnection(*call, *connection, message);
        noteConnection(*connection, message);
    }
    if (call->state == PlciState::ended) {
        endCall(*call, message);
    }
}

void CallModel::noteCall(Call& call, const Message& message) {
    const DecodedMessage& decoded = message.decoded;
    switch (message.ref.commandWord) {
        case connectInd:
            setCallDetails(call, callDetailsOf(decoded, message.ref));
            break;
        case alertReq:
            if (call.alertRecord == 0) {
                call.alertRecord = message.ref.record;
            }
            break;
        case connectResp:
            call.reject = Shown{true, wordOf(decoded, "reject"), message.ref.record};
            if (message.protocolsPutInForce != nullptr) {
                call.bProtocols = *message.protocolsPutInForce;
                call.bProtocolsShown = true;
            }
            if (!message.accepted) {
                clearedBy(call.clearedBy, ClearedBy::application);
            }
            break;
        case selectBProtocolReq:
            call.bProtocolsShown = message.protocolsPutInForce != nullptr;
            if (call.bProtocolsShown) {
                call.bProtocols = *message.protocolsPutInForce;
            }
            break;
        case connectActiveInd:
            if (call.connectedRecord == 0) {
                call.connectedRecord = message.ref.record;
            }
            call.connectedNumber = digitsOf(decoded, "connectedNumber");
            break;
        case infoInd:
            if (const Field* units = chargeUnitsOf(decoded);
                units != nullptr && wordOf(decoded, "infoNumber") == InfoNumber::chargeInUnits) {
                call.charge = {true, static_cast<std::uint32_t>(units->value), message.ref.record};
            }
            if (NetworkCause cause = causeOf(decoded, message.ref.record); cause.shown) {
                keepCause(call.causesSent, std::move(cause));
            }
            break;
        case disconnectReq:
            clearedBy(call.clearedBy, ClearedBy::application);
            break;
        case disconnectInd:
            call.reason = Shown{true, wordOf(decoded, "reason"), message.ref.record};
            call.clearing = message.ref;
            clearedBy(call.clearedBy, ClearedBy::network);
            if (call.clearedBy == ClearedBy::network) {
                call.cause = causeOfReason(call.causesSent, call.reason.value);
            }
            break;
        default:
            break;
    }
}

void CallModel::noteConnection(Connection& connection, const Message& message) {
    const DecodedMessage& decoded = message.decoded;
    switch (message.ref.commandWord) {
        case connectB3Resp:
            if (!message.accepted) {
                clearedBy(connection.clearedBy, ClearedBy::application);
            }
            break;
        case connectB3ActiveInd:
        case connectB3T90ActiveInd:
            if (connection.connectedRecord == 0) {
                connection.connectedRecord = message.ref.record;
            }
            break;
        case dataB3Req:
        case dataB3Ind: {
            Traffic& traffic =
                message.ref.commandWord == dataB3Req ? connection.sent : connection.received;
            ++traffic.blocks;
            traffic.bytes += wordOf(decoded, "dataLength");
            break;
        }
        case disconnectB3Req:
            clearedBy(connection.clearedBy, ClearedBy::application);
            break;
        case disconnectB3Ind:
            connection.reasonB3 = Shown{true, wordOf(decoded, "reasonB3"), message.ref.record};
            connection.clearing = message.ref;
            clearedBy(connection.clearedBy, ClearedBy::network);
            break;
        default:
            break;
    }
    if (const Shown pages = faxPagesOf(decoded, message.ref.record); pages.shown) {
        connection.faxPages = pages;
    }
}

void CallModel::stepCall(Call& call, const Message& message) {
    StepTaken<PlciState> step = plciStep(call.state, message.ref.commandWord, message.accepted);
    if (step.kind == StepTaken<PlciState>::outOfStep && !call.steppedSinceGap) {
        // A message lost in the gap may have made the step between.
        step = plciStep(PlciState::unknown, message.ref.commandWord, message.accepted);
    }
    if (step.kind == StepTaken<PlciState>::outOfStep) {
        report(message, OutOfStep{call.state, call.stateSince});
        return;
    }
    if (step.kind == StepTaken<PlciState>::moved) {
        call.state = step.to;
        call.stateSince = message.ref;
        call.steppedSinceGap = true;
    }
}

void CallModel::stepConnection(Call& call, Connection& connection, const Message& message) {
    StepTaken<NcciState> step =
        ncciStep(connection.state, message.ref.commandWord, message.accepted);
    if (step.kind == StepTaken<NcciState>::outOfStep &&
        (!connection.steppedSinceGap || !call.steppedSinceGap)) {
        step = ncciStep(NcciState::unknown, message.ref.commandWord, message.accepted);
    }
    if (step.kind == StepTaken<NcciState>::outOfStep) {
        report(message, OutOfStep{connection.state, connection.stateSince});
        return;
    }
    if (step.kind == StepTaken<NcciState>::moved) {
        connection.state = step.to;
        connection.stateSince = message.ref;
        connection.steppedSinceGap = true;
        if (step.to == NcciState::ended) {
            connection.end = message.ref;
            connection.gapsBeforeEnd = gaps_.size();
        }
    }
}

// The end of a PLCI ends its B3 connections too. The call is handed out and
// forgotten; what comes later on its PLCI finds only its end.
void CallModel::endCall(Call& call, const Message& end) {
    for (Connection& connection : call.connections) {
        if (connection.state != NcciState::ended) {
            connection.state = NcciState::ended;
            connection.stateSince = end.ref;
            connection.end = end.ref;
        }
    }
    call.end = end.ref;
    rememberEnd(callKey(call.applId, call.plci), end.ref);
    handOut(call);
}

// The latest ends only, so that a trace of ever new PLCIs keeps no more.
void CallModel::rememberEnd(std::uint32_t key, const MessageRef& end) {
    endedPlcis_[key] = EndedPlci{end, gaps_.size()};
    endOrder_.emplace_back(key, end.record);
    const auto current = [this](const std::pair<std::uint32_t, std::uint64_t>& entry) {
        const auto ended = endedPlcis_.find(entry.first);
        return ended != endedPlcis_.end() && ended->second.end.record == entry.second;
    };
    while (endedPlcis_.size() > endsRemembered) {
        if (current(endOrder_.front())) {
            endedPlcis_.erase(endOrder_.front().first);
        }
        endOrder_.pop_front();
    }
    if (endOrder_.size() > 2 * endsRemembered) {
        std::erase_if(endOrder_, [&](const auto& entry) { return !current(entry); });
    }
}

void CallModel::handOut(Call& call) {
    const std::uint64_t number = call.number;
    listener_.takeCall(call);
    if (const auto current = currentCall_.find(callKey(call.applId, call.plci));
        current != currentCall_.end() && current->second == number) {
        currentCall_.erase(current);
    }
    openCalls_.erase(number);
}

void CallModel::noteConnectRequest(const Message& request) {
    connectRequests_[exchangeKey(request.applId, request.ref)] =
        callDetailsOf(request.decoded, request.ref);
}

// A CONNECT_CONF that gives a PLCI begins its call, with what its CONNECT_REQ
// said; one that does not belongs to no call, with its request.
void CallModel::beginOutgoingCall(const Message& confirmation, const Pending* request,
                                  Owner& owner) {
    const auto details = connectRequests_.find(exchangeKey(confirmation.applId, confirmation.ref));
    const auto state = plciBeginning(confirmation.ref.commandWord, confirmation.accepted);
    if (state && addressesPlci(confirmation.ref.address)) {
        owner = beginCall(confirmation, *state, CallDirection::outgoing,
                          request != nullptr ? request->message.record : confirmation.ref.record);
        Call& call = openCalls_.at(owner.call);
        call.begunBeforeTrace = request == nullptr;
        if (details != connectRequests_.end()) {
            setCallDetails(call, details->second);
            call.bProtocolsShown = confirmation.protocolsPutInForce != nullptr;
            if (call.bProtocolsShown) {
                call.bProtocols = *confirmation.protocolsPutInForce;
            }
        }
    } else {
        owner = Owner{};
        owner.noCall =
            noCallOf(confirmation.applId,
                     CapiAddress::controllerByteOf(
                         (request != nullptr ? request->message : confirmation.ref).address));
        if (request != nullptr) {
            countNoCall(owner, request->message);
        }
    }
    if (details != connectRequests_.end()) {
        connectRequests_.erase(details);
    }
}

// ---- Checks of one message ----

void CallModel::checkListen(const Message& request) {
    if (const Field* cipMask = request.decoded.find("cipMask");
        commandOf(request.ref.commandWord) == CapiCommand::listen && cipMask != nullptr &&
        cipMask->value == 0) {
        report(request, ListenWithoutCip{});
    }
}

void CallModel::checkRefusal(const Message& confirmation, const Pending* request,
                             const Owner& owner) {
    const std::uint16_t info = wordOf(confirmation.decoded, "info");
    const MessageRef asked = request != nullptr ? request->message : MessageRef{};
    if (commandOf(confirmation.ref.commandWord) == CapiCommand::facility &&
        info == InfoValue::facilityNotSupported) {
        // Applications ask whether a facility is there.
        report(confirmation, FacilityNotSupported{asked, info});
        return;
    }
    const Call* call = callOf(owner);
    if (call == nullptr) {
        report(confirmation, RequestRefused{asked, info},
               request != nullptr ? gapSince(request->gapsBefore) : std::nullopt);
        return;
    }
    // A clearing indication for the same PLCI or NCCI between the request and
    // its confirmation: the two crossed, which is no fault. Without the
    // request in the trace, that cannot be ruled out.
    MessageRef clearing = call->clearing;
    if (const Connection* connection = connectionOf(owner);
        connection != nullptr && connection->clearing.record > clearing.record) {
        clearing = connection->clearing;
    }
    if (request == nullptr || clearing.record > asked.record) {
        report(confirmation,
               RefusedAsCleared{asked, request != nullptr ? clearing : MessageRef{}, info});
        return;
    }
    report(confirmation, RequestRefused{asked, info}, gapSince(request->gapsBefore));
}

// An incoming call accepted with a B1 protocol that its BC cannot carry.
void CallModel::checkBearer(const Call& call, const Message& response) {
    const Bearer& bearer = call.bearer;
    if (response.ref.commandWord != connectResp || !response.accepted ||
        response.protocolsPutInForce == nullptr || !bearer.capabilityShown ||
        !b1UnfitForBearer(bearer.capability, response.protocolsPutInForce->b1)) {
        return;
    }
    const Field* protocol = response.decoded.find("bProtocol");
    report(response, B1UnfitForBearer{bearer.from, response.protocolsPutInForce->b1,
                                      protocol != nullptr && protocol->value == 0,
                                      bearer.capability, bearer.description});
}

// ---- Findings ----

std::optional<TraceGap> CallModel::gapSince(std::size_t gapsBefore) const {
    if (gapsBefore >= gaps_.size()) {
        return std::nullopt;
    }
    return gaps_[gapsBefore];
}

void CallModel::report(const Message& message, FindingDetails details,
                       std::optional<TraceGap> acrossGap) {
    report(message.applId, message.ref, std::move(details), acrossGap);
}

void CallModel::report(std::uint16_t applId, const MessageRef& subject, FindingDetails details,
                       std::optional<TraceGap> acrossGap) {
    Finding finding{applId, subject, std::move(details), std::nullopt};
    if (rowOf(finding.kind()).lostMessageMayExplain) {
        finding.acrossGap = acrossGap;
    }
    listener_.takeFinding(finding);
}

// ---- The end of the trace ----

// What the trace leaves open is a note; every call still going is handed out,
// in the order the calls began.
void CallModel::finish() {
    for (PendingMap* exchanges : {&indications_, &requests_}) {
        std::vector<Pending> open;
        open.reserve(exchanges->size());
        for (const auto& [key, pending] : *exchanges) {
            open.push_back(pending);
        }
        std::sort(open.begin(), open.end(), [](const Pending& a, const Pending& b) {
            return a.message.record < b.message.record;
        });
        for (const Pending& pending : open) {
            const Call* call = callOf(pending.owner);
            if (exchanges == &requests_) {
                report(pending.applId, pending.message, OpenRequest{});
                if (commandOf(pending.message.commandWord) == CapiCommand::connect) {
                    placeUnconfirmed(pending);
                }
            } else if (call != nullptr && pending.givenUp) {
                report(pending.applId, pending.message,
                       CallGivenUp{call->clearing, call->reason.value});
            } else {
                report(pending.applId, pending.message, OpenIndication{});
            }
        }
        exchanges->clear();
    }
    openRecords_.clear();
    connectRequests_.clear();
    std::vector<std::uint64_t> going;
    going.reserve(openCalls_.size());
    for (const auto& [number, call] : openCalls_) {
        going.push_back(number);
    }
    std::sort(going.begin(), going.end());
    for (const std::uint64_t number : going) {
        handOut(openCalls_.at(number));
    }
}

// ---- Where each record belongs ----

void CallModel::place(const MessageRef& message, std::uint16_t applId, const Owner& owner,
                      std::uint64_t answers) {
    RecordPlace placed{message.record, owner.call, applId,
                       CapiAddress::controllerByteOf(message.address), answers};
    if (owner.call == 0 && owner.noCall != Owner::none) {
        placed.controller = noCall_[owner.noCall].controller;
    }
    listener_.takePlace(placed);
}

void CallModel::placeUnconfirmed(const Pending& request) {
    place(request.message, request.applId, Owner{});
}

}  // namespace ambertap
