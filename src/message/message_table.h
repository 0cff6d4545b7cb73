// The messages of CAPI 2.0 and the layouts of their structures, as constant
// tables: one row per message kind, its parameters in order. Offsets are not
// written anywhere; they follow from the order and the sizes as the message is
// walked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "json_key.h"
#include "value_names.h"

namespace ambertap {

enum class ParameterType : std::uint8_t {
    byte,
    word,
    dword,
    qword,
    structure,
    text,     // the rest of the enclosing structure, as characters
    bytes,    // the rest of the enclosing structure or message, as bytes
    variant,  // a run of parameters chosen by what the message holds
    list,     // its items, one after the other, to the end of the enclosing structure
    group,    // one item of a list: the fields inside it
};

// How a number is to be read beyond its digits.
enum class Meaning : std::uint8_t {
    plain,
    named,           // by `names`
    bits,            // each set bit by `names`
    address,         // Controller, PLCI and NCCI parts
    info,            // Info, Reason, Reason_B3: by value, class or Q.850 cause
    reject,          // by `names`, or 0x34xx with a Q.850 cause
    infoNumber,      // an INFO_IND's Info number
    cause,           // a Q.850 cause value
    quantity,        // a count in decimal, with `unit`
    signedQuantity,  // a signed count in decimal, with `unit`
    wideHex,         // a qword that JSON carries as a "0x%016x" string
};

// Which layout a structure's contents follow when that depends on the message.
enum class LayoutChoice : std::uint8_t {
    fixed,              // `layout`, or bytes alone when null
    b1Configuration,    // by the B1 protocol beside it
    b2Configuration,    // by the B2 protocol beside it
    b3Configuration,    // by the B3 protocol beside it
    ncpi,               // by the B3 protocol in force on the PLCI
    infoElement,        // by the Info number before it
    facilityParameter,  // by the facility selector and the subcommand
    manufacturerPart,   // the common drivers' layout, when the bytes hold it
    bChannel,           // what B channel information's Channel brings
    serviceParameters,  // by a supplementary service's Function and the subcommand
    identifiedElement,  // the information element of the identifier before it
    components,         // remote operations components, as ASN.1 BER
};

struct ParameterDefinition;
struct ElementDefinition;
using Layout = std::span<const ParameterDefinition>;

struct ParameterDefinition {
    JsonKey key;             // the JSON key
    std::string_view label;  // the standard's name for it
    ParameterType type;
    Meaning meaning = Meaning::plain;
    const ValueNames* names = nullptr;
    const char* unit = nullptr;
    const Layout* layout = nullptr;
    LayoutChoice choice = LayoutChoice::fixed;
    // Added by a later edition: absent, rather than missing, when the message
    // or structure ends before it.
    bool optional = false;
    // A network's information element that the structure holds, walked by
    // its rows rather than by `layout`.
    const ElementDefinition* element = nullptr;
};

struct MessageDefinition {
    std::uint16_t commandWord;
    Layout parameters;  // the address first
};

// The row of a command word, or null for a word that is no CAPI 2.0 message.
const MessageDefinition* messageDefinition(std::uint16_t commandWord);

// Every row, for tests that go through them all.
std::span<const MessageDefinition> messageDefinitions();

// The layout that a chosen structure follows, or null for its bytes alone.
struct ChoiceFacts {
    std::uint16_t commandWord = 0;
    // The number beside the structure that the choice goes by: a B protocol,
    // the Info number, the facility selector, the Function; -1 when there is
    // none.
    std::int64_t selector = -1;
    // The B3 protocol in force on the message's PLCI, or -1 when unknown.
    std::int64_t b3InForce = -1;
};
const Layout* chosenLayout(LayoutChoice choice, const ChoiceFacts& facts);

// The key of the number a choice goes by, among the structure's siblings, or
// null when it goes by something else.
const char* selectorKeyOf(LayoutChoice choice);

// The message header: Total length, ApplID, command word, message number,
// its fields in this order.
enum class HeaderField : std::uint8_t { totalLength, applId, commandWord, messageNumber };
inline constexpr std::size_t headerFieldCount = 4;
extern const Layout headerLayout;

// Bytes after the last field that a message or structure holds.
extern const ParameterDefinition trailingBytes;

// The manufacturer-specific part as common drivers lay it out.
extern const Layout manufacturerCommonLayout;
extern const Layout manufacturerBytesLayout;

}  // namespace ambertap
