// One traced CAPI 2.0 message walked into a tree of its parameters, which the
// views and the analyses read. The walk is bounded by the message's Total
// length and by the data: a field is in the tree only when its bytes are.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "byte_reader.h"
#include "message_table.h"

namespace ambertap {

class ProtocolTracker;

// A header field, a parameter, or a field inside a structure. Fields lie in
// the message in walk order; a structure's fields follow it directly.
struct Field {
    const ParameterDefinition* definition;  // key, name, type and meaning
    std::uint16_t offset;                   // of the value; for a structure, of its content
    std::uint16_t length;                   // bytes of the value held in the data
    std::uint16_t end;                      // index after the last field inside this one
    std::uint8_t depth;                     // 0 for parameters, 1 inside their structures, ...
    bool cut;                               // a structure whose content runs past its container
    std::uint64_t value;                    // a number's value; a structure's declared length

    std::string_view key() const { return definition->key.text(); }
    ParameterType type() const { return definition->type; }
};

class DecodedMessage {
  public:
    // Enough for every layout's fields at their deepest; the walk stops at the
    // capacity, marking the message cut, rather than going past it.
    static constexpr std::size_t capacity = 256;

    // The message bytes, as far as the data and the Total length both hold them.
    std::span<const std::uint8_t> bytes() const { return {bytes_.begin, bytes_.size()}; }

    std::span<const Field> fields() const { return {fields_, count_}; }
    // The fields after the header's.
    std::span<const Field> parameters() const { return fields().subspan(headerFields()); }

    // A header field, or null when the message does not hold it: the
    // header's fields come first, in its order.
    const Field* header(HeaderField which) const {
        const auto index = static_cast<std::size_t>(which);
        return index < count_ ? &fields_[index] : nullptr;
    }
    std::uint16_t headerWord(HeaderField which) const {
        return static_cast<std::uint16_t>(numberOr(header(which), 0));
    }

    // The parameter or header field with this key, or null.
    const Field* find(std::string_view key) const;
    // The field with this key directly inside `parent`, or null.
    const Field* find(const Field& parent, std::string_view key) const;

    // The bytes of a field's value (a structure's content, a text's characters).
    std::span<const std::uint8_t> bytesOf(const Field& field) const {
        return bytes().subspan(field.offset, field.length);
    }
    // A number's value, or `otherwise` when the field is absent.
    static std::uint64_t numberOr(const Field* field, std::uint64_t otherwise) {
        return field != nullptr ? field->value : otherwise;
    }

    // Whether the message holds a command word (and the header before it).
    bool hasCommandWord() const { return header(HeaderField::commandWord) != nullptr; }
    std::uint16_t commandWord() const { return headerWord(HeaderField::commandWord); }
    // A row of the table matched the command word.
    bool known() const { return known_; }

    // A field that the message does not hold whole: the walk stopped there.
    bool cut() const { return missing_ != nullptr; }
    const ParameterDefinition* missing() const { return missing_; }
    // Whether the missing field is shown as far as it goes (a cut structure).
    bool missingShownInPart() const { return missingShownInPart_; }
    // Where the message ends: the bytes that the data and Total length hold.
    std::size_t endOffset() const { return bytes_.size(); }

  private:
    friend class MessageWalker;

    std::size_t headerFields() const { return std::min(count_, headerFieldCount); }

    ByteView bytes_;
    Field fields_[capacity];
    std::size_t count_ = 0;
    bool known_ = false;
    const ParameterDefinition* missing_ = nullptr;
    bool missingShownInPart_ = false;
};

// Walks the message at the start of `message` (which runs to the end of the
// data) into `out`, its NCPI laid out by the B3 protocol that `protocols` has
// in force for its PLCI.
void decodeMessage(ByteView message, const ProtocolTracker& protocols, DecodedMessage& out);

// Whether a record's direction is one that carries a message: Put or Get.
bool holdsMessage(ByteView record);

// The message of a trace record: its bytes after the record header, up to the
// record's length or the end of the data. Empty when the record holds no
// message bytes.
ByteView messageOfRecord(ByteView record);

}  // namespace ambertap
