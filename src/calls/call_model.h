// The calls of one trace and what the trace proves about the exchange of its
// messages, built one message at a time. Every request is paired with its
// confirmation and every indication with its response here, by ApplID,
// command and message number; the PLCI and NCCI states follow the messages
// by the tables of call_rules.h. The model keeps only what is still open: a
// call is handed to the listener once it has ended, and a finding as soon as
// the trace proves it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "byte_reader.h"
#include "call_rules.h"
#include "capture_file.h"
#include "decoded_message.h"
#include "findings.h"
#include "protocol_tracker.h"
#include "traced_record.h"

namespace ambertap {

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

// What the checks count of the exchanges still open on a call, a connection
// or the messages of no call.
struct OpenExchanges {
    std::uint32_t indications = 0;
    std::uint32_t requests = 0;
};

// One B3 connection (NCCI) of a call.
struct Connection {
    std::uint32_t ncci = 0;
    bool outgoing = false;  // begun with CONNECT_B3_REQ
    bool begunBeforeTrace = false;
    NcciState state = NcciState::unknown;
    MessageRef stateSince;  // the message that gave the state
    std::uint64_t firstRecord = 0;
    std::uint64_t connectedRecord = 0;  // 0: not connected in the trace
    MessageRef end;                     // DISCONNECT_B3_RESP, or the call's DISCONNECT_RESP
    Traffic sent;
    Traffic received;
    ClearedBy clearedBy = ClearedBy::notCleared;
    Shown reasonB3;  // from DISCONNECT_B3_IND
    Shown faxPages;  // from a T.30 NCPI, the last that showed them

    // What the checks need while it lasts.
    OpenExchanges open;
    DataWindow sending;    // DATA_B3_REQ waiting for DATA_B3_CONF
    DataWindow receiving;  // DATA_B3_IND waiting for DATA_B3_RESP
    MessageRef clearing;   // its DISCONNECT_B3_IND
    std::size_t gapsBeforeEnd = 0;
    bool steppedSinceGap = true;  // false: a gap came after its last step
};

// A call's bearer service, as the BC of its CONNECT_REQ or CONNECT_IND says.
struct Bearer {
    bool shown = false;       // the BC holds a field that says it
    std::string description;  // "speech, 64 kbit/s, circuit mode, G.711 A-law"
    bool capabilityShown = false;
    std::uint8_t capability = 0;           // its information transfer capability
    const char* capabilityName = nullptr;  // null: a value without a name
    MessageRef from;                       // the CONNECT_REQ or CONNECT_IND
};

// A cause element that the network sent in an INFO_IND.
struct NetworkCause {
    bool shown = false;
    std::uint8_t cause = 0;  // Q.850
    const char* name = nullptr;
    bool locationShown = false;
    std::uint8_t location = 0;
    const char* locationName = nullptr;
    std::string description;   // "user busy (cause 17), from the user"
    std::uint64_t record = 0;  // of the INFO_IND
};

enum class CallDirection : std::uint8_t { unknown, outgoing, incoming };

// One call: the life of a PLCI for one application.
struct Call {
    std::uint64_t number = 0;  // 1 for the trace's first call, in the order calls begin
    std::uint16_t applId = 0;
    std::uint16_t plci = 0;  // the controller and PLCI parts of the address
    CallDirection direction = CallDirection::unknown;
    bool begunBeforeTrace = false;
    PlciState state = PlciState::unknown;
    MessageRef stateSince;
    std::uint64_t firstRecord = 0;
    std::uint64_t lastRecord = 0;

    Shown cipValue;
    bool numbersShown = false;
    std::string calledNumber;  // digits as the trace holds them
    std::string callingNumber;
    std::string connectedNumber;
    Bearer bearer;
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
    Shown reason;  // from DISCONNECT_IND
    // Where the network's clearing arose: the last cause element that an
    // INFO_IND brought of the cause that the DISCONNECT_IND's Reason carries
    // (0x34xx). Not shown when the application cleared the call first, nor
    // when the Reason carries no cause, or one that no INFO_IND brought.
    NetworkCause cause;
    MessageRef end;  // DISCONNECT_RESP

    // What the checks need while it lasts.
    OpenExchanges open;
    MessageRef clearing;  // its DISCONNECT_IND
    bool steppedSinceGap = true;
    // The cause elements its INFO_INDs brought, the last of each cause value.
    std::vector<NetworkCause> causesSent;

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
    OpenExchanges open;
};

// What a CONNECT_IND, or the CONNECT_REQ of an outgoing call, says about its
// call, besides the B protocols that the protocol tracker keeps.
struct CallDetails {
    Shown cipValue;
    std::string calledNumber;
    std::string callingNumber;
    Bearer bearer;
};

// Where a record's message belongs, and which earlier record it answers, as
// the model pairs them: what a ladder of the trace draws from.
struct RecordPlace {
    std::uint64_t record = 0;
    std::uint64_t call = 0;  // the call's number; 0: none (a message of no call, or unplaced)
    std::uint16_t applId = 0;
    std::uint8_t controller = 0;  // the whole controller byte, external bit included
    // The record of the request or indication that this confirmation or
    // response answers; 0: none, or not one the trace holds.
    std::uint64_t answers = 0;
};

// Where the model hands out what it no longer keeps.
class CallModelListener {
  public:
    virtual ~CallModelListener() = default;
    // A call that has ended, or one that a new call on its PLCI replaced;
    // when the trace ends, each call still going, in the order they began.
    // Every call comes once.
    virtual void takeCall(const Call& call) = 0;
    // A finding, as soon as the trace proves it.
    virtual void takeFinding(const Finding& finding) = 0;
    // The place of each record that holds a message, once: in record order,
    // but that a CONNECT_REQ's comes with its confirmation's, which begins
    // its call (or, never confirmed, once that is sure, at the latest when
    // the trace ends).
    virtual void takePlace(const RecordPlace& place) { static_cast<void>(place); }
};

class CallModel {
  public:
    // The ends of PLCIs that the model remembers, for an application's message
    // that still comes on one (a use after its end): the latest ones. A
    // message on a PLCI that ended before them begins a call begun before the
    // trace, as one on a PLCI never seen.
    static constexpr std::size_t endsRemembered = 4096;

    explicit CallModel(CallModelListener& listener) : listener_(listener) {}
    CallModel(const CallModel&) = delete;
    CallModel& operator=(const CallModel&) = delete;

    // Takes one record, with its message decoded by the record pipeline.
    // Pass every record of one trace, in order.
    void add(const TracedRecord& record);

    // A gap of a capture after the records taken so far. A kind this program
    // does not know counts as certain.
    void addGap(const CaptureGap& gap);

    // Ends the trace: what is still open becomes a note, and every call still
    // going is handed out. Call once, after the last record.
    void finish();

    // Every finding about a record before this one has been handed out.
    std::uint64_t settledBefore() const;

    const std::vector<NoCallMessages>& noCallMessages() const { return noCall_; }

    // What the model holds: the calls still going, and the ends it remembers.
    std::size_t callsHeld() const { return openCalls_.size(); }
    std::size_t endsHeld() const { return endedPlcis_.size(); }

  private:
    // One message as the handlers read it.
    struct Message {
        MessageRef ref;
        std::uint16_t applId;
        const DecodedMessage& decoded;
        const BProtocols* protocolsPutInForce;  // by this message, on its PLCI
        bool accepted;                          // by its Info or Reject; see Outcome
    };

    // Who a message belongs to: a call, maybe one of its connections, or the
    // messages of no call. None of them for a message on an ended PLCI.
    struct Owner {
        static constexpr std::uint32_t none = 0xffffffffu;
        std::uint64_t call = 0;  // its number; 0: none
        std::uint32_t connection = none;
        std::uint32_t noCall = none;
        bool sameAs(const Owner& other) const {
            return call == other.call && connection == other.connection && noCall == other.noCall;
        }
    };

    // An exchange that waits for its confirmation or response.
    struct Pending {
        MessageRef message;
        std::uint16_t applId = 0;
        Owner owner;
        std::uint16_t dataHandle = 0;
        bool givenUp = false;   // a CONNECT_IND whose call the network cleared
        bool inWindow = false;  // counted in its connection's data window
        std::size_t gapsBefore = 0;
    };
    using PendingMap = std::unordered_map<std::uint64_t, Pending>;

    // What the end of a PLCI leaves, for the messages that still come on it.
    struct EndedPlci {
        MessageRef end;
        std::size_t gapsBefore = 0;
    };

    void take(const DecodedMessage& decoded, std::uint64_t index,
              const BProtocols* protocolsPutInForce);
    void onRequest(const Message& message);
    void onConfirmation(const Message& message);
    void onIndication(const Message& message);
    void onResponse(const Message& message);

    // ---- Who a message belongs to ----
    Owner ownerOf(const Message& message, bool newCallAfterEnd);
    Owner ownerOfAddress(const Message& message, std::uint32_t address, bool newCallAfterEnd);
    // The owner of an application's message; reports a use after the end of
    // its PLCI or NCCI, and then gives no call unless a gap since the end may
    // hold a new beginning.
    Owner ownerOfApplicationMessage(const Message& message, bool& afterEnd);
    Owner ownerOfIndication(const Message& message);
    Owner beginCall(const Message& message, PlciState state, CallDirection direction,
                    std::uint64_t firstRecord);
    std::uint32_t beginConnection(Call& call, const Message& message, NcciState state,
                                  bool outgoing, std::uint64_t firstRecord);
    std::uint32_t noCallOf(std::uint16_t applId, std::uint8_t controller);
    void countNoCall(const Owner& owner, const MessageRef& message);
    Call* callOf(const Owner& owner);
    Connection* connectionOf(const Owner& owner);
    OpenExchanges* openExchangesOf(const Owner& owner);

    // ---- Open requests and indications ----
    Pending& open(PendingMap& exchanges, Pending pending, bool isRequest);
    bool close(PendingMap& exchanges, const Message& answer, Pending& closed);
    void forget(const Pending& pending, bool isRequest);
    void leaveOut(PendingMap& exchanges, const Pending& pending);
    void takeIntoWindow(Pending& pending, const Message& message, bool sending);
    // Returns the record of the indication it answers; 0: none.
    std::uint64_t answerIndication(const Message& response);
    void markCallGivenUp(const Owner& owner);
    // The exchanges waiting on an owner, or on a whole call, in record order.
    std::vector<Pending> waiting(const PendingMap& exchanges, const Owner& scope, bool wholeCall,
                                 std::optional<CapiCommand> only, std::uint64_t beforeRecord) const;

    // ---- What a later message proves ----
    void proveByResponse(const Message& response, const Owner& owner);
    void proveByConfirmation(const Message& confirmation, const Pending& request);
    void reportSkippedIndication(const Pending& indication, const MessageRef& proof, ProofBy by);
    void reportUnconfirmedRequest(const Pending& request, const MessageRef& proof,
                                  const MessageRef& confirmation, ProofBy by);

    // ---- States and what the calls view shows ----
    void follow(const Owner& owner, const Message& message);
    void noteCall(Call& call, const Message& message);
    void noteConnection(Connection& connection, const Message& message);
    void stepCall(Call& call, const Message& message);
    void stepConnection(Call& call, Connection& connection, const Message& message);
    void endCall(Call& call, const Message& end);
    void rememberEnd(std::uint32_t key, const MessageRef& end);
    void handOut(Call& call);
    void noteConnectRequest(const Message& request);
    void beginOutgoingCall(const Message& confirmation, const Pending* request, Owner& owner);

    // ---- Checks of one message ----
    void checkListen(const Message& request);
    void checkRefusal(const Message& confirmation, const Pending* request, const Owner& owner);
    void checkBearer(const Call& call, const Message& response);

    void place(const MessageRef& message, std::uint16_t applId, const Owner& owner,
               std::uint64_t answers = 0);
    // A CONNECT_REQ that will begin no call.
    void placeUnconfirmed(const Pending& request);

    std::optional<TraceGap> gapSince(std::size_t gapsBefore) const;
    void report(const Message& message, FindingDetails details,
                std::optional<TraceGap> acrossGap = std::nullopt);
    void report(std::uint16_t applId, const MessageRef& subject, FindingDetails details,
                std::optional<TraceGap> acrossGap = std::nullopt);

    CallModelListener& listener_;
    std::uint64_t lastRecord_ = 0;
    std::uint64_t callsBegun_ = 0;
    std::vector<TraceGap> gaps_;

    std::unordered_map<std::uint64_t, Call> openCalls_;  // by number
    // The current call of each application and PLCI, by applId << 16 | PLCI.
    std::unordered_map<std::uint32_t, std::uint64_t> currentCall_;
    std::unordered_map<std::uint32_t, EndedPlci> endedPlcis_;
    // The keys of endedPlcis_ in the order the PLCIs ended, with the record of
    // each end; an entry whose PLCI began again or ended later is stale.
    std::deque<std::pair<std::uint32_t, std::uint64_t>> endOrder_;
    std::vector<NoCallMessages> noCall_;
    std::unordered_map<std::uint32_t, std::uint32_t> noCallGroup_;
    // Open requests and indications, by applId, command and message number,
    // and the records of both.
    PendingMap requests_;
    PendingMap indications_;
    std::set<std::uint64_t> openRecords_;
    std::unordered_map<std::uint64_t, CallDetails> connectRequests_;
};

}  // namespace ambertap
