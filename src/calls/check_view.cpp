// The check view: one finding a line, `FILE:RECORD: error: ...`, the form
// that compilers use and editors read.
#include "call_texts.h"
#include "call_views.h"
#include "capi_vocabulary.h"

namespace ambertap {

namespace {

const char* severityText(Severity severity) {
    switch (severity) {
        case Severity::error:
            return "error";
        case Severity::warning:
            return "warning";
        case Severity::note:
            return "note";
    }
    return "note";
}

// What an indication holds up while it waits for its answer.
const char* whatItHoldsUp(std::uint16_t commandWord) {
    switch (commandOf(commandWord)) {
        case CapiCommand::connect:
            return "the call rang on until the network gave up";
        case CapiCommand::connectB3:
            return "the B3 connection waited for it";
        case CapiCommand::dataB3:
            return "it held one of the connection's receive buffers";
        case CapiCommand::disconnectB3:
            return "the NCCI was not released";
        default:
            return nullptr;
    }
}

bool isEndOfAddress(std::uint16_t commandWord) {
    const CapiCommand command = commandOf(commandWord);
    return command == CapiCommand::disconnect || command == CapiCommand::disconnectB3;
}

void appendRecord(TextOutput& out, std::uint64_t record) {
    out.text("record ").number(record);
}

void neverAnswered(TextOutput& out, const Finding& finding) {
    const MessageRef& indication = finding.subject;
    appendMessage(out, indication);
    out.text(" on ");
    appendAddress(out, indication.address);
    out.text(" was never answered: application ").number(finding.applId);
    if (isEndOfAddress(finding.related.commandWord)) {
        out.text(" answered the end of ");
        appendAddress(out, finding.related.address);
        out.text(" (");
        appendMessage(out, finding.related);
        out.text(", ");
        appendRecord(out, finding.related.record);
        out.text(") without answering it");
    } else {
        out.text(" answered ");
        appendMessage(out, finding.related);
        out.text(" (");
        appendRecord(out, finding.related.record);
        out.text("), which comes only after this answer");
    }
    if (const char* heldUp = whatItHoldsUp(indication.commandWord)) {
        out.text("; ").text(heldUp);
    }
    out.text("; answer it with ");
    appendMessageName(out, answerOf(indication.commandWord));
}

void answeredWithOtherAddress(TextOutput& out, const Finding& finding) {
    appendMessage(out, finding.subject);
    out.text(" answers ");
    appendMessage(out, finding.related);
    out.text(" (");
    appendRecord(out, finding.related.record);
    out.text(") with ");
    appendAddress(out, static_cast<std::uint32_t>(finding.value));
    out.text(", but the indication was for ");
    appendAddress(out, static_cast<std::uint32_t>(finding.expected));
    out.text(": answer with the indication's address");
}

void answeredWithOtherHandle(TextOutput& out, const Finding& finding) {
    appendMessage(out, finding.subject);
    out.text(" answers ");
    appendMessage(out, finding.related);
    out.text(" (");
    appendRecord(out, finding.related.record);
    out.text(") with Data handle ").hex(finding.value, 4);
    out.text(", but the indication carries ").hex(finding.expected, 4);
    out.text(": answer with the indication's Data handle");
}

void usedAfterEnd(TextOutput& out, const Finding& finding) {
    appendMessage(out, finding.subject);
    out.text(" uses ");
    appendAddress(out, finding.subject.address);
    if (finding.related.address == finding.subject.address) {
        out.text(" after its end (");
    } else {
        out.text(" after the end of ");
        appendAddress(out, finding.related.address);
        out.text(" (");
    }
    appendMessageName(out, finding.related.commandWord);
    out.text(", ");
    appendRecord(out, finding.related.record);
    out.text("): ");
    if (commandOf(finding.related.commandWord) == CapiCommand::disconnectB3) {
        out.text("an NCCI is gone once its DISCONNECT_B3_IND is answered");
    } else {
        out.text("a PLCI is gone once its DISCONNECT_IND is answered");
    }
}

// "DISCONNECT_B3_CONF #0006 answers DISCONNECT_B3_REQ #0006 (record 19) with
// Info 2001 (not supported in the current state)", or without the request
// when it lies before the trace's start.
void confirmationWithInfo(TextOutput& out, const Finding& finding) {
    appendMessage(out, finding.subject);
    if (finding.related.record != 0) {
        out.text(" answers ");
        appendMessage(out, finding.related);
        out.text(" (");
        appendRecord(out, finding.related.record);
        out.text(") with ");
    } else {
        out.text(" has ");
    }
    const auto info = static_cast<std::uint16_t>(finding.value);
    appendMeaning(out, "Info", info, infoText(info));
}

// What to do about a request that an Info value refused, by its class.
const char* adviceFor(std::uint16_t info) {
    switch (InfoValue::classOf(info)) {
        case InfoValue::registrationError:
            return "check the application's registration";
        case InfoValue::messageExchangeError:
            return "check how the application puts and gets its messages";
        case InfoValue::notSupported:
            return "ask only for protocols and parameters the controller supports";
        default:
            break;
    }
    switch (info) {
        case InfoValue::notInCurrentState:
            return "put the request only in a state that allows it";
        case InfoValue::illegalAddress:
            return "address the request to a Controller, PLCI or NCCI that CAPI gave";
        case InfoValue::outOfPlci:
        case InfoValue::outOfNcci:
        case InfoValue::outOfListen:
        case InfoValue::outOfFaxResources:
            return "free what the application holds, or try later";
        case InfoValue::illegalParameterCoding:
            return "check the coding of the request's parameters";
        default:
            return nullptr;
    }
}

void errorInfo(TextOutput& out, const Finding& finding) {
    confirmationWithInfo(out, finding);
    out.text(": the request was not carried out");
    if (const char* advice = adviceFor(static_cast<std::uint16_t>(finding.value))) {
        out.text("; ").text(advice);
    }
}

void errorInfoAfterClearing(TextOutput& out, const Finding& finding) {
    confirmationWithInfo(out, finding);
    if (finding.expected != 0) {
        out.text(", and a clearing indication (");
        appendRecord(out, finding.expected);
        out.text(") crossed the request: a clear-down that crosses a request is normal");
    } else {
        out.text(
            "; its request lies before the trace's start, so a clear-down may have "
            "crossed it");
    }
}

void facilityNotSupported(TextOutput& out, const Finding& finding) {
    confirmationWithInfo(out, finding);
    out.text(": the facility is not there on ");
    appendAddress(out, finding.subject.address);
}

void neverConfirmed(TextOutput& out, const Finding& finding) {
    appendMessage(out, finding.subject);
    out.text(" on ");
    appendAddress(out, finding.subject.address);
    out.text(" was never confirmed, though CAPI confirmed the later ");
    appendMessage(out, finding.related);
    out.text(" (");
    appendRecord(out, finding.related.record);
    out.text(") of application ").number(finding.applId).text(" on the same address");
}

void windowExceeded(TextOutput& out, const Finding& finding, bool sending) {
    appendMessage(out, finding.subject);
    out.text(" on ");
    appendAddress(out, finding.subject.address);
    out.text(" makes ").number(finding.value);
    out.text(sending ? " DATA_B3_REQ waiting for their DATA_B3_CONF"
                     : " DATA_B3_IND waiting for their DATA_B3_RESP");
    out.text("; at most ").number(dataB3Window).text(" may wait on one connection: ");
    out.text(sending ? "wait for a confirmation before sending more"
                     : "answer each DATA_B3_IND at once");
}

void clearedBeforeB3Down(TextOutput& out, const Finding& finding) {
    appendMessage(out, finding.subject);
    out.text(" ends ");
    appendAddress(out, finding.subject.address);
    out.text(" while ");
    appendMessage(out, finding.related);
    out.text(" on ");
    appendAddress(out, finding.related.address);
    out.text(" (");
    appendRecord(out, finding.related.record);
    out.text(") is not answered: answer DISCONNECT_B3_IND before DISCONNECT_IND");
}

void listenWithoutCip(TextOutput& out, const Finding& finding) {
    appendMessage(out, finding.subject);
    out.text(" on ");
    appendAddress(out, finding.subject.address);
    out.text(" has CIP mask 00000000: application ").number(finding.applId);
    out.text(" will be offered no incoming call");
}

void callGivenUp(TextOutput& out, const Finding& finding) {
    appendMessage(out, finding.subject);
    out.text(" on ");
    appendAddress(out, finding.subject.address);
    out.text(": the call ended before application ").number(finding.applId);
    out.text(" answered it (DISCONNECT_IND, ");
    appendRecord(out, finding.related.record);
    out.text(", ");
    const auto reason = static_cast<std::uint16_t>(finding.value);
    appendMeaning(out, "Reason", reason, infoText(reason));
    out.character(')');
}

void openExchange(TextOutput& out, const Finding& finding, const char* what) {
    appendMessage(out, finding.subject);
    out.text(" on ");
    appendAddress(out, finding.subject.address);
    out.text(" is ").text(what).text(" by the end of the trace");
}

void messageCut(TextOutput& out, const Finding& finding) {
    if (finding.subject.commandWord != 0) {
        out.text("the ");
        appendMessageName(out, finding.subject.commandWord);
        out.text(" is cut off: it is left out of the calls and the checks");
    } else {
        out.text(
            "the message is cut off before its command: it is left out of the calls and "
            "the checks");
    }
}

void appendFindingText(TextOutput& out, const Finding& finding) {
    switch (finding.kind) {
        case FindingKind::neverAnswered:
            return neverAnswered(out, finding);
        case FindingKind::answeredWithOtherAddress:
            return answeredWithOtherAddress(out, finding);
        case FindingKind::answeredWithOtherHandle:
            return answeredWithOtherHandle(out, finding);
        case FindingKind::usedAfterEnd:
            return usedAfterEnd(out, finding);
        case FindingKind::errorInfo:
            return errorInfo(out, finding);
        case FindingKind::errorInfoAfterClearing:
            return errorInfoAfterClearing(out, finding);
        case FindingKind::facilityNotSupported:
            return facilityNotSupported(out, finding);
        case FindingKind::neverConfirmed:
            return neverConfirmed(out, finding);
        case FindingKind::sendWindowExceeded:
            return windowExceeded(out, finding, true);
        case FindingKind::receiveWindowExceeded:
            return windowExceeded(out, finding, false);
        case FindingKind::clearedBeforeB3Down:
            return clearedBeforeB3Down(out, finding);
        case FindingKind::listenWithoutCip:
            return listenWithoutCip(out, finding);
        case FindingKind::callGivenUp:
            return callGivenUp(out, finding);
        case FindingKind::openIndication:
            return openExchange(out, finding, "not answered");
        case FindingKind::openRequest:
            return openExchange(out, finding, "not confirmed");
        case FindingKind::messageCut:
            return messageCut(out, finding);
    }
}

}  // namespace

CheckCounts writeFindings(const CallModel& model, const char* fileName, std::FILE* out,
                          int& writeError) {
    TextOutput text(out);
    CheckCounts counts;
    for (const Finding& finding : model.findings()) {
        const Severity severity = severityOf(finding.kind);
        text.text(fileName != nullptr ? fileName : "").character(':');
        text.number(finding.subject.record).text(": ").text(severityText(severity)).text(": ");
        appendFindingText(text, finding);
        text.endLine();
        ++(severity == Severity::error     ? counts.errors
           : severity == Severity::warning ? counts.warnings
                                           : counts.notes);
    }
    writeError = text.finish();
    return counts;
}

}  // namespace ambertap
