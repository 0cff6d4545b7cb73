// The JSON view: one object a record, on one line, with the keys of the
// message table.
#include <cstdio>

#include "capi_message.h"
#include "code_names.h"
#include "decoded_message.h"
#include "field_meaning.h"
#include "line_writer.h"
#include "message_views.h"
#include "record_output.h"
#include "utc_time.h"

namespace ambertap {

namespace {

// Writes JSON into a line, putting the commas between members and elements.
// Strings are written byte for byte: printable ASCII as it is, every other
// byte as the \u00XX escape of its value, so that the line is ASCII and valid
// UTF-8 whatever the trace holds.
class JsonLine {
  public:
    explicit JsonLine(LineWriter& line) : line_(line) {}

    void beginObject() { open('{'); }
    void endObject() { close('}'); }
    void beginArray() { open('['); }
    void endArray() { close(']'); }

    void key(std::string_view name) {
        separate();
        line_.append('"', name, "\":");
        needsComma_ = false;
    }

    void number(std::int64_t value) {
        separate();
        line_.decimal(value);
        needsComma_ = true;
    }
    void number(std::uint64_t value) { number(static_cast<std::int64_t>(value)); }

    void boolean(bool value) {
        separate();
        line_.text(value ? std::string_view("true") : std::string_view("false"));
        needsComma_ = true;
    }

    void string(std::span<const std::uint8_t> bytes) {
        separate();
        line_.character('"');
        std::size_t plain = 0;
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            if (!passesAsItIs(bytes[i])) {
                appendPlain(bytes.subspan(plain, i - plain));
                appendEscape(bytes[i]);
                plain = i + 1;
            }
        }
        appendPlain(bytes.subspan(plain));
        line_.character('"');
        needsComma_ = true;
    }
    void string(std::string_view text) {
        string(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    }

    // "81 30 33": two lower-case hex digits a byte, one space apart.
    void hexBytes(std::span<const std::uint8_t> bytes) {
        separate();
        line_.character('"');
        if (!bytes.empty()) {
            line_.append(Hex{bytes[0], 2}, SpacedHexBytes{bytes.subspan(1)});
        }
        line_.character('"');
        needsComma_ = true;
    }

    // A value that `write` puts on the line itself.
    template <typename Write>
    void raw(Write write) {
        separate();
        write(line_);
        needsComma_ = true;
    }

    // "0x%016x".
    void wideHex(std::uint64_t value) {
        separate();
        line_.append("\"0x", Hex{static_cast<std::uint32_t>(value >> 32), 8},
                     Hex{static_cast<std::uint32_t>(value), 8}, '"');
        needsComma_ = true;
    }

  private:
    static bool passesAsItIs(std::uint8_t byte) {
        return byte >= 0x20 && byte <= 0x7e && byte != '"' && byte != '\\';
    }

    void appendPlain(std::span<const std::uint8_t> bytes) {
        line_.characters(bytes, [](std::uint8_t byte) { return static_cast<char>(byte); });
    }

    void appendEscape(std::uint8_t byte) {
        if (byte == '"' || byte == '\\') {
            line_.append('\\', static_cast<char>(byte));
        } else {
            line_.append("\\u00", Hex{byte, 2});
        }
    }

    void open(char bracket) {
        separate();
        line_.character(bracket);
        needsComma_ = false;
    }
    void close(char bracket) {
        line_.character(bracket);
        needsComma_ = true;
    }
    void separate() {
        if (needsComma_) {
            line_.character(',');
        }
    }

    LineWriter& line_;
    bool needsComma_ = false;
};

void writeAddress(const Field& field, JsonLine& json) {
    const AddressParts parts = addressParts(static_cast<std::uint32_t>(field.value));
    json.beginObject();
    json.key("value");
    json.number(field.value);
    json.key("controller");
    json.number(std::uint64_t{parts.controller});
    json.key("external");
    json.boolean(parts.external);
    json.key("plci");
    json.number(std::uint64_t{parts.plci});
    json.key("ncci");
    json.number(std::uint64_t{parts.ncci});
    json.endObject();
}

void writeBits(const Field& field, JsonLine& json) {
    json.beginObject();
    json.key("value");
    json.number(field.value);
    json.key("names");
    json.beginArray();
    for (std::uint32_t bit = 0; bit < 64; ++bit) {
        if (((field.value >> bit) & 1u) != 0) {
            if (const char* name = nameOf(field.definition->names, bit)) {
                json.string(std::string_view(name));
            }
        }
    }
    json.endArray();
    json.endObject();
}

void writeNamed(const Field& field, JsonLine& json) {
    const NumberMeaning meaning = numberMeaning(field);
    json.beginObject();
    json.key("value");
    json.number(field.value);
    if (meaning.kindKey != nullptr) {
        json.key("kind");
        json.string(std::string_view(meaning.kindKey));
    }
    if (meaning.cause >= 0) {
        json.key("cause");
        json.number(std::int64_t{meaning.cause});
    }
    if (meaning.name != nullptr) {
        json.key("name");
        json.string(std::string_view(meaning.name));
    }
    json.endObject();
}

void writeNumber(const Field& field, JsonLine& json) {
    switch (field.definition->meaning) {
        case Meaning::plain:
        case Meaning::quantity:
            json.number(field.value);
            break;
        case Meaning::signedQuantity:
            json.number(signedValue(field));
            break;
        case Meaning::wideHex:
            json.wideHex(field.value);
            break;
        case Meaning::address:
            writeAddress(field, json);
            break;
        case Meaning::bits:
            writeBits(field, json);
            break;
        default:
            writeNamed(field, json);
            break;
    }
}

void writeMembers(const DecodedMessage& message, std::size_t first, std::size_t last,
                  JsonLine& json);

void writeStructure(const DecodedMessage& message, std::size_t index, JsonLine& json) {
    const Field& field = message.fields()[index];
    json.beginObject();
    json.key("bytes");
    json.hexBytes(message.bytesOf(field));
    writeMembers(message, index + 1, field.end, json);
    if (field.cut) {
        json.key("cut");
        json.boolean(true);
    }
    json.endObject();
}

void writeValue(const DecodedMessage& message, std::size_t index, JsonLine& json);

// A list's items as an array of their values.
void writeList(const DecodedMessage& message, std::size_t index, JsonLine& json) {
    const auto fields = message.fields();
    json.beginArray();
    for (std::size_t i = index + 1; i < fields[index].end; i = fields[i].end) {
        writeValue(message, i, json);
    }
    json.endArray();
}

void writeValue(const DecodedMessage& message, std::size_t index, JsonLine& json) {
    const Field& field = message.fields()[index];
    switch (field.type()) {
        case ParameterType::structure:
            writeStructure(message, index, json);
            break;
        case ParameterType::list:
            writeList(message, index, json);
            break;
        case ParameterType::group:
            json.beginObject();
            writeMembers(message, index + 1, field.end, json);
            json.endObject();
            break;
        case ParameterType::text:
            json.string(message.bytesOf(field));
            break;
        case ParameterType::bytes:
            json.hexBytes(message.bytesOf(field));
            break;
        default:
            writeNumber(field, json);
            break;
    }
}

// The fields from `first` up to `last` at one depth, each with what lies inside it.
void writeMembers(const DecodedMessage& message, std::size_t first, std::size_t last,
                  JsonLine& json) {
    const auto fields = message.fields();
    for (std::size_t i = first; i < last; i = fields[i].end) {
        json.key(fields[i].key());
        writeValue(message, i, json);
    }
}

void writeHeaderNumber(const DecodedMessage& message, std::string_view key, JsonLine& json) {
    if (const Field* field = message.find(key)) {
        json.key(key);
        json.number(field->value);
    }
}

void writeCommand(const DecodedMessage& message, JsonLine& json) {
    if (!message.hasCommandWord()) {
        return;
    }
    const std::uint16_t commandWord = message.commandWord();
    const std::string_view name = messageName(commandWord);
    json.key("command");
    json.string(name.empty() ? unnamedCodeText(commandWord).view() : name);
    json.key("commandWord");
    json.number(std::uint64_t{commandWord});
}

void writeMessage(const DecodedMessage& message, JsonLine& json) {
    writeHeaderNumber(message, "totalLength", json);
    writeHeaderNumber(message, "applId", json);
    writeHeaderNumber(message, "messageNumber", json);
    writeCommand(message, json);
    const auto fields = message.fields();
    if (fields.size() >= headerLayout.size()) {
        json.key("parameters");
        json.beginObject();
        writeMembers(message, headerLayout.size(), fields.size(), json);
        json.endObject();
    }
    if (message.cut()) {
        json.key("cut");
        json.boolean(true);
        json.key("missing");
        json.string(std::string_view(message.missing()->key));
    }
}

void writeDirection(ByteView record, JsonLine& json) {
    json.key("direction");
    const std::uint8_t direction = record.begin[TraceRecord::direction];
    if (direction == TraceRecord::put) {
        json.string(std::string_view("Put"));
    } else if (direction == TraceRecord::get) {
        json.string(std::string_view("Get"));
    } else {
        json.number(std::uint64_t{direction});
    }
}

// "YYYY-MM-DDThh:mm:ssZ" of seconds since 1970 in UTC.
void writeUtcTime(std::int64_t seconds, LineWriter& line) {
    const CivilTime time = civilTimeOfSeconds(seconds);
    line.character('"');
    line.decimal(time.year);
    const int parts[] = {time.month, time.day, time.hour, time.minute, time.second};
    const char separators[] = {'-', '-', 'T', ':', ':'};
    for (std::size_t i = 0; i < 5; ++i) {
        line.character(separators[i]);
        if (parts[i] < 10) {
            line.character('0');
        }
        line.decimal(parts[i]);
    }
    line.text("Z\"");
}

}  // namespace

int writeJsonTrace(const SavedTraceFacts& facts, const char* file, std::FILE* out) {
    RecordOutput output(out);
    LineWriter text(output.lineSpace(largestViewLine), largestViewLine);
    JsonLine json(text);
    json.beginObject();
    json.key("type");
    json.string(std::string_view("trace"));
    if (file != nullptr) {
        json.key("file");
        json.string(std::string_view(file));
    }
    json.key("version");
    json.beginObject();
    json.key("major");
    json.number(std::uint64_t{facts.versionMajor});
    json.key("minor");
    json.number(std::uint64_t{facts.versionMinor});
    json.endObject();
    json.key("savedAt");
    json.raw([&](LineWriter& line) { writeUtcTime(facts.savedAt, line); });
    json.key("moreData");
    json.boolean(facts.moreData);
    json.key("recordBytes");
    json.number(facts.recordBytes);
    json.endObject();
    output.endLine(text.length());
    return output.writeOut();
}

int writeJsonRecord(ByteView record, std::uint64_t index, std::uint64_t offset,
                    std::string_view line, const char* file, ProtocolTracker& protocols,
                    std::FILE* out) {
    RecordOutput output(out);
    LineWriter text(output.lineSpace(largestViewLine), largestViewLine);
    JsonLine json(text);
    json.beginObject();
    json.key("type");
    json.string(std::string_view("record"));
    if (file != nullptr) {
        json.key("file");
        json.string(std::string_view(file));
    }
    json.key("index");
    json.number(index);
    json.key("offset");
    json.number(offset);
    if (record.size() > 0) {
        writeDirection(record, json);
    }
    json.key("line");
    json.string(line);
    if (holdsMessage(record)) {
        DecodedMessage message;
        decodeMessage(messageOfRecord(record), protocols, message);
        protocols.takeNote(message);
        writeMessage(message, json);
    }
    json.endObject();
    output.endLine(text.length());
    return output.writeOut();
}

}  // namespace ambertap
