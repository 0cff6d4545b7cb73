// What the call model finds wrong, or worth a note, in a trace: one struct a
// kind, with the fields that kind names, inside one Finding that says which
// message shows it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "call_rules.h"

namespace ambertap {

// One message of the trace, as far as the findings and calls name it.
struct MessageRef {
    std::uint64_t record = 0;  // 1 for the first record; 0 for none
    std::uint16_t commandWord = 0;
    std::uint16_t messageNumber = 0;
    std::uint32_t address = 0;  // its Controller, PLCI or NCCI
};

// A gap of a capture, where messages may have been lost between two reads.
struct TraceGap {
    bool certain = true;    // the trace was cleared or restarted; else a possible gap
    std::int64_t from = 0;  // the two reads' times, ms since 1970, UTC
    std::int64_t to = 0;
    std::uint64_t afterRecord = 0;  // the last record before it; 0: none
};

// Each kind names the message that shows it in Finding::subject; the fields
// below are what else it says. Where a kind has a proof, it is the message
// that makes a fault certain.

// An indication that the application can no longer answer.
struct NeverAnswered {
    static constexpr FindingKind kind = FindingKind::neverAnswered;
    MessageRef provenBy;  // the answer to a later step, or to the end of its PLCI or NCCI
    ProofBy by;
};

// A response whose address is not its indication's.
struct AnsweredWithOtherAddress {
    static constexpr FindingKind kind = FindingKind::answeredWithOtherAddress;
    MessageRef indication;
};

struct AnsweredWithOtherHandle {
    static constexpr FindingKind kind = FindingKind::answeredWithOtherHandle;
    MessageRef indication;
    std::uint16_t handleGiven = 0;
    std::uint16_t handleExpected = 0;
};

// An application's message on a PLCI or NCCI whose end it has answered.
struct UsedAfterEnd {
    static constexpr FindingKind kind = FindingKind::usedAfterEnd;
    MessageRef end;  // its DISCONNECT_RESP or DISCONNECT_B3_RESP
};

// A confirmation whose Info refuses the request.
struct RequestRefused {
    static constexpr FindingKind kind = FindingKind::errorInfo;
    MessageRef request;  // record 0: before the trace
    std::uint16_t info = 0;
};

// The same, where a clear-down crossed the request, or may have: no fault.
struct RefusedAsCleared {
    static constexpr FindingKind kind = FindingKind::errorInfoAfterClearing;
    MessageRef request;   // record 0: before the trace, so a clear-down may have crossed it
    MessageRef clearing;  // the DISCONNECT_IND or DISCONNECT_B3_IND that crossed it
    std::uint16_t info = 0;
};

// A FACILITY_CONF that says the facility is not there: applications ask so.
struct FacilityNotSupported {
    static constexpr FindingKind kind = FindingKind::facilityNotSupported;
    MessageRef request;
    std::uint16_t info = 0;
};

// A request that can no longer be confirmed.
struct NeverConfirmed {
    static constexpr FindingKind kind = FindingKind::neverConfirmed;
    // A later request on the same address that CAPI confirmed, or the answer
    // to the end of the request's PLCI or NCCI.
    MessageRef provenBy;
    MessageRef confirmation;  // of the later request; none for an end
    ProofBy by;
};

// More DATA_B3 messages waiting for their answers than the window allows.
struct WindowExceeded {
    std::uint32_t waiting = 0;
    std::uint32_t window = 0;
    std::vector<MessageRef> earlier;  // the others waiting, in record order
};
struct SendWindowExceeded : WindowExceeded {
    static constexpr FindingKind kind = FindingKind::sendWindowExceeded;
};
struct ReceiveWindowExceeded : WindowExceeded {
    static constexpr FindingKind kind = FindingKind::receiveWindowExceeded;
};

// A LISTEN_REQ with CIP mask 0: the application will be offered no call.
struct ListenWithoutCip {
    static constexpr FindingKind kind = FindingKind::listenWithoutCip;
};

// A CONNECT_IND whose call ended before any answer: the caller gave up, or
// another application got the call. The trace cannot tell a forgotten answer
// from a phone left ringing.
struct CallGivenUp {
    static constexpr FindingKind kind = FindingKind::callGivenUp;
    MessageRef clearing;  // the DISCONNECT_IND
    std::uint16_t reason = 0;
};

// A message that moves a state, but none from the state its PLCI or NCCI is in.
struct OutOfStep {
    static constexpr FindingKind kind = FindingKind::outOfStep;
    std::variant<PlciState, NcciState> state;
    MessageRef since;  // the message that gave that state; record 0: none in the trace
};

// Not answered, or not confirmed, by the end of the trace, with nothing to
// prove that it never will be.
struct OpenIndication {
    static constexpr FindingKind kind = FindingKind::openIndication;
};
struct OpenRequest {
    static constexpr FindingKind kind = FindingKind::openRequest;
};

// A message that the trace does not hold whole; subject.commandWord is 0 when
// it is cut before its command.
struct MessageCut {
    static constexpr FindingKind kind = FindingKind::messageCut;
};

// A CONNECT_RESP that accepts a call with a B1 protocol that the call's BC
// cannot carry: the two ends then speak different things on the B channel.
struct B1UnfitForBearer {
    static constexpr FindingKind kind = FindingKind::b1UnfitForBearer;
    MessageRef indication;  // the CONNECT_IND whose BC it is
    std::uint16_t b1 = 0;
    bool b1ByDefault = false;  // an empty B protocol: the defaults
    std::uint8_t capability = 0;
    std::string bearer;  // the BC in words
};

using FindingDetails =
    std::variant<NeverAnswered, AnsweredWithOtherAddress, AnsweredWithOtherHandle, UsedAfterEnd,
                 RequestRefused, RefusedAsCleared, FacilityNotSupported, NeverConfirmed,
                 SendWindowExceeded, ReceiveWindowExceeded, ListenWithoutCip, CallGivenUp,
                 OutOfStep, OpenIndication, OpenRequest, MessageCut, B1UnfitForBearer>;

struct Finding {
    std::uint16_t applId = 0;
    MessageRef subject;  // the message that shows it: the finding's record
    FindingDetails details;
    // A gap between the subject and its proof, which may hold a lost message
    // that explains it: the finding is then a note.
    std::optional<TraceGap> acrossGap;

    FindingKind kind() const {
        return std::visit([](const auto& kind) { return kind.kind; }, details);
    }
    Severity severity() const {
        return acrossGap.has_value() ? Severity::note : rowOf(kind()).severity;
    }
};

struct CheckCounts {
    std::uint64_t errors = 0;
    std::uint64_t warnings = 0;
    std::uint64_t notes = 0;

    void count(Severity severity) {
        ++(severity == Severity::error ? errors : severity == Severity::warning ? warnings : notes);
    }
    CheckCounts& operator+=(const CheckCounts& other) {
        errors += other.errors;
        warnings += other.warnings;
        notes += other.notes;
        return *this;
    }
};

}  // namespace ambertap
