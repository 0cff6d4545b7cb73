// The rules that the call model follows, as tables: the states of a PLCI and
// of an NCCI and the messages that move them, what a later message proves
// about an exchange still open before it, the kinds of finding, and the data
// window. The model (call_model.cpp) only applies them; a rule is changed
// here, in one row.
//
// The window rule. A trace is a window onto the exchange: it may begin inside
// a call and end before the answers come, and a capture may have gaps where
// messages were lost between two reads. So a missing answer or confirmation
// is an error or a warning only once a later message of the same application
// proves that it can no longer come (the proof rules below); whatever is open
// without such proof when the trace ends is a note; and a finding that a lost
// message could explain (the kinds' `lostMessageMayExplain`) becomes a note
// that names the gap, when a gap lies between the message and its proof.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <optional>

#include "capi_vocabulary.h"

namespace ambertap {

// ---- States ----

enum class PlciState : std::uint8_t {
    unknown,        // begun before the trace: any step may come next
    outgoing,       // CONNECT_CONF gave the PLCI, waiting for CONNECT_ACTIVE_IND
    incoming,       // CONNECT_IND not yet answered
    answered,       // CONNECT_RESP accepted the call, waiting for CONNECT_ACTIVE_IND
    rejected,       // CONNECT_RESP rejected the call, waiting for DISCONNECT_IND
    active,         // CONNECT_ACTIVE_IND came
    disconnecting,  // DISCONNECT_REQ put, waiting for DISCONNECT_IND
    disconnected,   // DISCONNECT_IND came, waiting for DISCONNECT_RESP
    ended,          // DISCONNECT_RESP answered its end
};

enum class NcciState : std::uint8_t {
    unknown,        // begun before the trace: any step may come next
    incoming,       // CONNECT_B3_IND not yet answered
    connecting,     // CONNECT_B3_CONF or an accepting CONNECT_B3_RESP
    rejected,       // CONNECT_B3_RESP rejected it
    active,         // CONNECT_B3_ACTIVE_IND (or its T.90 form) came
    disconnecting,  // DISCONNECT_B3_REQ put
    disconnected,   // DISCONNECT_B3_IND came, waiting for DISCONNECT_B3_RESP
    ended,          // DISCONNECT_B3_RESP answered its end, or its call ended
};

// A set of the states of one kind.
template <typename State>
class StateSet {
  public:
    constexpr StateSet() = default;
    constexpr StateSet(std::initializer_list<State> states) {
        for (const State state : states) {
            bits_ |= bitOf(state);
        }
    }
    constexpr bool has(State state) const { return (bits_ & bitOf(state)) != 0; }
    constexpr bool empty() const { return bits_ == 0; }

  private:
    static constexpr std::uint32_t bitOf(State state) { return 1u << static_cast<unsigned>(state); }

    std::uint32_t bits_ = 0;
};

// How each state reads in the calls view ("still going at the end of the
// trace: dialling") and in findings ("while the call is dialling").
template <typename State>
struct StateRow {
    State state;
    const char* shownAs;
};

inline constexpr StateRow<PlciState> plciStates[] = {
    {PlciState::unknown, "in a state the trace does not show"},
    {PlciState::outgoing, "dialling"},
    {PlciState::incoming, "ringing, not answered"},
    {PlciState::answered, "answered, not yet connected"},
    {PlciState::rejected, "rejected, not yet cleared"},
    {PlciState::active, "connected"},
    {PlciState::disconnecting, "being cleared"},
    {PlciState::disconnected, "cleared, its end not yet answered"},
    {PlciState::ended, "ended"},
};

inline constexpr StateRow<NcciState> ncciStates[] = {
    {NcciState::unknown, "in a state the trace does not show"},
    {NcciState::incoming, "offered, not answered"},
    {NcciState::connecting, "being connected"},
    {NcciState::rejected, "rejected, not yet cleared"},
    {NcciState::active, "connected"},
    {NcciState::disconnecting, "being cleared"},
    {NcciState::disconnected, "cleared, its end not yet answered"},
    {NcciState::ended, "ended"},
};

const char* shownAs(PlciState state);
const char* shownAs(NcciState state);

// ---- The messages that move a state ----

// Which messages of a command word a step takes: accepted means a confirmation
// whose Info says the request was taken, or a response whose Reject is 0.
enum class Outcome : std::uint8_t { any, accepted, refused };

// One step: from any state in `from`, the message moves the PLCI or NCCI to
// `to`. A row without `from` states begins a call or connection.
template <typename State>
struct Step {
    StateSet<State> from;
    std::uint16_t commandWord;
    Outcome outcome;
    State to;
};

namespace plci_steps {
using enum PlciState;
inline constexpr StateSet<PlciState> anyState{unknown,  outgoing, incoming,      answered,
                                              rejected, active,   disconnecting, disconnected};
inline constexpr Step<PlciState> table[] = {
    {{}, connectConf, Outcome::accepted, outgoing},
    {{}, connectInd, Outcome::any, incoming},
    {{unknown, incoming}, connectResp, Outcome::accepted, answered},
    {{unknown, incoming}, connectResp, Outcome::refused, rejected},
    // The caller gave up, or another application got the call, as it was answered.
    {{disconnected}, connectResp, Outcome::any, disconnected},
    {{unknown, outgoing, answered}, connectActiveInd, Outcome::any, active},
    // The call was connected as the application cleared it.
    {{disconnecting}, connectActiveInd, Outcome::any, disconnecting},
    {{unknown, outgoing, incoming, answered, active}, disconnectReq, Outcome::any, disconnecting},
    {{disconnecting}, disconnectReq, Outcome::any, disconnecting},
    // The application cleared the call as the network did.
    {{disconnected}, disconnectReq, Outcome::any, disconnected},
    {{unknown, outgoing, incoming, answered, rejected, active, disconnecting},
     disconnectInd,
     Outcome::any,
     disconnected},
    // The application may answer the end of a PLCI whatever the trace showed.
    {anyState, disconnectResp, Outcome::any, ended},
};
}  // namespace plci_steps

// A PLCI's end is the end of its NCCIs too, whatever their state.
namespace ncci_steps {
using enum NcciState;
inline constexpr StateSet<NcciState> anyState{unknown, incoming,      connecting,  rejected,
                                              active,  disconnecting, disconnected};
inline constexpr Step<NcciState> table[] = {
    {{}, connectB3Conf, Outcome::accepted, connecting},
    {{}, connectB3Ind, Outcome::any, incoming},
    {{unknown, incoming}, connectB3Resp, Outcome::accepted, connecting},
    {{unknown, incoming}, connectB3Resp, Outcome::refused, rejected},
    {{disconnected}, connectB3Resp, Outcome::any, disconnected},
    {{unknown, connecting}, connectB3ActiveInd, Outcome::any, active},
    {{disconnecting}, connectB3ActiveInd, Outcome::any, disconnecting},
    // T.90 follows the start of the B3 connection, or comes instead of it.
    {{unknown, connecting, active}, connectB3T90ActiveInd, Outcome::any, active},
    {{disconnecting}, connectB3T90ActiveInd, Outcome::any, disconnecting},
    {{unknown, connecting, active}, disconnectB3Req, Outcome::any, disconnecting},
    {{disconnecting}, disconnectB3Req, Outcome::any, disconnecting},
    {{disconnected}, disconnectB3Req, Outcome::any, disconnected},
    {{unknown, incoming, connecting, rejected, active, disconnecting},
     disconnectB3Ind,
     Outcome::any,
     disconnected},
    {anyState, disconnectB3Resp, Outcome::any, ended},
};
}  // namespace ncci_steps

// What a message does to a state, by the table: a message whose command word
// no row names leaves the state as it is and is no step; a message that rows
// name, but none from the current state, is out of step: the state stays as
// it was and the model reports it.
template <typename State>
struct StepTaken {
    enum Kind : std::uint8_t { noStep, moved, outOfStep } kind = noStep;
    State to{};
};

StepTaken<PlciState> plciStep(PlciState from, std::uint16_t commandWord, bool accepted);
StepTaken<NcciState> ncciStep(NcciState from, std::uint16_t commandWord, bool accepted);
// The state that a message gives the call or connection it begins, if it
// begins one.
std::optional<PlciState> plciBeginning(std::uint16_t commandWord, bool accepted);
std::optional<NcciState> ncciBeginning(std::uint16_t commandWord, bool accepted);

// ---- What a later message proves ----

enum class Proves : std::uint8_t {
    indicationsSkipped,   // the indications still waiting can no longer be answered
    requestsUnconfirmed,  // the requests still waiting can no longer be confirmed
};

enum class ProofScope : std::uint8_t {
    connection,  // the NCCI the message is on
    call,        // the PLCI the message is on, and every NCCI of its call
    address,     // the NCCI, PLCI or controller of the request the confirmation pairs with
};

enum class ProofBy : std::uint8_t {
    laterStep,  // the message answers a step that comes only after them
    end,        // the message answers the end of the PLCI or NCCI they are on
};

struct ProofRule {
    Subcommand subcommand;               // of the message that proves
    std::optional<CapiCommand> command;  // of the message that proves; none: any
    Proves proves;
    ProofScope scope;
    std::optional<CapiCommand> only;  // only the exchanges of this command; none: every one
    ProofBy by;
};

inline constexpr ProofRule proofRules[] = {
    // CONNECT_ACTIVE_IND comes only once CONNECT_IND is answered, and
    // CONNECT_B3_ACTIVE_IND (or its T.90 form) only once CONNECT_B3_IND is.
    {Subcommand::response, CapiCommand::connectActive, Proves::indicationsSkipped, ProofScope::call,
     CapiCommand::connect, ProofBy::laterStep},
    {Subcommand::response, CapiCommand::connectB3Active, Proves::indicationsSkipped,
     ProofScope::connection, CapiCommand::connectB3, ProofBy::laterStep},
    {Subcommand::response, CapiCommand::connectB3T90Active, Proves::indicationsSkipped,
     ProofScope::connection, CapiCommand::connectB3, ProofBy::laterStep},
    // Once the application has answered the end of an NCCI or a PLCI, nothing
    // on it can be answered or confirmed any more; a PLCI's end is the end of
    // its NCCIs too.
    {Subcommand::response, CapiCommand::disconnectB3, Proves::indicationsSkipped,
     ProofScope::connection, std::nullopt, ProofBy::end},
    {Subcommand::response, CapiCommand::disconnectB3, Proves::requestsUnconfirmed,
     ProofScope::connection, std::nullopt, ProofBy::end},
    {Subcommand::response, CapiCommand::disconnect, Proves::indicationsSkipped, ProofScope::call,
     std::nullopt, ProofBy::end},
    {Subcommand::response, CapiCommand::disconnect, Proves::requestsUnconfirmed, ProofScope::call,
     std::nullopt, ProofBy::end},
    // CAPI confirms an application's requests on one address in the order they
    // were put.
    {Subcommand::confirmation, std::nullopt, Proves::requestsUnconfirmed, ProofScope::address,
     std::nullopt, ProofBy::laterStep},
};

// ---- Kinds of finding ----

enum class Severity : std::uint8_t { error, warning, note };

enum class FindingKind : std::uint8_t {
    neverAnswered,
    answeredWithOtherAddress,
    answeredWithOtherHandle,
    usedAfterEnd,
    errorInfo,
    errorInfoAfterClearing,
    facilityNotSupported,
    neverConfirmed,
    sendWindowExceeded,
    receiveWindowExceeded,
    listenWithoutCip,
    callGivenUp,
    outOfStep,
    openIndication,
    openRequest,
    messageCut,
    b1UnfitForBearer,
};

struct FindingKindRow {
    FindingKind kind;
    const char* key;  // stable: the finding's `kind` in JSON
    Severity severity;
    // A message lost in a gap of a capture could explain it: with a gap
    // between the message and its proof, the finding is a note.
    bool lostMessageMayExplain;
};

inline constexpr FindingKindRow findingKinds[] = {
    {FindingKind::neverAnswered, "neverAnswered", Severity::error, true},
    {FindingKind::answeredWithOtherAddress, "answeredWithOtherAddress", Severity::error, true},
    {FindingKind::answeredWithOtherHandle, "answeredWithOtherHandle", Severity::error, true},
    {FindingKind::usedAfterEnd, "usedAfterEnd", Severity::error, true},
    // A clearing indication lost in a gap may have crossed the request.
    {FindingKind::errorInfo, "errorInfo", Severity::error, true},
    {FindingKind::errorInfoAfterClearing, "errorInfoAfterClearing", Severity::note, false},
    {FindingKind::facilityNotSupported, "facilityNotSupported", Severity::note, false},
    {FindingKind::neverConfirmed, "neverConfirmed", Severity::warning, true},
    {FindingKind::sendWindowExceeded, "sendWindowExceeded", Severity::warning, true},
    {FindingKind::receiveWindowExceeded, "receiveWindowExceeded", Severity::warning, true},
    {FindingKind::listenWithoutCip, "listenWithoutCip", Severity::note, false},
    {FindingKind::callGivenUp, "callGivenUp", Severity::note, false},
    {FindingKind::outOfStep, "outOfStep", Severity::note, false},
    {FindingKind::openIndication, "openIndication", Severity::note, false},
    {FindingKind::openRequest, "openRequest", Severity::note, false},
    {FindingKind::messageCut, "messageCut", Severity::note, false},
    // The network may carry more than the BC says, or the other end may be an
    // application of the same mind: the trace cannot prove the B channel
    // wrong, only that the two do not fit.
    {FindingKind::b1UnfitForBearer, "b1UnfitForBearer", Severity::note, false},
};

constexpr const FindingKindRow& rowOf(FindingKind kind) {
    return findingKinds[static_cast<std::size_t>(kind)];
}

// ---- The bearer and the B1 protocol ----

// What the B channel carries between the two ends: sound, which the network
// may code and decode again on the way (A-law, mu-law, echo cancellers), or
// bits that it passes as they are.
enum class ChannelContent : std::uint8_t { sound, bits };

// What a BC's information transfer capability lets through. A capability
// without a row fits any B1 protocol.
struct BearerContent {
    std::uint8_t capability;
    ChannelContent content;
};
inline constexpr BearerContent bearerContents[] = {
    {0x00, ChannelContent::sound},  // speech
    {0x10, ChannelContent::sound},  // 3.1 kHz audio
    {0x08, ChannelContent::bits},   // unrestricted digital information
    {0x09, ChannelContent::bits},   // restricted digital information
};

// What a B1 protocol puts on the B channel. A protocol without a row (the
// bit-transparent ones) fits any bearer.
struct B1Content {
    std::uint16_t b1;
    ChannelContent content;
};
inline constexpr B1Content b1Contents[] = {
    {B1Protocol::hdlc, ChannelContent::bits},
    {B1Protocol::hdlcInverted, ChannelContent::bits},
    {B1Protocol::v110Asynchronous, ChannelContent::bits},
    {B1Protocol::v110Synchronous, ChannelContent::bits},
    {B1Protocol::t30, ChannelContent::sound},
    {B1Protocol::modemNegotiated, ChannelContent::sound},
    {B1Protocol::modemAsynchronous, ChannelContent::sound},
    {B1Protocol::modemSynchronous, ChannelContent::sound},
};

// Whether a bearer of this capability cannot carry what the B1 protocol puts
// on the channel: HDLC frames or V.110 on a speech or audio bearer, a fax or
// a modem on a digital one.
bool b1UnfitForBearer(std::uint8_t capability, std::uint16_t b1);

// ---- The data window ----

// The DATA_B3 messages of one direction waiting for their answer on one
// connection. One more than dataB3Window is a warning, given once until the
// count is back within the window.
class DataWindow {
  public:
    // Counts one more; true when that one should be warned of.
    bool take() {
        ++waiting_;
        if (waiting_ <= dataB3Window || warned_) {
            return false;
        }
        warned_ = true;
        return true;
    }
    void release() {
        if (waiting_ > 0) {
            --waiting_;
        }
        warned_ = warned_ && waiting_ > dataB3Window;
    }
    // Forgets what was counted: after a gap, their answers may have been lost.
    void restart() { *this = DataWindow{}; }
    std::uint32_t waiting() const { return waiting_; }

  private:
    std::uint32_t waiting_ = 0;
    bool warned_ = false;
};

}  // namespace ambertap
