// The calls view: one block per call, or one JSON object per call, and the
// messages of no call for each application and controller.
#include "call_texts.h"
#include "call_views.h"
#include "capi_vocabulary.h"
#include "code_names.h"
#include "json_writer.h"
#include "value_names.h"

namespace ambertap {

namespace {

constexpr auto controllerOf = CapiAddress::controllerOf;

const char* clearedByText(ClearedBy side) {
    switch (side) {
        case ClearedBy::application:
            return "the application";
        case ClearedBy::network:
            return "the network";
        case ClearedBy::notCleared:
            return "nobody";
    }
    return "nobody";
}

const char* clearedByKey(ClearedBy side) {
    return side == ClearedBy::application ? "application" : "network";
}

void appendRecords(TextOutput& out, std::uint64_t first, std::uint64_t last) {
    if (first == last) {
        out.text("record ").number(first);
    } else {
        out.text("records ").number(first).character('-').number(last);
    }
}

void appendBlocks(TextOutput& out, const char* verb, const Traffic& traffic) {
    out.text(verb).character(' ').number(traffic.blocks);
    out.text(traffic.blocks == 1 ? " block (" : " blocks (").number(traffic.bytes);
    out.text(traffic.bytes == 1 ? " byte)" : " bytes)");
}

// ---- Text ----

void writeConnection(TextOutput& out, const Connection& connection) {
    out.text("  NCCI ").hex(connection.ncci, 8);
    if (connection.begunBeforeTrace) {
        out.text(", begun before the trace");
    } else {
        out.text(connection.outgoing ? ", outgoing" : ", incoming");
    }
    if (connection.connectedRecord != 0) {
        out.text(": connected at record ").number(connection.connectedRecord);
    } else {
        out.text(": not connected in the trace");
    }
    out.endLine();
    out.text("    ");
    appendBlocks(out, "sent", connection.sent);
    out.text(", ");
    appendBlocks(out, "received", connection.received);
    if (connection.faxPages.shown) {
        out.text("; ").number(connection.faxPages.value);
        out.text(connection.faxPages.value == 1 ? " fax page" : " fax pages");
    }
    out.endLine();
    out.text("    ");
    if (connection.clearedBy != ClearedBy::notCleared) {
        out.text("cleared by ").text(clearedByText(connection.clearedBy));
        if (connection.reasonB3.shown) {
            out.text(": ");
            appendMeaning(out, "Reason_B3", connection.reasonB3.value,
                          infoText(connection.reasonB3.value));
            out.text(", record ").number(connection.reasonB3.record);
        }
    } else if (connection.state == NcciState::ended) {
        out.text("ended with its call");
    } else {
        out.text("still connected at the end of the trace");
    }
    out.endLine();
}

void writeBProtocols(TextOutput& out, const BProtocols& protocols) {
    out.text("  B protocols: ");
    appendMeaning(out, "B1", protocols.b1, nameOf(fullB1ProtocolNames, protocols.b1));
    out.text(", ");
    appendMeaning(out, "B2", protocols.b2, nameOf(fullB2ProtocolNames, protocols.b2));
    out.text(", ");
    appendMeaning(out, "B3", protocols.b3, nameOf(fullB3ProtocolNames, protocols.b3));
    out.endLine();
}

void writeEnd(TextOutput& out, const Call& call) {
    if (call.stillGoing()) {
        out.text("  still going at the end of the trace: ").text(shownAs(call.state));
        out.endLine();
        return;
    }
    if (call.clearedBy == ClearedBy::notCleared) {
        out.text("  ended at record ").number(call.end.record);
        out.endLine();
        return;
    }
    out.text("  cleared by ").text(clearedByText(call.clearedBy));
    if (call.reason.shown) {
        out.text(": ");
        appendMeaning(out, "Reason", call.reason.value, infoText(call.reason.value));
        out.text(", record ").number(call.reason.record);
    }
    out.endLine();
    if (call.cause.shown) {
        out.text("  cause: ").text(call.cause.description);
        out.text(", record ").number(call.cause.record);
        out.endLine();
    }
}

void writeCallText(TextOutput& out, const Call& call) {
    out.text("call ").number(call.number).text(": PLCI ").hex(call.plci, 4);
    out.text(" on controller ").number(controllerOf(call.plci));
    out.text(", application ").number(call.applId).text(", ");
    out.text(directionText(call.direction));
    if (call.begunBeforeTrace) {
        out.text(", begun before the trace");
    }
    out.text(" (");
    appendRecords(out, call.firstRecord, call.lastRecord);
    out.character(')');
    out.endLine();

    if (call.cipValue.shown) {
        out.text("  service: ");
        appendMeaning(out, "CIP", call.cipValue.value, nameOf(cipValueNames, call.cipValue.value));
        out.endLine();
    }
    if (call.bearer.shown) {
        out.text("  bearer: ").text(call.bearer.description);
        out.endLine();
    }
    if (call.numbersShown) {
        out.text("  called ").traceText(call.calledNumber.empty() ? "-" : call.calledNumber);
        out.text(", calling ").traceText(call.callingNumber.empty() ? "-" : call.callingNumber);
        out.endLine();
    }
    if (call.alertRecord != 0) {
        out.text("  alerted at record ").number(call.alertRecord);
        out.endLine();
    }
    if (call.reject.shown) {
        out.text("  answered at record ").number(call.reject.record).text(": ");
        appendMeaning(out, "Reject", call.reject.value, rejectText(call.reject.value));
        out.endLine();
    }
    if (call.bProtocolsShown) {
        writeBProtocols(out, call.bProtocols);
    }
    if (call.connectedRecord != 0) {
        out.text("  connected at record ").number(call.connectedRecord);
        if (!call.connectedNumber.empty()) {
            out.text(", connected number ").traceText(call.connectedNumber);
        }
    } else {
        out.text("  not connected in the trace");
    }
    out.endLine();
    for (const Connection& connection : call.connections) {
        writeConnection(out, connection);
    }
    if (call.charge.shown) {
        out.text("  charge: ").number(call.charge.units).text(" units at record ");
        out.number(call.charge.record);
        out.endLine();
    }
    writeEnd(out, call);
}

void writeNoCallText(TextOutput& out, const NoCallMessages& group) {
    out.text("application ").number(group.applId).text(", ");
    appendAddress(out, group.controller);
    out.text(": messages of no call (");
    appendRecords(out, group.firstRecord, group.lastRecord);
    out.character(')');
    out.endLine();
    for (const NoCallMessages::Kind& kind : group.kinds) {
        out.text("  ");
        appendMessageName(out, kind.commandWord);
        out.text(": ").number(kind.count).text(" (");
        appendRecords(out, kind.firstRecord, kind.lastRecord);
        out.character(')');
        out.endLine();
    }
}

// ---- JSON ----

using Json = JsonWriter<TextOutput>;

// A JSON object whose braces open and close with its scope.
class JsonObject {
  public:
    explicit JsonObject(Json& json) : json_(json) { json_.beginObject(); }
    JsonObject(const JsonObject&) = delete;
    JsonObject& operator=(const JsonObject&) = delete;
    ~JsonObject() { json_.endObject(); }

    Json& key(JsonKey name) {
        json_.key(name);
        return json_;
    }
    void number(JsonKey name, std::uint64_t value) { key(name).number(value); }
    void string(JsonKey name, std::string_view value) { key(name).string(value); }
    void boolean(JsonKey name, bool value) { key(name).boolean(value); }
    // {"value": 13456, "name": "normal call clearing"}, without a name it has none.
    void named(JsonKey name, std::uint16_t value, const char* meaning) {
        key(name);
        JsonObject inner(json_);
        inner.number("value", value);
        if (meaning != nullptr) {
            inner.string("name", meaning);
        }
    }
    Json& json() { return json_; }

  private:
    Json& json_;
};

void writeTraffic(JsonObject& object, JsonKey name, const Traffic& traffic) {
    object.key(name);
    JsonObject inner(object.json());
    inner.number("blocks", traffic.blocks);
    inner.number("bytes", traffic.bytes);
}

void writeBearerJson(JsonObject& object, const Bearer& bearer) {
    object.key("bearer");
    JsonObject inner(object.json());
    inner.string("description", bearer.description);
    if (bearer.capabilityShown) {
        inner.named("informationTransferCapability", bearer.capability, bearer.capabilityName);
    }
    inner.number("record", bearer.from.record);
}

// {"value": 17, "name": "user busy", "location": {...}, "description", "record"}
void writeCauseJson(JsonObject& object, const NetworkCause& cause) {
    object.key("cause");
    JsonObject inner(object.json());
    inner.number("value", cause.cause);
    if (cause.name != nullptr) {
        inner.string("name", cause.name);
    }
    if (cause.locationShown) {
        inner.named("location", cause.location, cause.locationName);
    }
    inner.string("description", cause.description);
    inner.number("record", cause.record);
}

void writeConnectionJson(Json& json, const Connection& connection) {
    JsonObject object(json);
    object.number("ncci", connection.ncci);
    if (!connection.begunBeforeTrace) {
        object.string("direction", connection.outgoing ? "outgoing" : "incoming");
    }
    object.boolean("begunBeforeTrace", connection.begunBeforeTrace);
    object.number("firstRecord", connection.firstRecord);
    if (connection.connectedRecord != 0) {
        object.number("connectedRecord", connection.connectedRecord);
    }
    writeTraffic(object, "sent", connection.sent);
    writeTraffic(object, "received", connection.received);
    if (connection.faxPages.shown) {
        object.number("faxPages", connection.faxPages.value);
    }
    if (connection.clearedBy != ClearedBy::notCleared) {
        object.key("cleared");
        JsonObject cleared(json);
        cleared.string("by", clearedByKey(connection.clearedBy));
        if (connection.reasonB3.shown) {
            cleared.named("reasonB3", connection.reasonB3.value,
                          infoText(connection.reasonB3.value));
            cleared.number("record", connection.reasonB3.record);
        }
    }
    if (connection.state == NcciState::ended) {
        object.number("endRecord", connection.end.record);
    }
    object.boolean("stillGoing", connection.state != NcciState::ended);
}

void writeCallJson(Json& json, const Call& call, const char* file) {
    JsonObject object(json);
    object.string("type", "call");
    if (file != nullptr) {
        object.string("file", file);
    }
    object.number("applId", call.applId);
    object.number("controller", controllerOf(call.plci));
    object.number("plci", call.plci);
    if (call.direction != CallDirection::unknown) {
        object.string("direction", directionText(call.direction));
    }
    object.boolean("begunBeforeTrace", call.begunBeforeTrace);
    object.number("firstRecord", call.firstRecord);
    object.number("lastRecord", call.lastRecord);
    if (call.cipValue.shown) {
        object.named("cipValue", call.cipValue.value, nameOf(cipValueNames, call.cipValue.value));
    }
    if (call.numbersShown) {
        object.string("calledPartyNumber", call.calledNumber);
        object.string("callingPartyNumber", call.callingNumber);
    }
    if (call.bearer.shown) {
        writeBearerJson(object, call.bearer);
    }
    if (call.alertRecord != 0) {
        object.number("alertRecord", call.alertRecord);
    }
    if (call.reject.shown) {
        object.key("answer");
        JsonObject answer(json);
        answer.named("reject", call.reject.value, rejectText(call.reject.value));
        answer.number("record", call.reject.record);
    }
    if (call.bProtocolsShown) {
        object.key("bProtocol");
        JsonObject protocols(json);
        const BProtocols& b = call.bProtocols;
        protocols.named("b1Protocol", b.b1, nameOf(fullB1ProtocolNames, b.b1));
        protocols.named("b2Protocol", b.b2, nameOf(fullB2ProtocolNames, b.b2));
        protocols.named("b3Protocol", b.b3, nameOf(fullB3ProtocolNames, b.b3));
    }
    if (call.connectedRecord != 0) {
        object.key("connected");
        JsonObject connected(json);
        connected.number("record", call.connectedRecord);
        if (!call.connectedNumber.empty()) {
            connected.string("connectedNumber", call.connectedNumber);
        }
    }
    object.key("connections").beginArray();
    for (const Connection& connection : call.connections) {
        writeConnectionJson(json, connection);
    }
    json.endArray();
    if (call.charge.shown) {
        object.key("charge");
        JsonObject charge(json);
        charge.number("units", call.charge.units);
        charge.number("record", call.charge.record);
    }
    if (call.clearedBy != ClearedBy::notCleared) {
        object.key("cleared");
        JsonObject cleared(json);
        cleared.string("by", clearedByKey(call.clearedBy));
        if (call.reason.shown) {
            cleared.named("reason", call.reason.value, infoText(call.reason.value));
            cleared.number("record", call.reason.record);
        }
        if (call.cause.shown) {
            writeCauseJson(cleared, call.cause);
        }
    }
    if (!call.stillGoing()) {
        object.number("endRecord", call.end.record);
    }
    object.boolean("stillGoing", call.stillGoing());
}

void writeNoCallJson(Json& json, const NoCallMessages& group, const char* file) {
    JsonObject object(json);
    object.string("type", "noCall");
    if (file != nullptr) {
        object.string("file", file);
    }
    object.number("applId", group.applId);
    object.number("controller", controllerOf(group.controller));
    object.number("firstRecord", group.firstRecord);
    object.number("lastRecord", group.lastRecord);
    object.key("messages").beginArray();
    for (const NoCallMessages::Kind& kind : group.kinds) {
        JsonObject message(json);
        const std::string_view name = messageName(kind.commandWord);
        message.string("command", name.empty() ? unnamedCodeText(kind.commandWord).view() : name);
        message.number("commandWord", kind.commandWord);
        message.number("count", kind.count);
        message.number("firstRecord", kind.firstRecord);
        message.number("lastRecord", kind.lastRecord);
    }
    json.endArray();
}

}  // namespace

const char* directionText(CallDirection direction) {
    switch (direction) {
        case CallDirection::outgoing:
            return "outgoing";
        case CallDirection::incoming:
            return "incoming";
        case CallDirection::unknown:
            return "of unknown direction";
    }
    return "of unknown direction";
}

void writeCallBlock(TextOutput& out, const Call& call) {
    writeCallText(out, call);
}

CallsWriter::CallsWriter(CallsFormat format, const char* fileOrNull, std::FILE* out,
                         std::size_t memoryBound)
    : text_(out),
      format_(format),
      file_(fileOrNull != nullptr ? fileOrNull : ""),
      held_(memoryBound) {}

void CallsWriter::takeCall(const Call& call) {
    if (heldError_ != 0) {
        return;
    }
    render(block_, call);
    std::string block(block_.held());
    block_.drop();
    if (call.number != next_) {
        heldError_ = held_.add(call.number, std::move(block));
        return;
    }
    write(block);
    while (!held_.empty() && held_.firstKey() == next_) {
        if ((heldError_ = held_.takeFirst(block)) != 0) {
            return;
        }
        write(block);
    }
}

void CallsWriter::beginBlock() {
    // A JSON object ends its line; a text block is parted from the next by an
    // empty line.
    if (format_ == CallsFormat::text && !firstBlock_) {
        text_.endLine();
    }
    firstBlock_ = false;
}

void CallsWriter::render(TextOutput& out, const Call& call) const {
    if (format_ == CallsFormat::json) {
        Json writer(out);
        writeCallJson(writer, call, fileOrNull());
        out.endLine();
    } else {
        writeCallText(out, call);
    }
}

void CallsWriter::write(std::string_view block) {
    ++next_;
    beginBlock();
    text_.lines(block);
}

int CallsWriter::finish(const CallModel& model) {
    // Every call has come: what is held comes in the order of its numbers.
    std::string block;
    while (heldError_ == 0 && !held_.empty()) {
        if ((heldError_ = held_.takeFirst(block)) == 0) {
            write(block);
        }
    }
    if (heldError_ != 0) {
        return heldError_;
    }
    for (const NoCallMessages& group : model.noCallMessages()) {
        if (group.kinds.empty()) {
            continue;
        }
        beginBlock();
        if (format_ == CallsFormat::json) {
            Json writer(text_);
            writeNoCallJson(writer, group, fileOrNull());
            text_.endLine();
        } else {
            writeNoCallText(text_, group);
        }
    }
    return text_.finish();
}

}  // namespace ambertap
