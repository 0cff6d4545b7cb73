#include "parameter_structures.h"

#include <cstring>
#include <string_view>

#include "capi_message.h"
#include "code_names.h"

namespace ambertap {

namespace {

// A party number or subaddress: its fixed octets in hexadecimal, then the
// digits or subaddress information as text up to the first zero byte. A
// structure shorter than `threshold` shows only the brackets.
struct NumberGroup {
    std::size_t fixedOctets;
    std::size_t threshold;
};

constexpr NumberGroup calledPartyNumber{1, 1};
constexpr NumberGroup callingPartyNumber{2, 2};
constexpr NumberGroup subaddress{1, 2};
constexpr NumberGroup connectedNumber{2, 2};

// A group shows its fixed octets only from a length that holds them all.
constexpr bool holdsFixedOctetsWhenShown(NumberGroup group) {
    return group.threshold >= group.fixedOctets && group.fixedOctets >= 1 && group.fixedOctets <= 2;
}

// A number's text shows at most 79 characters; a longer one is shortened to
// that width, its last characters replaced by the overflow mark.
constexpr std::size_t numberTextLength = 79;

// The text ends at its first zero byte.
std::span<const std::uint8_t> upToZeroByte(std::span<const std::uint8_t> bytes) {
    const void* zero = bytes.empty() ? nullptr : std::memchr(bytes.data(), 0, bytes.size());
    return zero ? bytes.first(static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) -
                                                       bytes.data()))
                : bytes;
}

void appendNumberText(std::span<const std::uint8_t> text, LineWriter& line) {
    const auto shown = upToZeroByte(text);
    if (shown.size() <= numberTextLength) {
        line.characters(shown, shownCharacter);
        return;
    }
    const std::string_view mark = LineWriter::overflowMark;
    line.characters(shown.first(numberTextLength - mark.size()), shownCharacter);
    line.text(mark);
}

// Each kind of group is its own function, so that its fixed octets and
// threshold are constants where it is written.
template <NumberGroup group>
void appendNumberGroup(ByteReader& message, const Structure& number, LineWriter& line) {
    static_assert(holdsFixedOctetsWhenShown(group));
    if (number.length < group.threshold) {
        line.text("[] ");
        return;
    }
    const auto content = message.content(number);
    if constexpr (group.fixedOctets == 1) {
        line.append('[', Hex{content[0], 2}, ' ');
    } else {
        line.append('[', Hex{content[0], 2}, ' ', Hex{content[1], 2}, ' ');
    }
    appendNumberText(content.subspan(group.fixedOctets), line);
    line.text("] ");
}

// The three protocol numbers that open the B protocol structure, by name. A
// number is shown only when the structure holds one byte more than it needs.
void appendProtocolGroup(ByteReader& message, const Structure& protocol, LineWriter& line) {
    const ValueNames* const layers[] = {&lineB1ProtocolNames, &lineB2ProtocolNames,
                                        &lineB3ProtocolNames};
    line.text("B[");
    std::size_t numberOffset = 0;
    for (const ValueNames* names : layers) {
        if (protocol.length < numberOffset + 3) {
            break;
        }
        const std::uint16_t number = message.u16(protocol.contentOffset() + numberOffset);
        const char* name = nameOf(*names, number);
        const auto separator = numberOffset > 0 ? std::string_view(", ") : std::string_view("");
        line.append(separator,
                    name != nullptr ? std::string_view(name) : unnamedCodeText(number).view());
        numberOffset += 2;
    }
    line.text("] ");
}

// The label's length is known where the group is written, so it is copied
// without a call.
template <std::size_t labelSize>
void appendByteGroup(ByteReader& message, const Structure& bytes, const char (&label)[labelSize],
                     LineWriter& line) {
    line.append(std::string_view(label, labelSize - 1), SpacedHexBytes{message.content(bytes)},
                "] ");
}

// Each structure of CONNECT_REQ begins right after the previous one's content.
class StructureChain {
  public:
    StructureChain(ByteReader& message, std::size_t offset) : message_(message), next_(offset) {}

    Structure next() {
        const Structure structure = message_.structure(next_);
        next_ = structure.next();
        return structure;
    }
    // Where a parameter after the last structure read would begin.
    std::size_t end() const { return next_; }

  private:
    ByteReader& message_;
    std::size_t next_;
};

}  // namespace

void appendConnectReqParameters(ByteReader& message, LineWriter& line) {
    line.decimal(message.s32(ConnectRequest::controller));
    line.append(' ', Hex{message.u16(ConnectRequest::cipValue), 4}, ' ');

    StructureChain structures(message, ConnectRequest::firstStructure);
    appendNumberGroup<calledPartyNumber>(message, structures.next(), line);
    appendNumberGroup<callingPartyNumber>(message, structures.next(), line);
    appendNumberGroup<subaddress>(message, structures.next(), line);  // called party
    appendNumberGroup<subaddress>(message, structures.next(), line);  // calling party
    appendProtocolGroup(message, structures.next(), line);
    appendByteGroup(message, structures.next(), "BC[", line);
    appendByteGroup(message, structures.next(), "LLC[", line);
    appendByteGroup(message, structures.next(), "HLC[", line);
    appendByteGroup(message, structures.next(), "AI[", line);

    // The structures are shown as their length bytes direct; a chain that
    // runs past the message's Total length is marked afterwards.
    if (structures.end() > message.u16(CapiMessage::totalLength)) {
        line.text(" !");
    }
}

void appendListenReqParameters(ByteReader& message, LineWriter& line) {
    line.decimal(message.s32(ListenRequest::controller));
    line.append(' ', Hex{message.u32(ListenRequest::infoMask), 8});
    line.append(' ', Hex{message.u32(ListenRequest::cipMask), 8});
    line.append(' ', Hex{message.u32(ListenRequest::cipMask2), 8}, ' ');
    appendNumberGroup<callingPartyNumber>(
        message, message.structure(ListenRequest::callingPartyNumber), line);
}

void appendConnectActiveIndParameters(ByteReader& message, LineWriter& line) {
    line.append(Hex{message.u32(ConnectActiveIndication::plci), 8}, ' ');
    appendNumberGroup<connectedNumber>(
        message, message.structure(ConnectActiveIndication::connectedNumber), line);
}

char shownCharacter(std::uint8_t byte) {
    return byte < 0x20 || byte == 0x7f ? '.' : static_cast<char>(byte);
}

}  // namespace ambertap
