// The calls of one trace and what the trace proves about the exchange of its
// messages, built in one pass. Every request is paired with its confirmation
// and every indication with its response here, by ApplID, command and message
// number; the PLCI and NCCI states follow the messages here. The `calls` and
// `check` views only read the result.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "byte_reader.h"
#include "capi_vocabulary.h"
#include "decoded_message.h"
#include "protocol_tracker.h"
#include "traced_record.h"

namespace ambertap {

// One message of the trace, as far as the findings and calls name it.
struct MessageRef {
    std::uint64_t record = 0;  // 1 for the first record; 0 for none
    std::uint16_t commandWord = 0;
    std::uint16_t messageNumber = 0;
    std::uint32_t address = 0;  // its Controller, PLCI or NCCI
};

enum class Severity : std::uint8_t { error, warning, note };

enum class FindingKind : std::uint8_t {
    neverAnswered,  // an indication that a later answer shows was skipped
    answeredWithOtherAddress,
    answeredWithOtherHandle,
    usedAfterEnd,            // a PLCI or NCCI used once its end was answered
    errorInfo,               // a confirmation that refuses its request
    errorInfoAfterClearing,  // the same, where a clear-down crossed the request
    facilityNotSupported,    // a FACILITY_CONF that says the facility is missing
    neverConfirmed,          // a request that a later confirmation shows was skipped
    sendWindowExceeded,
    receiveWindowExceeded,
    clearedBeforeB3Down,  // DISCONNECT_RESP while a DISCONNECT_B3_IND waits
    listenWithoutCip,
    callGivenUp,     // a CONNECT_IND whose call ended before any answer
    openIndication,  // not answered by the end of the trace
    openRequest,     // not confirmed by the end of the trace
    messageCut,      // a message that the trace does not hold whole
};

Severity severityOf(FindingKind kind);

// What one finding is about: `subject` is the message that shows the fault
// (the finding's record); `related` is the one it is measured against (the
// later answer that proves it, the indication or request it answers, the end
// of the PLCI). `value` and `expected` carry the Info, Reason, address or
// handle that the text names.
struct Finding {
    FindingKind kind;
    std::uint16_t applId = 0;
    MessageRef subject;
    MessageRef related;
    std::uint64_t value = 0;
    // The address or Data handle the indication carried; for a confirmation
    // that a clear-down crossed, the record of the clearing indication.
    std::uint64_t expected = 0;
};

enum class PlciState : std::uint8_t {
    unknown,        // begun before the trace: its state shows with its next message
    outgoing,       // CONNECT_CONF given the PLCI, waiting for CONNECT_ACTIVE_IND
    incoming,       // CONNECT_IND not yet answered
    answered,       // CONNECT_RESP accepted the call, waiting for CONNECT_ACTIVE_IND
    rejected,       // CONNECT_RESP rejected the call, waiting for DISCONNECT_IND
    active,         // CONNECT_ACTIVE_IND came
    disconnecting,  // DISCONNECT_REQ put, waiting for DISCONNECT_IND
    disconnected,   // DISCONNECT_IND came, waiting for DISCONNECT_RESP
    ended,          // DISCONNECT_RESP answered its end
};

enum class NcciState : std::uint8_t {
    unknown,        // begun before the trace
    incoming,       // CONNECT_B3_IND not yet answered
    connecting,     // CONNECT_B3_CONF or an accepting CONNECT_B3_RESP
    rejected,       // CONNECT_B3_RESP rejected it
    active,         // CONNECT_B3_ACTIVE_IND (or its T.90 form) came
    disconnecting,  // DISCONNECT_B3_REQ put
    disconnected,   // DISCONNECT_B3_IND came, waiting for DISCONNECT_B3_RESP
    ended,          // DISCONNECT_B3_RESP answered its end
};

// Who began the clearing of a call or a B3 connection.
enum class ClearedBy : std::uint8_t { notCleared, application, network };

struct Traffic {
    std::uint64_t blocks = 0;
    std::uint64_t bytes = 0;
};

// A number that the trace may or may not show.
struct Shown {
    bool shown = false;
    std::uint16_t value = 0;
    std::uint64_t record = 0;
};

// One B3 connection (NCCI) of a call.
struct Connection {
    std::uint32_t ncci = 0;
    bool outgoing = false;  // begun with CONNECT_B3_REQ
    bool begunBeforeTrace = false;
    NcciState state = NcciState::unknown;
    std::uint64_t firstRecord = 0;
    std::uint64_t connectedRecord = 0;  // 0: not connected in the trace
    std::uint64_t endRecord = 0;        // DISCONNECT_B3_RESP, or the call's end
    Traffic sent;
    Traffic received;
    ClearedBy clearedBy = ClearedBy::notCleared;
    Shown reasonB3;  // from DISCONNECT_B3_IND
    Shown faxPages;  // from a T.30 NCPI, the last that showed them

    // What the checks need while it lasts.
    std::uint32_t unconfirmedData = 0;  // DATA_B3_REQ waiting for DATA_B3_CONF
    std::uint32_t unansweredData = 0;   // DATA_B3_IND waiting for DATA_B3_RESP
    bool sendWindowWarned = false;
    bool receiveWindowWarned = false;
    std::uint32_t openIndications = 0;
    MessageRef lastConfirmedRequest;   // the latest request that was confirmed
    std::uint64_t clearingRecord = 0;  // its DISCONNECT_B3_IND
};

enum class CallDirection : std::uint8_t { unknown, outgoing, incoming };

// One call: the life of a PLCI for one application.
struct Call {
    std::uint16_t applId = 0;
    std::uint16_t plci = 0;  // the controller and PLCI parts of the address
    CallDirection direction = CallDirection::unknown;
    bool begunBeforeTrace = false;
    PlciState state = PlciState::unknown;
    std::uint64_t firstRecord = 0;
    std::uint64_t lastRecord = 0;

    Shown cipValue;
    bool numbersShown = false;
    std::string calledNumber;  // digits as the trace holds them
    std::string callingNumber;
    std::string connectedNumber;
    bool bProtocolsShown = false;
    BProtocols bProtocols;

    std::uint64_t alertRecord = 0;  // ALERT_REQ
    Shown reject;                   // CONNECT_RESP's answer
    std::uint64_t connectedRecord = 0;
    struct {
        bool shown = false;
        std::uint32_t units = 0;
        std::uint64_t record = 0;
    } charge;  // the last INFO_IND with a charge in units
    std::vector<Connection> connections;

    ClearedBy clearedBy = ClearedBy::notCleared;
    Shown reason;                 // from DISCONNECT_IND
    std::uint64_t endRecord = 0;  // DISCONNECT_RESP

    // What the checks need while it lasts.
    std::uint32_t openIndications = 0;
    MessageRef lastConfirmedRequest;
    std::uint64_t clearingRecord = 0;  // its DISCONNECT_IND

    bool stillGoing() const { return state != PlciState::ended; }
};

// The messages of an application on a controller that belong to no call.
struct NoCallMessages {
    struct Kind {
        std::uint16_t commandWord = 0;
        std::uint64_t count = 0;
        std::uint64_t firstRecord = 0;
        std::uint64_t lastRecord = 0;
    };
    std::uint16_t applId = 0;
    std::uint8_t controller = 0;  // the whole controller byte, external bit included
    std::uint64_t firstRecord = 0;
    std::uint64_t lastRecord = 0;
    std::vector<Kind> kinds;  // in the order they first came
    MessageRef lastConfirmedRequest;
};

struct CheckCounts {
    std::uint64_t errors = 0;
    std::uint64_t warnings = 0;
    std::uint64_t notes = 0;
};

class CallModel {
  public:
    // Takes one record, with its message decoded. Pass every record of one
    // trace, in order.
    void add(const TracedRecord& record);

    // Ends the trace: what is still open becomes a note, the requests that a
    // later confirmation proves skipped become warnings, and the findings are
    // put in record order. Call once, after the last record.
    void finish();

    const std::vector<Call>& calls() const { return calls_; }
    const std::vector<NoCallMessages>& noCallMessages() const { return noCall_; }
    const std::vector<Finding>& findings() const { return findings_; }
    CheckCounts counts() const;

  private:
    // Who a message belongs to: a call, maybe one of its connections, or the
    // messages of no call.
    struct Owner {
        static constexpr std::uint32_t none = 0xffffffffu;
        std::uint32_t call = none;
        std::uint32_t connection = none;
        std::uint32_t noCall = none;
    };
    struct Pending {
        MessageRef message;
        std::uint16_t applId = 0;
        Owner owner;
        std::uint16_t dataHandle = 0;
        bool givenUp = false;  // a CONNECT_IND whose call ended unanswered
    };
    // What a CONNECT_REQ says about the call its confirmation will begin,
    // besides the B protocols that the protocol tracker keeps.
    struct CallDetails {
        Shown cipValue;
        std::string calledNumber;
        std::string callingNumber;
    };

    void take(const MessageRef& message, std::uint16_t applId);
    void onRequest(const MessageRef& message, std::uint16_t applId);
    void onConfirmation(const MessageRef& message, std::uint16_t applId);
    void onIndication(const MessageRef& message, std::uint16_t applId);
    void onResponse(const MessageRef& message, std::uint16_t applId);

    // The call (and connection) of the message's address, or its messages of
    // no call. A PLCI or NCCI not seen before begins a call or connection
    // begun before the trace; so does a PLCI whose call has ended, when
    // `newCallAfterEnd`.
    Owner ownerOf(const MessageRef& message, std::uint16_t applId, bool newCallAfterEnd);
    std::uint32_t beginCall(std::uint16_t applId, std::uint16_t plci, CallDirection direction,
                            std::uint64_t record);
    std::uint32_t beginConnection(Call& call, std::uint32_t ncci, bool outgoing,
                                  std::uint64_t record);
    std::uint32_t noCallOf(std::uint16_t applId, std::uint8_t controller);
    void countNoCall(std::uint32_t group, const MessageRef& message);
    Call* callOf(const Owner& owner);
    Connection* connectionOf(const Owner& owner);
    MessageRef& lastConfirmedRequestOf(const Owner& owner);

    bool usesEndedAddress(const MessageRef& message, std::uint16_t applId, Owner& owner);
    void checkErrorInfo(const MessageRef& confirmation, const Pending* request, const Owner& owner,
                        std::uint16_t applId);
    void checkDataWindow(Connection& connection, const MessageRef& message, std::uint16_t applId,
                         bool sending);

    void registerRequest(const Pending& request);
    void releaseRequest(const Pending& request);
    void registerIndication(const Pending& indication);
    void releaseIndication(const Pending& indication);
    void markCallGivenUp(std::uint32_t call);
    // The indications still waiting on a call (or on one of its connections),
    // of one command or of any (none), in record order.
    std::vector<std::pair<std::uint64_t, Pending>> waitingIndications(
        const Owner& scope, bool wholeCall, std::optional<CapiCommand> onlyCommand) const;
    // Ends those that the answer `proof` shows were skipped.
    void closeSkippedIndications(const Owner& scope, bool wholeCall, const MessageRef& proof,
                                 std::uint16_t applId, std::optional<CapiCommand> onlyCommand);
    void endCall(const Owner& owner, const MessageRef& end, std::uint16_t applId);
    void reportOpenExchanges();

    CallDetails detailsOf() const;
    void setCallDetails(Call& call, const CallDetails& details);
    bool takeBProtocolsPutInForce(Call& call) const;
    void noteCut(std::uint64_t index);

    void addFinding(FindingKind kind, std::uint16_t applId, const MessageRef& subject,
                    const MessageRef& related = {}, std::uint64_t value = 0,
                    std::uint64_t expected = 0);

    // The record being taken, while add() runs.
    const DecodedMessage& decoded() const { return *record_->message; }
    const TracedRecord* record_ = nullptr;

    std::vector<Call> calls_;
    std::vector<NoCallMessages> noCall_;
    std::vector<Finding> findings_;
    // The current call of each application and PLCI, by applId << 16 | PLCI.
    std::unordered_map<std::uint32_t, std::uint32_t> currentCall_;
    std::unordered_map<std::uint32_t, std::uint32_t> noCallGroup_;
    // Open requests and indications, by applId, command and message number.
    std::unordered_map<std::uint64_t, Pending> requests_;
    std::unordered_map<std::uint64_t, Pending> indications_;
    std::unordered_map<std::uint64_t, CallDetails> connectRequests_;
};

}  // namespace ambertap
