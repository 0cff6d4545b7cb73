// The check view: one finding a line, `FILE:RECORD: error: ...`, the form
// that compilers use and editors read.
#include "call_texts.h"
#include "call_views.h"
#include "capi_vocabulary.h"
#include "json_writer.h"
#include "value_names.h"

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

void appendRecord(TextOutput& out, std::uint64_t record) {
    out.text("record ").number(record);
}

// "the end of NCCI 00010101 (DISCONNECT_B3_RESP #0104, record 21)"
void appendEnd(TextOutput& out, const MessageRef& end) {
    out.text("the end of ");
    appendAddress(out, end.address);
    out.text(" (");
    appendMessage(out, end);
    out.text(", ");
    appendRecord(out, end.record);
    out.character(')');
}

void describe(TextOutput& out, const Finding& finding, const NeverAnswered& details) {
    const MessageRef& indication = finding.subject;
    appendMessage(out, indication);
    out.text(" on ");
    appendAddress(out, indication.address);
    out.text(" was never answered: application ").number(finding.applId);
    if (details.by == ProofBy::end) {
        out.text(" answered ");
        appendEnd(out, details.provenBy);
        out.text(" without answering it");
    } else {
        out.text(" answered ");
        appendMessage(out, details.provenBy);
        out.text(" (");
        appendRecord(out, details.provenBy.record);
        out.text("), which comes only after this answer");
    }
    if (const char* heldUp = whatItHoldsUp(indication.commandWord)) {
        out.text("; ").text(heldUp);
    }
    out.text("; answer it with ");
    appendMessageName(out, answerOf(indication.commandWord));
}

void describe(TextOutput& out, const Finding& finding, const AnsweredWithOtherAddress& details) {
    appendMessage(out, finding.subject);
    out.text(" answers ");
    appendMessage(out, details.indication);
    out.text(" (");
    appendRecord(out, details.indication.record);
    out.text(") with ");
    appendAddress(out, finding.subject.address);
    out.text(", but the indication was for ");
    appendAddress(out, details.indication.address);
    out.text(": answer with the indication's address");
}

void describe(TextOutput& out, const Finding& finding, const AnsweredWithOtherHandle& details) {
    appendMessage(out, finding.subject);
    out.text(" answers ");
    appendMessage(out, details.indication);
    out.text(" (");
    appendRecord(out, details.indication.record);
    out.text(") with Data handle ").hex(details.handleGiven, 4);
    out.text(", but the indication carries ").hex(details.handleExpected, 4);
    out.text(": answer with the indication's Data handle");
}

void describe(TextOutput& out, const Finding& finding, const UsedAfterEnd& details) {
    appendMessage(out, finding.subject);
    out.text(" uses ");
    appendAddress(out, finding.subject.address);
    if (details.end.address == finding.subject.address) {
        out.text(" after its end (");
    } else {
        out.text(" after the end of ");
        appendAddress(out, details.end.address);
        out.text(" (");
    }
    appendMessageName(out, details.end.commandWord);
    out.text(", ");
    appendRecord(out, details.end.record);
    out.text("): ");
    if (commandOf(details.end.commandWord) == CapiCommand::disconnectB3) {
        out.text("an NCCI is gone once its DISCONNECT_B3_IND is answered");
    } else {
        out.text("a PLCI is gone once its DISCONNECT_IND is answered");
    }
}

// "DISCONNECT_B3_CONF #0006 answers DISCONNECT_B3_REQ #0006 (record 19) with
// Info 2001 (not supported in the current state)", or without the request
// when it lies before the trace's start.
void appendRefusal(TextOutput& out, const MessageRef& confirmation, const MessageRef& request,
                   std::uint16_t info) {
    appendMessage(out, confirmation);
    if (request.record != 0) {
        out.text(" answers ");
        appendMessage(out, request);
        out.text(" (");
        appendRecord(out, request.record);
        out.text(") with ");
    } else {
        out.text(" has ");
    }
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

void describe(TextOutput& out, const Finding& finding, const RequestRefused& details) {
    appendRefusal(out, finding.subject, details.request, details.info);
    out.text(": the request was not carried out");
    if (const char* advice = adviceFor(details.info)) {
        out.text("; ").text(advice);
    }
}

void describe(TextOutput& out, const Finding& finding, const RefusedAsCleared& details) {
    appendRefusal(out, finding.subject, details.request, details.info);
    if (details.clearing.record != 0) {
        out.text(", and a clearing indication (");
        appendRecord(out, details.clearing.record);
        out.text(") crossed the request: a clear-down that crosses a request is normal");
    } else {
        out.text(
            "; its request lies before the trace's start, so a clear-down may have "
            "crossed it");
    }
}

void describe(TextOutput& out, const Finding& finding, const FacilityNotSupported& details) {
    appendRefusal(out, finding.subject, details.request, details.info);
    out.text(": the facility is not there on ");
    appendAddress(out, finding.subject.address);
}

void describe(TextOutput& out, const Finding& finding, const NeverConfirmed& details) {
    appendMessage(out, finding.subject);
    out.text(" on ");
    appendAddress(out, finding.subject.address);
    if (details.by == ProofBy::end) {
        out.text(" was never confirmed: application ").number(finding.applId).text(" answered ");
        appendEnd(out, details.provenBy);
        out.text(", after which nothing on it is confirmed");
        return;
    }
    out.text(" was never confirmed, though CAPI confirmed the later ");
    appendMessage(out, details.provenBy);
    out.text(" (");
    appendRecord(out, details.provenBy.record);
    out.text(") of application ").number(finding.applId).text(" on the same address");
}

void describeWindow(TextOutput& out, const Finding& finding, const WindowExceeded& details,
                    bool sending) {
    appendMessage(out, finding.subject);
    out.text(" on ");
    appendAddress(out, finding.subject.address);
    out.text(" makes ").number(details.waiting);
    out.text(sending ? " DATA_B3_REQ waiting for their DATA_B3_CONF"
                     : " DATA_B3_IND waiting for their DATA_B3_RESP");
    out.text("; at most ").number(details.window).text(" may wait on one connection: ");
    out.text(sending ? "wait for a confirmation before sending more"
                     : "answer each DATA_B3_IND at once");
}

void describe(TextOutput& out, const Finding& finding, const SendWindowExceeded& details) {
    describeWindow(out, finding, details, true);
}

void describe(TextOutput& out, const Finding& finding, const ReceiveWindowExceeded& details) {
    describeWindow(out, finding, details, false);
}

void describe(TextOutput& out, const Finding& finding, const ListenWithoutCip&) {
    appendMessage(out, finding.subject);
    out.text(" on ");
    appendAddress(out, finding.subject.address);
    out.text(" has CIP mask 00000000: application ").number(finding.applId);
    out.text(" will be offered no incoming call");
}

void describe(TextOutput& out, const Finding& finding, const CallGivenUp& details) {
    appendMessage(out, finding.subject);
    out.text(" on ");
    appendAddress(out, finding.subject.address);
    out.text(": the call ended before application ").number(finding.applId);
    out.text(" answered it (DISCONNECT_IND, ");
    appendRecord(out, details.clearing.record);
    out.text(", ");
    appendMeaning(out, "Reason", details.reason, infoText(details.reason));
    out.character(')');
}

void describe(TextOutput& out, const Finding& finding, const OutOfStep& details) {
    appendMessage(out, finding.subject);
    out.text(" on ");
    appendAddress(out, finding.subject.address);
    if (const auto* state = std::get_if<PlciState>(&details.state)) {
        out.text(" does not fit its call, which is ").text(shownAs(*state));
    } else {
        out.text(" does not fit its B3 connection, which is ")
            .text(shownAs(std::get<NcciState>(details.state)));
    }
    if (details.since.record != 0) {
        out.text(" (");
        appendMessageName(out, details.since.commandWord);
        out.text(", ");
        appendRecord(out, details.since.record);
        out.character(')');
    }
    out.text(": its state stays as it was");
}

void describe(TextOutput& out, const Finding& finding, const B1UnfitForBearer& details) {
    appendMessage(out, finding.subject);
    out.text(" on ");
    appendAddress(out, finding.subject.address);
    out.text(" accepts ");
    appendMessage(out, details.indication);
    out.text(" (");
    appendRecord(out, details.indication.record);
    out.text(") with ");
    appendMeaning(out, "B1", details.b1, nameOf(fullB1ProtocolNames, details.b1));
    if (details.b1ByDefault) {
        out.text(", the default of an empty B protocol");
    }
    out.text(", which its bearer cannot carry (BC: ").text(details.bearer);
    out.text("): the two ends then speak different things on the B channel");
}

void describeOpen(TextOutput& out, const Finding& finding, const char* what) {
    appendMessage(out, finding.subject);
    out.text(" on ");
    appendAddress(out, finding.subject.address);
    out.text(" is ").text(what).text(" by the end of the trace");
}

void describe(TextOutput& out, const Finding& finding, const OpenIndication&) {
    describeOpen(out, finding, "not answered");
}

void describe(TextOutput& out, const Finding& finding, const OpenRequest&) {
    describeOpen(out, finding, "not confirmed");
}

void describe(TextOutput& out, const Finding& finding, const MessageCut&) {
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

void appendGap(TextOutput& out, const TraceGap& gap) {
    out.text("; the capture's ").text(gap.certain ? "gap" : "possible gap");
    if (gap.afterRecord != 0) {
        out.text(" after ");
        appendRecord(out, gap.afterRecord);
    } else {
        out.text(" at its start");
    }
    out.text(" may hold a lost message that explains it");
}

// ---- JSON ----

using Json = JsonWriter<TextOutput>;

// The messages that prove a finding, each with the part it plays.
class Proofs {
  public:
    explicit Proofs(Json& json) : json_(json) {}

    void add(const char* role, const MessageRef& message) {
        if (message.record == 0) {
            return;  // before the trace, or none
        }
        json_.beginObject();
        json_.key("role");
        json_.string(std::string_view(role));
        json_.key("record");
        json_.number(message.record);
        json_.key("command");
        writeCommand(json_, message.commandWord);
        json_.key("messageNumber");
        json_.number(message.messageNumber);
        json_.endObject();
    }

    static void writeCommand(Json& json, std::uint16_t commandWord) {
        TextOutput name(nullptr);
        appendMessageName(name, commandWord);
        json.string(name.held());
    }

  private:
    Json& json_;
};

void addProofs(Proofs& proofs, const NeverAnswered& details) {
    proofs.add(details.by == ProofBy::end ? "end" : "laterAnswer", details.provenBy);
}
void addProofs(Proofs& proofs, const AnsweredWithOtherAddress& details) {
    proofs.add("indication", details.indication);
}
void addProofs(Proofs& proofs, const AnsweredWithOtherHandle& details) {
    proofs.add("indication", details.indication);
}
void addProofs(Proofs& proofs, const UsedAfterEnd& details) {
    proofs.add("end", details.end);
}
void addProofs(Proofs& proofs, const RequestRefused& details) {
    proofs.add("request", details.request);
}
void addProofs(Proofs& proofs, const RefusedAsCleared& details) {
    proofs.add("request", details.request);
    proofs.add("clearing", details.clearing);
}
void addProofs(Proofs& proofs, const FacilityNotSupported& details) {
    proofs.add("request", details.request);
}
void addProofs(Proofs& proofs, const NeverConfirmed& details) {
    if (details.by == ProofBy::end) {
        proofs.add("end", details.provenBy);
        return;
    }
    proofs.add("laterRequest", details.provenBy);
    proofs.add("laterConfirmation", details.confirmation);
}
void addProofs(Proofs& proofs, const WindowExceeded& details) {
    for (const MessageRef& earlier : details.earlier) {
        proofs.add("waiting", earlier);
    }
}
void addProofs(Proofs& proofs, const CallGivenUp& details) {
    proofs.add("clearing", details.clearing);
}
void addProofs(Proofs& proofs, const OutOfStep& details) {
    proofs.add("stateSince", details.since);
}
void addProofs(Proofs& proofs, const B1UnfitForBearer& details) {
    proofs.add("indication", details.indication);
}
// Nothing but the message itself shows these.
void addProofs(Proofs&, const ListenWithoutCip&) {}
void addProofs(Proofs&, const OpenIndication&) {}
void addProofs(Proofs&, const OpenRequest&) {}
void addProofs(Proofs&, const MessageCut&) {}

// What a kind says besides its proof: the Info of a refused request, the Data
// handles, the window and the count.
void addFields(Json& json, const AnsweredWithOtherHandle& details) {
    json.key("dataHandle");
    json.number(details.handleGiven);
    json.key("expectedDataHandle");
    json.number(details.handleExpected);
}
void addInfo(Json& json, std::uint16_t info) {
    json.key("info");
    json.number(info);
}
void addFields(Json& json, const RequestRefused& details) {
    addInfo(json, details.info);
}
void addFields(Json& json, const RefusedAsCleared& details) {
    addInfo(json, details.info);
}
void addFields(Json& json, const FacilityNotSupported& details) {
    addInfo(json, details.info);
}
void addWindow(Json& json, const WindowExceeded& details) {
    json.key("waiting");
    json.number(details.waiting);
    json.key("window");
    json.number(details.window);
}
void addFields(Json& json, const SendWindowExceeded& details) {
    addWindow(json, details);
}
void addFields(Json& json, const ReceiveWindowExceeded& details) {
    addWindow(json, details);
}
void addFields(Json& json, const CallGivenUp& details) {
    json.key("reason");
    json.number(details.reason);
}
void addFields(Json& json, const B1UnfitForBearer& details) {
    json.key("b1Protocol");
    json.number(details.b1);
    json.key("informationTransferCapability");
    json.number(details.capability);
}
template <typename Details>
void addFields(Json&, const Details&) {}

// The address the finding's message carries: its controller, and its PLCI or
// NCCI as calls --json gives them.
void addAddress(Json& json, std::uint32_t address) {
    json.key("controller");
    json.number(CapiAddress::controllerOf(address));
    if (CapiAddress::namesNcci(address)) {
        json.key("ncci");
        json.number(address);
    } else if (CapiAddress::namesPlci(address)) {
        json.key("plci");
        json.number(CapiAddress::plciOf(address));
    }
}

void addGap(Json& json, const TraceGap& gap) {
    json.key("gap");
    json.beginObject();
    json.key("certain");
    json.boolean(gap.certain);
    json.key("from");
    json.number(gap.from);
    json.key("to");
    json.number(gap.to);
    json.key("afterRecord");
    json.number(gap.afterRecord);
    json.endObject();
}

}  // namespace

void appendFindingText(TextOutput& out, const Finding& finding) {
    std::visit([&](const auto& details) { describe(out, finding, details); }, finding.details);
    if (finding.acrossGap) {
        appendGap(out, *finding.acrossGap);
    }
}

FindingsWriter::FindingsWriter(const char* fileName, std::FILE* out, CheckFormat format,
                               bool nameFileInJson, std::size_t memoryBound)
    : text_(out),
      fileName_(fileName != nullptr ? fileName : ""),
      format_(format),
      nameFileInJson_(nameFileInJson),
      held_(memoryBound) {}

void FindingsWriter::takeFinding(const Finding& finding) {
    if (heldError_ != 0) {
        return;
    }
    if (format_ == CheckFormat::json) {
        renderJson(finding);
    } else {
        render(finding);
    }
    counts_.count(finding.severity());
    heldError_ = held_.add(finding.subject.record, std::string(line_.held()));
    line_.drop();
}

void FindingsWriter::settle(std::uint64_t record) {
    writeHeld(record);
}

int FindingsWriter::finish() {
    writeHeld(UINT64_MAX);
    const int error = text_.finish();
    return heldError_ != 0 ? heldError_ : error;
}

void FindingsWriter::writeHeld(std::uint64_t before) {
    std::string line;
    while (heldError_ == 0 && !held_.empty() && held_.firstKey() < before) {
        if ((heldError_ = held_.takeFirst(line)) == 0) {
            text_.lines(line);
        }
    }
}

void FindingsWriter::render(const Finding& finding) {
    const Severity severity = finding.severity();
    line_.text(fileName_).character(':');
    line_.number(finding.subject.record).text(": ").text(severityText(severity)).text(": ");
    appendFindingText(line_, finding);
    line_.endLine();
}

void FindingsWriter::renderJson(const Finding& finding) {
    const Severity severity = finding.severity();
    const FindingKindRow& kind = rowOf(finding.kind());
    Json json(line_);
    json.beginObject();
    json.key("type");
    json.string(std::string_view("finding"));
    if (nameFileInJson_) {
        json.key("file");
        json.string(fileName_);
    }
    // A cut message may end before its command, its number or its address.
    const bool whole = kind.kind != FindingKind::messageCut;
    json.key("record");
    json.number(finding.subject.record);
    if (whole) {
        json.key("messageNumber");
        json.number(finding.subject.messageNumber);
    }
    json.key("severity");
    json.string(std::string_view(severityText(severity)));
    json.key("kind");
    json.string(std::string_view(kind.key));
    if (finding.subject.commandWord != 0) {
        json.key("command");
        Proofs::writeCommand(json, finding.subject.commandWord);
    }
    if (whole) {
        addAddress(json, finding.subject.address);
        json.key("applId");
        json.number(finding.applId);
    }
    std::visit([&](const auto& details) { addFields(json, details); }, finding.details);
    words_.drop();
    appendFindingText(words_, finding);
    json.key("message");
    json.string(words_.held());
    json.key("proof");
    json.beginArray();
    Proofs proofs(json);
    std::visit([&](const auto& details) { addProofs(proofs, details); }, finding.details);
    json.endArray();
    if (finding.acrossGap) {
        addGap(json, *finding.acrossGap);
    }
    json.endObject();
    line_.endLine();
}

int writeCheckSummaryJson(const CheckCounts& counts, std::FILE* out) {
    TextOutput text(out);
    Json json(text);
    json.beginObject();
    json.key("type");
    json.string(std::string_view("summary"));
    json.key("errors");
    json.number(counts.errors);
    json.key("warnings");
    json.number(counts.warnings);
    json.key("notes");
    json.number(counts.notes);
    json.endObject();
    text.endLine();
    return text.finish();
}

}  // namespace ambertap
