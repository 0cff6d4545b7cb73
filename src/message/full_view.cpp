// The full view: the record's line, then every field of its message, one a
// line, in the tool's hexadecimal conventions and with what the value means.
#include <bit>
#include <cstring>

#include "decoded_message.h"
#include "field_meaning.h"
#include "line_writer.h"
#include "message_views.h"
#include "parameter_structures.h"
#include "record_output.h"

namespace ambertap {

namespace {

// A structure's bytes at most (255 of them, three characters each), with its
// name, depth and marks.
constexpr int fieldLineRoom = 1024;

// Two spaces a level, the parameters' own level included.
void appendIndent(std::uint8_t depth, LineWriter& line) {
    constexpr std::string_view someLevels = "                ";
    std::size_t spaces = 2 * (std::size_t{depth} + 1);
    for (; spaces > someLevels.size(); spaces -= someLevels.size()) {
        line.text(someLevels);
    }
    line.text(someLevels.substr(0, spaces));
}

// The number after a space.
void appendHexNumber(const Field& field, LineWriter& line) {
    switch (field.type()) {
        case ParameterType::byte:
            line.append(' ', Hex{static_cast<std::uint32_t>(field.value), 2});
            break;
        case ParameterType::word:
            line.append(' ', Hex{static_cast<std::uint32_t>(field.value), 4});
            break;
        case ParameterType::dword:
            line.append(' ', Hex{static_cast<std::uint32_t>(field.value), 8});
            break;
        default:
            line.append(' ', Hex{static_cast<std::uint32_t>(field.value >> 32), 8},
                        Hex{static_cast<std::uint32_t>(field.value), 8});
            break;
    }
}

void appendAddress(const Field& field, LineWriter& line) {
    const AddressParts parts = addressParts(static_cast<std::uint32_t>(field.value));
    line.text(" (controller ");
    line.decimal(parts.controller);
    if (parts.external) {
        line.text(" external");
    }
    const std::string_view key = field.key();
    if (key != "controller" || parts.plci != 0 || parts.ncci != 0) {
        line.append(", PLCI ", Hex{parts.plci, 2});
    }
    if (key == "ncci" || parts.ncci != 0) {
        line.append(", NCCI ", Hex{parts.ncci, 4});
    }
    line.character(')');
}

// Each set bit by name, or as "bit N" where the standard names none.
void appendBits(const Field& field, LineWriter& line) {
    line.text(" (");
    if (field.value == 0) {
        line.text("none");
    }
    const char* separator = "";
    for (std::uint64_t bits = field.value; bits != 0; bits &= bits - 1) {
        const auto bit = static_cast<std::uint32_t>(std::countr_zero(bits));
        line.text(separator);
        if (const char* name = nameOf(field.definition->names, bit)) {
            line.text(name);
        } else {
            line.text("bit ");
            line.decimal(bit);
        }
        separator = ", ";
    }
    line.character(')');
}

// The number in decimal, with its unit when it has one.
void appendQuantity(std::int64_t value, const char* unit, LineWriter& line) {
    line.text(" (");
    line.decimal(value);
    if (unit != nullptr) {
        line.append(' ', std::string_view(unit));
    }
    line.character(')');
}

void appendNamedMeaning(const Field& field, LineWriter& line) {
    const NumberMeaning meaning = numberMeaning(field);
    if (meaning.cause < 0 && meaning.name == nullptr && meaning.kind == nullptr) {
        return;
    }
    line.text(" (");
    const char* separator = "";
    // A charge's name says that it is one.
    const bool kindInName = meaning.name != nullptr && meaning.kindKey != nullptr &&
                            std::string_view(meaning.kindKey) == "charge";
    if (meaning.kind != nullptr && !kindInName) {
        line.text(meaning.kind);
        separator = " ";
    }
    if (meaning.cause >= 0) {
        line.text("Q.850 cause ");
        line.decimal(meaning.cause);
        separator = ", ";
    }
    if (meaning.name != nullptr) {
        line.append(std::string_view(separator), std::string_view(meaning.name));
    }
    line.character(')');
}

void appendMeaning(const Field& field, LineWriter& line) {
    switch (field.definition->meaning) {
        case Meaning::address:
            appendAddress(field, line);
            break;
        case Meaning::bits:
            appendBits(field, line);
            break;
        case Meaning::quantity:
            appendQuantity(static_cast<std::int64_t>(field.value), field.definition->unit, line);
            break;
        case Meaning::signedQuantity:
            appendQuantity(signedValue(field), field.definition->unit, line);
            break;
        case Meaning::plain:
        case Meaning::wideHex:
            break;
        default:
            appendNamedMeaning(field, line);
            break;
    }
}

void appendValue(const DecodedMessage& message, const Field& field, LineWriter& line) {
    switch (field.type()) {
        case ParameterType::structure:
            if (field.length == 0 && !field.cut) {
                line.text(" (empty)");
            } else {
                line.append(SpacedHexBytes{message.bytesOf(field)});
            }
            if (field.cut) {
                line.text(" <cut>");
            }
            break;
        case ParameterType::text:
            if (field.length > 0) {
                line.character(' ');
                line.characters(message.bytesOf(field), shownCharacter);
            }
            break;
        case ParameterType::bytes:
        case ParameterType::group:
            line.append(SpacedHexBytes{message.bytesOf(field)});
            break;
        case ParameterType::list:
            // Its items follow, one a line each.
            break;
        default:
            appendHexNumber(field, line);
            appendMeaning(field, line);
            break;
    }
}

void buildField(const DecodedMessage& message, const Field& field, LineWriter& line) {
    appendIndent(field.depth, line);
    line.append(field.definition->label, ':');
    appendValue(message, field, line);
}

void writeField(const DecodedMessage& message, const Field& field, RecordOutput& output) {
    LineWriter line(output.lineSpace(fieldLineRoom), fieldLineRoom);
    buildField(message, field, line);
    output.endLine(line.length());
}

// Where a damaged message ends, and the first field it does not hold whole.
void buildEnd(const DecodedMessage& message, LineWriter& line) {
    appendIndent(0, line);
    line.text("<cut> the message ends after ");
    line.decimal(static_cast<std::int64_t>(message.endOffset()));
    line.append(
        message.endOffset() == 1 ? std::string_view(" byte, ") : std::string_view(" bytes, "),
        message.missingShownInPart() ? std::string_view("inside ") : std::string_view("before "),
        message.missing()->label);
}

void writeEnd(const DecodedMessage& message, RecordOutput& output) {
    LineWriter line(output.lineSpace(fieldLineRoom), fieldLineRoom);
    buildEnd(message, line);
    output.endLine(line.length());
}

void writeLine(std::string_view text, RecordOutput& output) {
    const std::size_t room = text.size() + 1;
    char* at = output.lineSpace(room);
    std::memcpy(at, text.data(), text.size());
    output.endLine(text.size());
}

}  // namespace

void writeFullRecord(const TracedRecord& record, std::string_view line, RecordOutput& output) {
    writeLine(line.substr(0, largestViewLine - 1), output);
    if (record.message == nullptr) {
        return;
    }
    const DecodedMessage& message = *record.message;
    for (const Field& field : message.parameters()) {
        writeField(message, field, output);
    }
    if (message.cut()) {
        writeEnd(message, output);
    }
}

std::vector<std::string> fullRecordLines(const TracedRecord& record, std::string_view line) {
    std::vector<std::string> lines{std::string(line.substr(0, largestViewLine - 1))};
    if (record.message == nullptr) {
        return lines;
    }
    const DecodedMessage& message = *record.message;
    char text[fieldLineRoom];
    for (const Field& field : message.parameters()) {
        LineWriter built(text, fieldLineRoom);
        buildField(message, field, built);
        lines.emplace_back(text, built.length());
    }
    if (message.cut()) {
        LineWriter built(text, fieldLineRoom);
        buildEnd(message, built);
        lines.emplace_back(text, built.length());
    }
    return lines;
}

}  // namespace ambertap
