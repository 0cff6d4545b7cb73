// The JSON view: one object a record, on one line, with the keys of the
// message table.
#include <cstdio>

#include "capi_message.h"
#include "code_names.h"
#include "decoded_message.h"
#include "field_meaning.h"
#include "json_writer.h"
#include "line_writer.h"
#include "message_views.h"
#include "record_output.h"
#include "utc_time.h"

namespace ambertap {

namespace {

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
            // A number of a signed encoding (an element's ASN.1 INTEGER) is
            // held sign-extended: no plain number of a message is that large.
            json.number(static_cast<std::int64_t>(field.value));
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
        json.key(fields[i].definition->key);
        writeValue(message, i, json);
    }
}

void writeHeaderNumber(const DecodedMessage& message, HeaderField which, JsonLine& json) {
    if (const Field* field = message.header(which)) {
        json.key(field->definition->key);
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
    writeHeaderNumber(message, HeaderField::totalLength, json);
    writeHeaderNumber(message, HeaderField::applId, json);
    writeHeaderNumber(message, HeaderField::messageNumber, json);
    writeCommand(message, json);
    const auto fields = message.fields();
    if (fields.size() >= headerFieldCount) {
        json.key("parameters");
        json.beginObject();
        writeMembers(message, headerFieldCount, fields.size(), json);
        json.endObject();
    }
    if (message.cut()) {
        json.key("cut");
        json.boolean(true);
        json.key("missing");
        json.string(message.missing()->key.text());
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

void writeSeenAt(std::int64_t milliseconds, TimePrecision precision, JsonLine& json) {
    json.raw([&](LineWriter& line) {
        line.character('"');
        writeUtcTime(milliseconds, precision, line);
        line.character('"');
    });
}

void writeJsonTrace(const SavedTraceFacts& facts, const char* file, RecordOutput& output) {
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
    json.number(facts.versionMajor);
    json.key("minor");
    json.number(facts.versionMinor);
    json.endObject();
    json.key("savedAt");
    json.raw([&](LineWriter& line) { writeUtcTime(facts.savedAt, line); });
    json.key("moreData");
    json.boolean(facts.moreData);
    json.key("recordBytes");
    json.number(facts.recordBytes);
    json.endObject();
    output.endLine(text.length());
}

void writeJsonRecord(const TracedRecord& record, const JsonRecordPlace& place,
                     RecordOutput& output) {
    LineWriter text(output.lineSpace(largestViewLine), largestViewLine);
    JsonLine json(text);
    json.beginObject();
    json.key("type");
    json.string(std::string_view("record"));
    if (place.file != nullptr) {
        json.key("file");
        json.string(std::string_view(place.file));
    }
    json.key("index");
    json.number(record.index);
    json.key("offset");
    json.number(record.offset);
    if (place.seenAt) {
        json.key("seenAt");
        writeSeenAt(record.seenAt, record.precision, json);
    }
    writeDirection(record.bytes, json);
    json.key("line");
    json.string(record.line);
    if (record.message != nullptr) {
        writeMessage(*record.message, json);
    }
    json.endObject();
    output.endLine(text.length());
}

}  // namespace ambertap
