#include "decoded_message.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "capi_message.h"
#include "element_table.h"
#include "line_writer.h"
#include "protocol_tracker.h"

namespace ambertap {

namespace {

// Where the fields of one container may lie: up to its declared end, and up
// to the bytes there are. The second is shorter only in a container that the
// data or the Total length cuts off.
struct Span {
    std::size_t declaredEnd;
    std::size_t availableEnd;

    std::size_t limit() const { return std::min(declaredEnd, availableEnd); }
    bool isCut() const { return availableEnd < declaredEnd; }
};

// How the walk of a container went on: every field there, the container
// ended before the next field (a short structure, or a later edition's field
// that is absent), or the bytes ran out.
enum class Outcome { whole, ended, cut };

constexpr int noParent = -1;

// A BER value: its tag, where its content starts and where it ends.
struct Tlv {
    bool whole = false;
    std::uint8_t tag = 0;
    std::size_t start = 0;
    std::size_t content = 0;
    std::size_t end = 0;
};

// Whether a field's key is `key`: most keys differ in their length or their
// first characters, which settle it without a call to the library.
bool hasKey(const Field& field, std::string_view key) {
    const std::string_view own = field.key();
    if (own.size() != key.size()) {
        return false;
    }
    for (std::size_t at = 0; at < key.size(); ++at) {
        if (own[at] != key[at]) {
            return false;
        }
    }
    return true;
}

std::size_t widthOf(ParameterType type) {
    switch (type) {
        case ParameterType::byte:
            return 1;
        case ParameterType::word:
            return 2;
        case ParameterType::dword:
            return 4;
        case ParameterType::qword:
            return 8;
        default:
            return 0;
    }
}

}  // namespace

// Walks one message by its row of the table into the fields of a
// DecodedMessage. Every number is read through the decoder's bounded reader;
// the reader's own cut-off mark goes to a line that is never shown, since the
// walk marks what is missing itself.
class MessageWalker {
  public:
    MessageWalker(ByteView data, const ProtocolTracker& protocols, DecodedMessage& out)
        : protocols_(protocols), out_(out), unusedLine_(nullptr, 0), reader_(data, unusedLine_) {}

    void walk(ByteView data) {
        out_.count_ = 0;
        out_.known_ = false;
        out_.missing_ = nullptr;
        out_.missingShownInPart_ = false;
        const std::size_t dataSize = data.size();
        out_.bytes_ = data;
        std::size_t at = 0;
        if (!walkWholeHeader(at, dataSize) &&
            walkItems(headerLayout, at, Span{dataSize, dataSize}, 0, noParent) != Outcome::whole) {
            return;
        }
        const std::size_t totalLength = out_.headerWord(HeaderField::totalLength);
        const Span parameters{totalLength, std::min<std::size_t>(totalLength, dataSize)};
        out_.bytes_.end = data.begin + std::max(parameters.availableEnd, at);
        const MessageDefinition* definition = messageDefinition(out_.commandWord());
        out_.known_ = definition != nullptr;
        if (definition != nullptr &&
            walkItems(definition->parameters, at, parameters, 0, noParent) != Outcome::whole) {
            return;
        }
        walkTrailingBytes(at, parameters, 0);
    }

  private:
    // The header's numbers, when the data holds the header whole, as it does
    // in nearly every message; the walk of a cut one marks what is missing.
    bool walkWholeHeader(std::size_t& at, std::size_t dataSize) {
        if (dataSize < CapiMessage::headerSize) {
            return false;
        }
        for (const ParameterDefinition& item : headerLayout) {
            const std::size_t width = widthOf(item.type);
            add(item, at, width, 0, readNumber(at, width));
            at += width;
        }
        return true;
    }

    Outcome walkItems(Layout items, std::size_t& at, Span span, std::uint8_t depth, int parent) {
        for (const ParameterDefinition& item : items) {
            if (item.optional && at >= span.declaredEnd) {
                return Outcome::ended;
            }
            const Outcome outcome = walkItem(item, at, span, depth, parent);
            if (outcome != Outcome::whole) {
                return outcome;
            }
        }
        return Outcome::whole;
    }

    Outcome walkItem(const ParameterDefinition& item, std::size_t& at, Span span,
                     std::uint8_t depth, int parent) {
        switch (item.type) {
            case ParameterType::structure:
                return walkStructure(item, at, span, depth, parent);
            case ParameterType::text:
            case ParameterType::bytes:
                return walkRest(item, at, span, depth);
            case ParameterType::variant:
                return walkItems(variantLayout(item, at, span, parent), at, span, depth, parent);
            case ParameterType::list:
                return walkList(item, at, span, depth);
            case ParameterType::group:
                return walkGroup(item, at, span, depth);
            default:
                return walkNumber(item, at, span, depth);
        }
    }

    Outcome walkNumber(const ParameterDefinition& item, std::size_t& at, Span span,
                       std::uint8_t depth) {
        const std::size_t width = widthOf(item.type);
        if (at + width > span.limit()) {
            return notThere(item, at + width, span, depth, false);
        }
        if (add(item, at, width, depth, readNumber(at, width)) < 0) {
            return Outcome::cut;
        }
        at += width;
        return Outcome::whole;
    }

    Outcome walkStructure(const ParameterDefinition& item, std::size_t& at, Span span,
                          std::uint8_t depth, int parent) {
        // A length byte of 0xff is followed by a 16-bit length.
        const bool longForm = at < span.limit() && reader_.u8(at) == 0xff;
        const std::size_t lengthBytes = longForm ? 3 : 1;
        if (at + lengthBytes > span.limit()) {
            return notThere(item, at + lengthBytes, span, depth, false);
        }
        const std::size_t length = longForm ? reader_.u16(at + 1) : reader_.u8(at);
        const std::size_t content = at + lengthBytes;
        const std::size_t contentEnd = content + length;
        const std::size_t shownEnd = std::min(contentEnd, span.limit());
        const int index = add(item, content, shownEnd - content, depth, length);
        if (index < 0) {
            return Outcome::cut;
        }
        const bool whole = contentEnd <= span.limit();
        out_.fields_[index].cut = !whole;
        std::size_t inside = content;
        const Span contents{contentEnd, shownEnd};
        const auto inner = static_cast<std::uint8_t>(depth + 1);
        // An empty structure means the default or nothing given: it holds no fields.
        const ElementDefinition* element = length > 0 ? elementOf(item, parent) : nullptr;
        const Layout* layout = length > 0 && element == nullptr ? layoutOf(item, parent) : nullptr;
        const Outcome outcome =
            element != nullptr  ? walkElement(*element, inside, contents, inner, index)
            : layout != nullptr ? walkItems(*layout, inside, contents, inner, index)
                                : Outcome::whole;
        if (whole && (layout != nullptr || element != nullptr) && outcome != Outcome::cut) {
            walkTrailingBytes(inside, contents, static_cast<std::uint8_t>(depth + 1));
        }
        out_.fields_[index].end = static_cast<std::uint16_t>(out_.count_);
        at = shownEnd;
        if (whole) {
            return outcome == Outcome::cut ? Outcome::cut : Outcome::whole;
        }
        return notThere(item, contentEnd, span, depth, true);
    }

    // An information element by its rows: its octet groups, each when it is
    // there, then what follows them. The walk ends with the element.
    Outcome walkElement(const ElementDefinition& element, std::size_t& at, Span span,
                        std::uint8_t depth, int parent) {
        for (const OctetGroup& group : element.groups) {
            if (!fieldsHold(group.when, parent)) {
                continue;
            }
            if (at >= span.declaredEnd) {
                return Outcome::ended;
            }
            if (at >= span.availableEnd) {
                return Outcome::cut;
            }
            if (!octetHolds(group.when, reader_.u8(at))) {
                continue;
            }
            if (const Outcome outcome = walkOctetGroup(element, group, at, span, depth, parent);
                outcome != Outcome::whole) {
                return outcome;
            }
        }
        // What follows the groups, when anything does.
        if (at >= span.declaredEnd) {
            return Outcome::ended;
        }
        std::size_t end = at;
        for (const ElementRest& rest : element.rest) {
            if (!fieldsHold(rest.when, parent)) {
                continue;
            }
            std::size_t from = at;
            const Outcome outcome = rest.field.type == ParameterType::list
                                        ? walkComponents(rest.field, from, span, depth)
                                        : walkRest(rest.field, from, span, depth);
            if (outcome != Outcome::whole) {
                return outcome;
            }
            end = std::max(end, from);
        }
        at = end;
        return Outcome::whole;
    }

    // The octets of one group: its first, and while it extends, each after an
    // octet whose bit 8 is 0. Each octet's fields come from the rows that
    // name it; the octets after the last one that a row names are shown as
    // the group's further octets.
    Outcome walkOctetGroup(const ElementDefinition& element, const OctetGroup& group,
                           std::size_t& at, Span span, std::uint8_t depth, int parent) {
        constexpr std::uint8_t extensionBit = 0x80;
        bool laidOut = true;
        std::size_t unlaid = at;
        Outcome outcome = Outcome::whole;
        for (std::size_t octet = 0;; ++octet) {
            if (at >= span.limit()) {
                outcome = at < span.declaredEnd ? Outcome::cut : Outcome::whole;
                break;
            }
            const std::uint8_t value = reader_.u8(at);
            if (laidOut) {
                const int fields =
                    addOctetFields(element, group.octet, octet, value, at, depth, parent);
                if (fields < 0) {
                    return Outcome::cut;
                }
                laidOut = fields > 0;
                unlaid = at;
            }
            ++at;
            if (!group.extends || (value & extensionBit) != 0) {
                break;
            }
        }
        if (!laidOut && group.further != nullptr &&
            add(*group.further, unlaid, at - unlaid, depth, at - unlaid) < 0) {
            return Outcome::cut;
        }
        return outcome;
    }

    // The fields of the group's octet number `octet` ("3", then "3a", ...):
    // how many rows name that octet, or -1 once the fields are full.
    int addOctetFields(const ElementDefinition& element, std::string_view group, std::size_t octet,
                       std::uint8_t value, std::size_t at, std::uint8_t depth, int parent) {
        int named = 0;
        for (const ElementField& row : element.fields) {
            if (!isOctet(row.octet, group, octet) || !fieldsHold(row.when, parent)) {
                continue;
            }
            ++named;
            const auto shift = std::countr_zero(static_cast<unsigned>(row.mask));
            if (add(row.field, at, 1, depth, static_cast<unsigned>(value & row.mask) >> shift) <
                0) {
                return -1;
            }
        }
        return named;
    }

    static bool isOctet(std::string_view name, std::string_view group, std::size_t octet) {
        if (octet == 0) {
            return name == group;
        }
        return octet <= 26 && name.size() == group.size() + 1 && name.starts_with(group) &&
               name.back() == static_cast<char>('a' + octet - 1);
    }

    // Whether the fields already walked inside `parent` have the values the
    // conditions name; a field that is not there has none.
    bool fieldsHold(ElementConditions conditions, int parent) const {
        for (const ElementCondition& condition : conditions) {
            if (condition.key == nullptr) {
                continue;
            }
            const Field* field = sibling(parent, condition.key);
            if (field == nullptr || (field->value & condition.mask) != condition.value) {
                return false;
            }
        }
        return true;
    }

    // Whether a group's first octet is the one its conditions name.
    static bool octetHolds(ElementConditions conditions, std::uint8_t octet) {
        for (const ElementCondition& condition : conditions) {
            if (condition.key == nullptr && (octet & condition.mask) != condition.value) {
                return false;
            }
        }
        return true;
    }

    // Items of a list, each laid out by the list's one item row, until the
    // container ends.
    Outcome walkList(const ParameterDefinition& item, std::size_t& at, Span span,
                     std::uint8_t depth) {
        if (at >= span.declaredEnd) {
            return Outcome::ended;
        }
        const int index = add(item, at, 0, depth, 0);
        if (index < 0) {
            return Outcome::cut;
        }
        const std::size_t start = at;
        Outcome outcome = Outcome::whole;
        while (at < span.declaredEnd && outcome == Outcome::whole) {
            if (at >= span.availableEnd) {
                outcome = Outcome::cut;
                break;
            }
            outcome = walkGroup((*item.layout)[0], at, span, static_cast<std::uint8_t>(depth + 1));
        }
        closeContainer(index, start, at);
        return outcome == Outcome::ended ? Outcome::whole : outcome;
    }

    // One item of a list: its fields by the item's layout.
    Outcome walkGroup(const ParameterDefinition& item, std::size_t& at, Span span,
                      std::uint8_t depth) {
        const int index = add(item, at, 0, depth, 0);
        if (index < 0) {
            return Outcome::cut;
        }
        const std::size_t start = at;
        const Outcome outcome =
            walkItems(*item.layout, at, span, static_cast<std::uint8_t>(depth + 1), index);
        closeContainer(index, start, at);
        return outcome;
    }

    // A facility's components: ASN.1 BER, each a constructed value whose
    // first value inside is the invoke ID and, in an invoke, after a linked
    // ID that may come first, the operation value. Walked while each lies
    // whole inside the element; what follows is shown as trailing bytes.
    Outcome walkComponents(const ParameterDefinition& item, std::size_t& at, Span span,
                           std::uint8_t depth) {
        if (at >= span.limit()) {
            return span.isCut() ? Outcome::cut : Outcome::whole;
        }
        const int index = add(item, at, 0, depth, 0);
        if (index < 0) {
            return Outcome::cut;
        }
        const std::size_t start = at;
        const auto inner = static_cast<std::uint8_t>(depth + 1);
        while (at < span.limit()) {
            const Tlv component = readTlv(at, span.limit());
            if (!component.whole) {
                break;
            }
            if (addComponent(component, inner) < 0) {
                closeContainer(index, start, at);
                return Outcome::cut;
            }
            at = component.end;
        }
        closeContainer(index, start, at);
        return at < span.declaredEnd && span.isCut() ? Outcome::cut : Outcome::whole;
    }

    int addComponent(const Tlv& component, std::uint8_t depth) {
        constexpr std::uint8_t invoke = 0xa1;
        constexpr std::uint8_t integer = 0x02;
        constexpr std::uint8_t linkedId = 0x80;
        const int index =
            add(facilityComponent, component.start, component.end - component.start, depth, 0);
        if (index < 0) {
            return index;
        }
        const auto inner = static_cast<std::uint8_t>(depth + 1);
        int added = add(componentType, component.start, 1, inner, component.tag);
        std::size_t at = component.content;
        Tlv value = readTlv(at, component.end);
        if (added >= 0 && value.whole && value.tag == integer) {
            added = addInteger(componentInvokeId, value, inner);
            value = readTlv(value.end, component.end);
            if (added >= 0 && component.tag == invoke && value.whole && value.tag == linkedId) {
                value = readTlv(value.end, component.end);
            }
            if (added >= 0 && component.tag == invoke && value.whole && value.tag == integer) {
                added = addInteger(componentOperation, value, inner);
            }
        }
        closeContainer(index, component.start, component.end);
        return added;
    }

    // A BER INTEGER of up to four bytes, sign-extended; a longer one is not
    // shown.
    int addInteger(const ParameterDefinition& item, const Tlv& value, std::uint8_t depth) {
        const std::size_t length = value.end - value.content;
        if (length == 0 || length > 4) {
            return 0;
        }
        std::int64_t number = static_cast<std::int8_t>(reader_.u8(value.content));
        for (std::size_t i = 1; i < length; ++i) {
            number = number * 256 + reader_.u8(value.content + i);
        }
        return add(item, value.content, length, depth, static_cast<std::uint64_t>(number));
    }

    // A BER value with a one-byte tag and a definite length of up to two
    // bytes, when it lies whole before `limit`.
    Tlv readTlv(std::size_t at, std::size_t limit) {
        Tlv tlv;
        if (at + 2 > limit) {
            return tlv;
        }
        tlv.start = at;
        tlv.tag = reader_.u8(at);
        std::size_t length = reader_.u8(at + 1);
        tlv.content = at + 2;
        if (length > 0x80) {
            const std::size_t lengthBytes = length - 0x80;
            if (lengthBytes > 2 || tlv.content + lengthBytes > limit) {
                return tlv;
            }
            length = 0;
            for (std::size_t i = 0; i < lengthBytes; ++i) {
                length = length * 256 + reader_.u8(tlv.content + i);
            }
            tlv.content += lengthBytes;
        } else if (length == 0x80) {
            return tlv;  // an indefinite length
        }
        tlv.end = tlv.content + length;
        tlv.whole = tlv.end <= limit;
        return tlv;
    }

    // A list or group's bytes and the fields inside it, once its walk is done.
    void closeContainer(int index, std::size_t start, std::size_t end) {
        out_.fields_[index].length = static_cast<std::uint16_t>(end - start);
        out_.fields_[index].end = static_cast<std::uint16_t>(out_.count_);
    }

    // Text or bytes up to the end of the container; text ends at its first zero byte.
    Outcome walkRest(const ParameterDefinition& item, std::size_t& at, Span span,
                     std::uint8_t depth) {
        if (span.isCut()) {
            return notThere(item, span.declaredEnd, span, depth, false);
        }
        const std::size_t end = std::max(at, span.declaredEnd);
        std::size_t length = end - at;
        if (item.type == ParameterType::text && length > 0) {
            const auto bytes = out_.bytes().subspan(at, length);
            if (const void* zero = std::memchr(bytes.data(), 0, bytes.size())) {
                length =
                    static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) - bytes.data());
            }
        }
        if (add(item, at, length, depth, length) < 0) {
            return Outcome::cut;
        }
        at += length;
        return Outcome::whole;
    }

    // Bytes after the last field, inside the container's declared end.
    void walkTrailingBytes(std::size_t at, Span span, std::uint8_t depth) {
        if (at >= span.declaredEnd) {
            return;
        }
        if (at >= span.availableEnd) {
            notThere(trailingBytes, span.declaredEnd, span, depth, false);
            return;
        }
        const std::size_t shownEnd = span.limit();
        if (add(trailingBytes, at, shownEnd - at, depth, shownEnd - at) >= 0 && span.isCut()) {
            notThere(trailingBytes, span.declaredEnd, span, depth, true);
        }
    }

    // A field that does not lie wholly inside its container. In the message
    // itself it is missing, and the message is cut there. Inside a structure,
    // a field past the structure's declared end only means the structure is
    // short; one past the bytes there are means the structure is cut too.
    Outcome notThere(const ParameterDefinition& item, std::size_t end, Span span,
                     std::uint8_t depth, bool shownInPart) {
        if (depth == 0) {
            markMissing(item, shownInPart);
            return Outcome::cut;
        }
        return end > span.availableEnd && span.isCut() ? Outcome::cut : Outcome::ended;
    }

    void markMissing(const ParameterDefinition& item, bool shownInPart) {
        if (out_.missing_ == nullptr) {
            out_.missing_ = &item;
            out_.missingShownInPart_ = shownInPart;
        }
    }

    // The index of the new field, or -1 once the fields are full, which cuts
    // the message there.
    int add(const ParameterDefinition& item, std::size_t offset, std::size_t length,
            std::uint8_t depth, std::uint64_t value) {
        if (out_.count_ == DecodedMessage::capacity) {
            markMissing(item, false);
            return -1;
        }
        const int index = static_cast<int>(out_.count_);
        out_.fields_[out_.count_++] = Field{&item,
                                            static_cast<std::uint16_t>(offset),
                                            static_cast<std::uint16_t>(length),
                                            static_cast<std::uint16_t>(index + 1),
                                            depth,
                                            false,
                                            value};
        return index;
    }

    std::uint64_t readNumber(std::size_t offset, std::size_t width) {
        switch (width) {
            case 1:
                return reader_.u8(offset);
            case 2:
                return reader_.u16(offset);
            case 4:
                return reader_.u32(offset);
            default:
                return reader_.u32(offset) | std::uint64_t{reader_.u32(offset + 4)} << 32;
        }
    }

    const Layout* layoutOf(const ParameterDefinition& item, int parent) const {
        if (item.choice == LayoutChoice::fixed) {
            return item.layout;
        }
        ChoiceFacts facts;
        facts.commandWord = out_.commandWord();
        facts.selector = selectorOf(item, parent);
        if (item.choice == LayoutChoice::ncpi) {
            facts.b3InForce = b3InForce();
        }
        return chosenLayout(item.choice, facts);
    }

    // The element a structure holds: its own, or the one that the number
    // beside it announces.
    const ElementDefinition* elementOf(const ParameterDefinition& item, int parent) const {
        if (item.element != nullptr) {
            return item.element;
        }
        const std::int64_t selector = selectorOf(item, parent);
        if (selector < 0) {
            return nullptr;
        }
        const auto number = static_cast<std::uint32_t>(selector);
        switch (item.choice) {
            case LayoutChoice::infoElement:
                return elementOfInfoNumber(number);
            case LayoutChoice::identifiedElement:
                return elementOfIdentifier(number);
            default:
                return nullptr;
        }
    }

    std::int64_t selectorOf(const ParameterDefinition& item, int parent) const {
        if (const char* key = selectorKeyOf(item.choice)) {
            if (const Field* selector = sibling(parent, key)) {
                return static_cast<std::int64_t>(selector->value);
            }
        }
        return -1;
    }

    // The run of parameters in place of a variant.
    Layout variantLayout(const ParameterDefinition& item, std::size_t at, Span span, int parent) {
        if (item.choice == LayoutChoice::manufacturerPart) {
            return manufacturerLayout(at, span);
        }
        const Layout* layout = layoutOf(item, parent);
        return layout != nullptr ? *layout : Layout{};
    }

    std::int64_t b3InForce() const {
        const auto parameters = out_.parameters();
        if (parameters.empty() || parameters.front().definition->meaning != Meaning::address) {
            return -1;
        }
        const BProtocols* protocols =
            protocols_.inForce(out_.headerWord(HeaderField::applId),
                               static_cast<std::uint32_t>(parameters.front().value));
        return protocols != nullptr ? protocols->b3 : -1;
    }

    // A field already walked inside `parent`: the parent's own end is not
    // known until its walk is done.
    const Field* sibling(int parent, std::string_view key) const {
        const std::size_t first = parent == noParent ? 0 : static_cast<std::size_t>(parent) + 1;
        for (std::size_t i = first; i < out_.count_; i = out_.fields_[i].end) {
            if (hasKey(out_.fields_[i], key)) {
                return &out_.fields_[i];
            }
        }
        return nullptr;
    }

    // The common drivers' Class, Function and Manufacturer data when the
    // message holds them whole, else the bytes.
    Layout manufacturerLayout(std::size_t at, Span span) {
        constexpr std::size_t dataLengthOffset = 8;
        const std::size_t lengthAt = at + dataLengthOffset;
        const bool holds = lengthAt < span.limit() && reader_.u8(lengthAt) != 0xff &&
                           lengthAt + 1 + reader_.u8(lengthAt) <= span.limit();
        return holds ? manufacturerCommonLayout : manufacturerBytesLayout;
    }

    const ProtocolTracker& protocols_;
    DecodedMessage& out_;
    LineWriter unusedLine_;
    ByteReader reader_;
};

const Field* DecodedMessage::find(std::string_view key) const {
    for (std::size_t i = 0; i < count_; i = fields_[i].end) {
        if (hasKey(fields_[i], key)) {
            return &fields_[i];
        }
    }
    return nullptr;
}

const Field* DecodedMessage::find(const Field& parent, std::string_view key) const {
    const auto first = static_cast<std::size_t>(&parent - fields_) + 1;
    const std::size_t last = std::min<std::size_t>(parent.end, count_);
    for (std::size_t i = first; i < last; i = fields_[i].end) {
        if (hasKey(fields_[i], key)) {
            return &fields_[i];
        }
    }
    return nullptr;
}

void decodeMessage(ByteView message, const ProtocolTracker& protocols, DecodedMessage& out) {
    MessageWalker walker(message, protocols, out);
    walker.walk(message);
}

bool holdsMessage(ByteView record) {
    return record.size() > 0 && (record.begin[TraceRecord::direction] == TraceRecord::put ||
                                 record.begin[TraceRecord::direction] == TraceRecord::get);
}

ByteView messageOfRecord(ByteView record) {
    if (record.size() < TraceRecord::headerSize) {
        return ByteView{record.end, record.end};
    }
    const std::size_t held = record.size() - TraceRecord::headerSize;
    const std::size_t length =
        std::min<std::size_t>(record.begin[TraceRecord::messageLength], held);
    const std::uint8_t* begin = record.begin + TraceRecord::message;
    return ByteView{begin, begin + length};
}

}  // namespace ambertap
